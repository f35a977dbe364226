#include "ledgercore/ledgerrow.h"

#include "storage/recordsource.h"

namespace vela {

namespace {

// A member and its column, for the conversions that walk all of them.
struct Member {
    const char* column;
    QVariant (*get)(const LedgerRow&);
    void (*set)(LedgerRow&, const QVariant&);
};

QVariant num(const std::optional<double>& v) {
    return v ? QVariant(*v) : QVariant();
}
std::optional<double> toNum(const QVariant& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    return v.isNull() || !ok ? std::nullopt : std::optional<double>(d);
}
QVariant txt(const QString& v) {
    return v.isNull() ? QVariant() : QVariant(v);
}
QString toTxt(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}
QVariant day(const QDate& d) {
    return d.isValid() ? QVariant(d) : QVariant();
}
QDate toDay(const QVariant& v) {
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

#define VELA_NUM(col, m)                                            \
    {                                                               \
        col, [](const LedgerRow& r) { return num(r.m); },           \
            [](LedgerRow& r, const QVariant& v) { r.m = toNum(v); } \
    }
#define VELA_TXT(col, m)                                            \
    {                                                               \
        col, [](const LedgerRow& r) { return txt(r.m); },           \
            [](LedgerRow& r, const QVariant& v) { r.m = toTxt(v); } \
    }
#define VELA_DAY(col, m)                                            \
    {                                                               \
        col, [](const LedgerRow& r) { return day(r.m); },           \
            [](LedgerRow& r, const QVariant& v) { r.m = toDay(v); } \
    }
#define VELA_BOOL(col, m)                                                            \
    {                                                                                \
        col, [](const LedgerRow& r) { return QVariant(r.m); },                       \
            [](LedgerRow& r, const QVariant& v) { r.m = !v.isNull() && v.toBool(); } \
    }

const Member kMembers[] = {
    {"Sorszám",
     [](const LedgerRow& r) { return r.sorszam ? QVariant(qlonglong(*r.sorszam)) : QVariant(); },
     [](LedgerRow& r, const QVariant& v) {
         const std::optional<double> d = toNum(v);
         r.sorszam = d ? std::optional<qint64>(qint64(*d)) : std::nullopt;
     }},
    VELA_TXT("Szamlaszam", szamlaszam),
    VELA_TXT("CegNev", cegNev),
    VELA_TXT("CegCim", cegCim),
    VELA_TXT("Megnevezes", megnevezes),
    VELA_NUM("Netto", netto),
    VELA_NUM("AFA", afa),
    VELA_NUM("Brutto", brutto),
    VELA_DAY("Datumtol", datumtol),
    VELA_DAY("Datumig", datumig),
    VELA_DAY("Adatfelvetel", adatfelvetel),
    VELA_TXT("Devizanem", devizanem),
    VELA_TXT("Kivezetés", kivezetes),
    VELA_NUM("RészÖsszeg", reszOsszeg),
    VELA_TXT("BankiKivonatSzáma", bankiKivonatSzama),
    VELA_DAY("BankiKiegyenlitésKelte", bankiKiegyenlitesKelte),
    VELA_TXT("Megjegyzés", megjegyzes),
    VELA_TXT("recordID", recordId),
    VELA_BOOL("FIGYELEM", figyelem),
    VELA_TXT("FigyelemMegjegyzés", figyelemMegjegyzes),
    VELA_BOOL("Részkiegyenlités", reszkiegyenlites),
    VELA_TXT("FizetésMódja", fizetesModja),
    VELA_NUM("RészösszegÖsszesen", reszosszegOsszesen),
    VELA_DAY("Teljesités", teljesites),
    VELA_NUM("RészÖsszegBruttó", reszOsszegBrutto),
};

#undef VELA_NUM
#undef VELA_TXT
#undef VELA_DAY
#undef VELA_BOOL

const Member* memberOf(const QString& column) {
    static const QHash<QString, const Member*> byName = [] {
        QHash<QString, const Member*> h;
        for (const Member& m : kMembers) h.insert(QString::fromUtf8(m.column), &m);
        return h;
    }();
    return byName.value(column);
}

}  // namespace

const QStringList& LedgerRow::columns() {
    static const QStringList names = [] {
        QStringList n;
        for (const Member& m : kMembers) n << QString::fromUtf8(m.column);
        return n;
    }();
    return names;
}

LedgerRow LedgerRow::fromValues(const QHash<QString, QVariant>& values) {
    LedgerRow r;
    for (auto it = values.cbegin(); it != values.cend(); ++it) r.setValue(it.key(), it.value());
    return r;
}

LedgerRow LedgerRow::fromSource(const RecordSource& source) {
    LedgerRow r;
    for (const Member& m : kMembers) m.set(r, source.field(QString::fromUtf8(m.column)));
    return r;
}

QVariant LedgerRow::value(const QString& column) const {
    const Member* m = memberOf(column);
    return m ? m->get(*this) : QVariant();
}

bool LedgerRow::setValue(const QString& column, const QVariant& value) {
    const Member* m = memberOf(column);
    if (m)
        m->set(*this, value);
    return m != nullptr;
}

QHash<QString, QVariant> LedgerRow::values() const {
    QHash<QString, QVariant> out;
    for (const Member& m : kMembers) out.insert(QString::fromUtf8(m.column), m.get(*this));
    return out;
}

Status LedgerRow::edit(RecordSource& source, const std::function<void(LedgerRow&)>& rule) {
    const LedgerRow before = fromSource(source);
    LedgerRow after = before;
    rule(after);
    const QHash<QString, QVariant> changed = after.changedFrom(before);
    // In table order, so a refused value stops at the same column every time.
    for (const QString& c : columns()) {
        if (!changed.contains(c))
            continue;
        if (Status s = source.setField(c, changed.value(c)); !s)
            return s;
    }
    return {};
}

QHash<QString, QVariant> LedgerRow::changedFrom(const LedgerRow& before) const {
    QHash<QString, QVariant> out;
    for (const Member& m : kMembers) {
        const QVariant now = m.get(*this), was = m.get(before);
        if (now.isNull() != was.isNull() || now != was)
            out.insert(QString::fromUtf8(m.column), now);
    }
    return out;
}

}  // namespace vela
