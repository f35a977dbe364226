#include "demowords.h"

namespace vela::demo {

const std::vector<PartnerWords>& partners() {
    static const std::vector<PartnerWords> list = {
        {"Alföldi Építőanyag Kft.", "6000", "Kecskemét", "Izsáki út 12.", "B", "HU"},
        {"Bakony-Fa Faipari Bt.", "8400", "Ajka", "Fő út 45.", "B", "HU"},
        {"Csepeli Fémszerkezet Zrt.", "1211", "Budapest", "Weiss Manfréd út 5-7.", "B", "HU"},
        {"Duna Papír és Irodaszer Kft.", "2400", "Dunaújváros", "Vasmű út 31.", "B", "HU"},
        {"Ényi és Társa Könyvelőiroda Bt.", "9021", "Győr", "Baross Gábor út 18.", "B", "HU"},
        {"Fehérvári Villamossági Kft.", "8000", "Székesfehérvár", "Berényi út 72-100.", "B", "HU"},
        {"Gödöllői Nyomda Kft.", "2100", "Gödöllő", "Szabadság tér 3.", "B", "HU"},
        {"Hajdú-Gép Mezőgazdasági Kft.", "4025", "Debrecen", "Piac utca 54.", "V", "HU"},
        {"Ikarusz Autószerviz Kft.", "1165", "Budapest", "Margit utca 114.", "B", "HU"},
        {"Jászsági Agrár Szövetkezet", "5100", "Jászberény", "Nagykátai út 24.", "V", "HU"},
        {"Kovács és Fia Asztalosüzem Bt.", "7621", "Pécs", "Rákóczi út 19.", "V", "HU"},
        {"Lánchíd Informatikai Zrt.", "1013", "Budapest", "Attila út 39.", "B", "HU"},
        {"Mátra Ásványvíz Kft.", "3200", "Gyöngyös", "Kossuth Lajos utca 8.", "V", "HU"},
        {"Nyírségi Zöldség-Gyümölcs Kft.", "4400", "Nyíregyháza", "Tiszavasvári út 130.", "V",
         "HU"},
        {"Óbudai Sütőipari Kft.", "1032", "Budapest", "Bécsi út 132.", "V", "HU"},
        {"Őrség-Fa Tüzép Bt.", "9941", "Őriszentpéter", "Városszer 57.", "B", "HU"},
        {"Őszi Kertészet és Faiskola Kft.", "2030", "Érd", "Budai út 21.", "V", "HU"},
        {"Pannon Szállítmányozási Kft.", "9400", "Sopron", "Ipar körút 2.", "B", "HU"},
        {"Rába Gumiipari Kft.", "9027", "Győr", "Kandó Kálmán utca 11.", "B", "HU"},
        {"Szegedi Paprika Feldolgozó Zrt.", "6725", "Szeged", "Szabadkai út 18.", "V", "HU"},
        {"Tiszamenti Vegyiművek Kft.", "5000", "Szolnok", "Thököly út 48.", "B", "HU"},
        {"Újpesti Elektronika Kft.", "1042", "Budapest", "Árpád út 56.", "V", "HU"},
        {"Üveg-Ker Üvegező Bt.", "8200", "Veszprém", "Házgyári út 4.", "V", "HU"},
        {"Vértes Energia Kft.", "2800", "Tatabánya", "Győri út 17.", "B", "HU"},
        {"Zalai Húsüzem Kft.", "8900", "Zalaegerszeg", "Balatoni út 6.", "V", "HU"},
        {"Balaton Vendéglátó Kft.", "8230", "Balatonfüred", "Tagore sétány 1.", "V", "HU"},
        {"\"Napsugár\" Óvodai Eszközök Bt.", "3300", "Eger", "Széchenyi István utca 27.", "V",
         "HU"},
        {"D'Arte Belsőépítészeti Stúdió Kft.", "1061", "Budapest", "Andrássy út 22.", "V", "HU"},
        {"Egri Borház Kft.", "3300", "Eger", "Szépasszony-völgy 12.", "V", "HU"},
        {"Mecsek Autóalkatrész Kft.", "7630", "Pécs", "Hengermalom utca 3.", "B", "HU"},
        {"Tokaj-Hegyalja Pincészet Kft.", "3910", "Tokaj", "Rákóczi út 55.", "V", "HU"},
        {"Kiskunsági Tejüzem Zrt.", "6100", "Kiskunfélegyháza", "Szegedi út 34.", "B", "HU"},
        {"Ország Adótanácsadó Kft.", "1138", "Budapest", "Váci út 178.", "B", "HU"},
        {"Somogy Logisztika Kft.", "7400", "Kaposvár", "Füredi utca 100.", "B", "HU"},
        {"Békési Kolbászmanufaktúra Bt.", "5630", "Békés", "Csabai út 9.", "V", "HU"},
        {"Vásárhelyi Kerámia Kft.", "6800", "Hódmezővásárhely", "Erzsébeti út 40.", "V", "HU"},
        {"Miskolci Acélszerkezet Kft.", "3527", "Miskolc", "Sajószigeti út 2.", "B", "HU"},
        {"Zemplén Erdészeti Kft.", "3980", "Sátoraljaújhely", "Kazinczy utca 18.", "B", "HU"},
        {"Szentendrei Művészbolt Bt.", "2000", "Szentendre", "Fő tér 6.", "V", "HU"},
        {"Visegrádi Turisztikai Kft.", "2025", "Visegrád", "Fő utca 81.", "V", "HU"},
        {"Nagy Irodatechnika Kft.", "1095", "Budapest", "Soroksári út 48.", "B", "HU"},
        {"Tóth Villanyszerelő Bt.", "2310", "Szigetszentmiklós", "Csepeli út 14.", "", "HU"},
        {"Horváth Építő és Tervező Kft.", "9700", "Szombathely", "Körmendi út 65.", "", "HU"},
        {"Kisalföldi Gabona Zrt.", "9200", "Mosonmagyaróvár", "Gabonarakpart 6.", "V", "HU"},
        {"Ősz Gábor egyéni vállalkozó", "5600", "Békéscsaba", "Andrássy út 3.", "", "HU"},
        {"Wiener Holzhandel GmbH", "1100", "Wien", "Favoritenstraße 108", "B", "AT"},
        {"Bratislava Stavebniny s.r.o.", "82104", "Bratislava", "Ružinovská 42", "B", "SK"},
        {"Oradea Distribuție S.R.L.", "410001", "Oradea", "Strada Republicii 25", "V", "RO"},
        {"Müller Maschinenbau GmbH", "80331", "München", "Sendlinger Straße 12", "B", "DE"},
        {"Zagreb Trgovina d.o.o.", "10000", "Zagreb", "Ilica 112", "V", "HR"},
    };
    return list;
}

const std::vector<CountryWords>& countries() {
    static const std::vector<CountryWords> list = {
        {"HU", "Magyarország"},
        {"AT", "Ausztria"},
        {"SK", "Szlovákia"},
        {"RO", "Románia"},
        {"HR", "Horvátország"},
        {"SI", "Szlovénia"},
        {"RS", "Szerbia"},
        {"UA", "Ukrajna"},
        {"DE", "Németország"},
        {"PL", "Lengyelország"},
        {"CZ", "Csehország"},
        {"IT", "Olaszország"},
        {"FR", "Franciaország"},
        {"ES", "Spanyolország"},
        {"PT", "Portugália"},
        {"NL", "Hollandia"},
        {"BE", "Belgium"},
        {"LU", "Luxemburg"},
        {"CH", "Svájc"},
        {"LI", "Liechtenstein"},
        {"GB", "Egyesült Királyság"},
        {"IE", "Írország"},
        {"DK", "Dánia"},
        {"SE", "Svédország"},
        {"NO", "Norvégia"},
        {"FI", "Finnország"},
        {"IS", "Izland"},
        {"EE", "Észtország"},
        {"LV", "Lettország"},
        {"LT", "Litvánia"},
        {"BG", "Bulgária"},
        {"GR", "Görögország"},
        {"CY", "Ciprus"},
        {"MT", "Málta"},
        {"BA", "Bosznia-Hercegovina"},
        {"ME", "Montenegró"},
        {"MK", "Észak-Macedónia"},
        {"AL", "Albánia"},
        {"MD", "Moldova"},
        {"TR", "Törökország"},
        {"RU", "Oroszország"},
        {"US", "Amerikai Egyesült Államok"},
        {"CA", "Kanada"},
        {"BR", "Brazília"},
        {"CN", "Kína"},
        {"JP", "Japán"},
        {"KR", "Dél-Korea"},
        {"IN", "India"},
        {"IL", "Izrael"},
        {"AE", "Egyesült Arab Emírségek"},
        {"AU", "Ausztrália"},
    };
    return list;
}

const std::vector<const char*>& contactNames() {
    static const std::vector<const char*> list = {
        "Kiss Péter",      "Nagy Erzsébet",  "Szabó László",  "Tóth Katalin",  "Horváth Gábor",
        "Varga Zsuzsanna", "Kovács István",  "Molnár Judit",  "Németh Zoltán", "Farkas Ildikó",
        "Balogh Attila",   "Papp Krisztina", "Takács Ferenc", "Juhász Andrea", "Lakatos Tamás",
        "Mészáros Éva",    "Oláh Sándor",    "Simon Anikó",   "Rácz György",   "Fekete Mónika",
    };
    return list;
}

const std::vector<const char*>& purchaseDescriptions() {
    static const std::vector<const char*> list = {
        "Irodaszer",
        "Nyomtatópatron",
        "Fénymásolópapír A4",
        "Építőanyag",
        "Faanyag, gerenda",
        "Villanyszerelési anyag",
        "Gépjárműjavítás",
        "Könyvelési díj",
        "Fuvardíj",
        "Informatikai szolgáltatás",
        "Szoftverlicenc, éves díj",
        "Áramdíj",
        "Gázdíj",
        "Telefon- és internetdíj",
        "Irodabérleti díj",
        "Takarítás",
        "Gumiabroncs csere",
        "Acélszerkezet gyártása",
        "Tisztítószer, vegyi anyag",
        "Csomagolóanyag",
        "Tüzelőanyag",
        "Munkavédelmi eszközök",
        "Gépkarbantartás",
        "Hirdetés, reklám",
        "Adótanácsadás",
    };
    return list;
}

const std::vector<const char*>& saleDescriptions() {
    static const std::vector<const char*> list = {
        "Termékértékesítés",
        "Szaktanácsadás",
        "Szerelési munkadíj",
        "Anyagértékesítés",
        "Egyedi bútor gyártása",
        "Pótalkatrész",
        "Kiszállítás",
        "Gépbérlet",
        "Karbantartási átalánydíj",
        "Tervezési díj",
        "Ajándékcsomag",
        "Rendezvényszervezés",
        "Előleg a megrendelésre",
        "Oktatás, betanítás",
        "Garanciális javítás",
    };
    return list;
}

const std::vector<const char*>& invoiceItems() {
    static const std::vector<const char*> list = {
        "Fenyő gerenda 10x10 cm",
        "OSB lap 12 mm",
        "Csavar készlet",
        "Szerelési munkadíj",
        "Kiszállítási díj",
        "Tölgyfa asztal",
        "Irodai szék",
        "Szekrénysor",
        "Pótalkatrész",
        "Karbantartás",
        "Festék, fehér 10 l",
        "Ragasztó",
        "Csomagolás",
        "Tervezési díj",
        "Ajándékcsomag",
        "Kávéfőző gép bérlete",
        "Tanácsadás, óradíj",
        "Előleg",
    };
    return list;
}

const std::vector<const char*>& remarks() {
    static const std::vector<const char*> list = {
        "Fizetési felszólítás kiküldve.",
        "Telefonon egyeztetve, a héten fizet.",
        "Részletfizetés megbeszélve.",
        "Számlamásolatot kért.",
        "Szállítólevél csatolva.",
        "A teljesítésigazolás megérkezett.",
        "Kompenzálva a szállítói számlával.",
        "A partner bankszámlaszáma megváltozott.",
        "Postán küldve, tértivevényes.",
        "Reklamáció rendezve.",
        "E-mailben elküldve a könyvelőnek.",
        "Átvette: Kiss Péter.",
    };
    return list;
}

const std::vector<const char*>& attentionRemarks() {
    static const std::vector<const char*> list = {
        "Vitatott tétel, reklamáció folyamatban!",
        "Második felszólítás után sem fizetett!",
        "Behajtásra átadni!",
        "Csak a hiánypótlás után fizetendő.",
        "Devizás tétel: árfolyamkülönbözet!",
        "Ellenőrizni: dupla számla?",
        "Felszámolás alatt álló cég!",
        "Ügyvédi felszólítás elküldve.",
    };
    return list;
}

const std::vector<QString>& paymentMethods() {
    static const std::vector<QString> list = {
        QStringLiteral("átutalás"),   QStringLiteral("átutalás E"), QStringLiteral("készpénzes"),
        QStringLiteral("utánvét"),    QStringLiteral("nyugta"),     QStringLiteral("szállítól."),
        QStringLiteral("proforma-a"), QStringLiteral("proforma-k"),
    };
    return list;
}

}  // namespace vela::demo
