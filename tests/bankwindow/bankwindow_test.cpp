// The statement window over the demo folder: the demo statement's proposals,
// one changed by hand, the ticked ones booked, the same file again, a
// refused row; and the CSV mapping kept for the next file.
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <memory>

#include "bankfixture.h"
#include "bankwindow/bankkivonatformx.h"
#include "demofoldermaker.h"
#include "pdfreadback.h"
#include "ui/formkit.h"

using vela::BankkivonatFormX;
using vela::ProposalKind;
using vela::demo::DemoBankEntry;

namespace {

struct DemoStatement : BankFixture {
    void SetUp() override {
        vela::demo::DemoOptions o;
        o.today = QDate(2024, 6, 15);
        o.templateDir = TempDataFolder::templateDir();
        o.extraDir = folder.file("none");
        o.force = true;
        maker = std::make_unique<vela::demo::DemoFolderMaker>(o);
        const vela::Status made = maker->make(folder.path());
        ASSERT_TRUE(made) << made.errorText().toStdString();
        BankFixture::SetUp();
    }

    std::unique_ptr<BankkivonatFormX> window() {
        auto w = std::make_unique<BankkivonatFormX>(ctx);
        w->setToday(QDate(2024, 6, 15));
        EXPECT_TRUE(w->openFile(folder.file("bank/kivonat-238.xml")));
        return w;
    }
    void click(BankkivonatFormX& w, const char* name) { w.findChild<QPushButton*>(name)->click(); }
    // "table:rowid" of the base rows settled with the statement's number, and
    // "table:Sorszám:paid" of the part-payment rows it made.
    QSet<QString> bookedRows() {
        QSet<QString> out;
        for (const char* t : {"VelaData", "VelanakData"}) {
            const auto rows = db().rows(
                QStringLiteral("SELECT rowid, Sorszám, Részkiegyenlités, RészÖsszegBruttó FROM %1 "
                               "WHERE BankiKivonatSzáma = '238'")
                    .arg(t));
            EXPECT_TRUE(rows);
            for (const auto& r : *rows)
                out << (r[2].toBool() ? QStringLiteral("%1:%2:%3")
                                            .arg(t)
                                            .arg(r[1].toLongLong())
                                            .arg(r[3].toDouble())
                                      : QStringLiteral("%1:%2").arg(t).arg(r[0].toLongLong()));
        }
        return out;
    }

    std::unique_ptr<vela::demo::DemoFolderMaker> maker;
};

ProposalKind kindOf(DemoBankEntry::Kind k) {
    using K = DemoBankEntry::Kind;
    return k == K::Whole     ? ProposalKind::Whole
           : k == K::Part    ? ProposalKind::Part
           : k == K::Several ? ProposalKind::Several
                             : ProposalKind::None;
}

}  // namespace

TEST_F(DemoStatement, ProposalsLookedAtOneChangedByHandTickedOnesBookedOnce) {
    auto w = window();
    const auto& plan = maker->bankEntries();
    const auto& st = w->statement();
    ASSERT_EQ(w->lines().size(), 10u);
    ASSERT_EQ(plan.size(), 10u);
    EXPECT_EQ(w->grid()->rowCount(), 10);
    EXPECT_EQ(w->findChild<vela::ValueLabel*>("Label1")->value(), "238 (VELADEMO-2024-238)");

    int handLine = -1, guessLine = -1, payablesLine = -1;
    for (size_t i = 0; i < plan.size(); ++i) {
        SCOPED_TRACE(plan[i].what.toStdString());
        const BankkivonatFormX::Line& l = w->lines()[i];
        EXPECT_EQ(l.proposal.kind, kindOf(plan[i].kind)) << l.proposal.note.toStdString();
        EXPECT_EQ(l.ticked, plan[i].sure && plan[i].kind != DemoBankEntry::Kind::None);
        std::vector<qint64> rows;
        for (const auto& pl : l.proposal.lines) rows.push_back(w->openItems()[size_t(pl.item)].key);
        EXPECT_EQ(rows, plan[i].rows);
        if (plan[i].kind == DemoBankEntry::Kind::None && st.entries[i].credit)
            handLine = int(i);
        if (plan[i].basis == DemoBankEntry::Basis::Name)
            guessLine = int(i);
        if (plan[i].table == "VelaData")
            payablesLine = int(i);
    }
    ASSERT_GE(handLine, 0);
    ASSERT_GE(guessLine, 0);
    ASSERT_GE(payablesLine, 0);

    // The money with no invoice goes, by hand, onto an open receivable no
    // other entry touches, found by its number in the finder.
    QSet<qint64> planned;
    for (const auto& p : plan) planned.unite(QSet<qint64>(p.rows.begin(), p.rows.end()));
    const vela::OpenItem* target = nullptr;
    for (const auto& it : w->openItems())
        if (it.ledger == vela::OpenLedger::Receivables && !planned.contains(it.key) &&
            it.remaining().toDouble() > 30000 && it.invoiceNumber.size() >= 5 &&
            vela::currency::normalized(it.currency) == "HUF") {
            target = &it;
            break;
        }
    ASSERT_NE(target, nullptr);
    w->grid()->setCurrentCell(handLine, 1);
    w->findChild<QLineEdit*>("Text1")->setText(target->invoiceNumber);
    ASSERT_FALSE(w->finderItems().empty());
    int finderRow = -1;
    for (size_t r = 0; r < w->finderItems().size(); ++r)
        if (w->openItems()[size_t(w->finderItems()[r])].key == target->key)
            finderRow = int(r);
    ASSERT_GE(finderRow, 0);
    w->finder()->setCurrentCell(finderRow, 0);
    click(*w, "Hozzarendel");
    const auto& hand = w->lines()[size_t(handLine)];
    EXPECT_EQ(hand.proposal.kind, ProposalKind::Part);
    EXPECT_TRUE(hand.ticked);
    EXPECT_TRUE(hand.byHand);
    EXPECT_EQ(w->grid()->item(handLine, 7)->text(), target->invoiceNumber);

    // The name-only guess confirmed, the supplier's payment left for later.
    w->setTicked(guessLine, true);
    w->setTicked(payablesLine, false);
    // A line without an invoice cannot be ticked.
    const int beeps = dialogs.beeps;
    w->setTicked(9, true);
    EXPECT_FALSE(w->lines()[9].ticked);
    EXPECT_EQ(dialogs.beeps, beeps + 1);

    QSet<QString> expected;
    int ticked = 0;
    for (size_t i = 0; i < plan.size(); ++i) {
        if (!w->lines()[i].ticked || int(i) == handLine)
            continue;
        ++ticked;
        if (plan[i].kind == DemoBankEntry::Kind::Part) {
            const auto& it = w->openItems()[size_t(w->lines()[i].proposal.lines[0].item)];
            expected << QStringLiteral("VelanakData:%1:%2")
                            .arg(it.sorszam)
                            .arg(st.entries[i].amount.toDouble());
        } else {
            for (qint64 r : plan[i].rows)
                expected << QStringLiteral("%1:%2").arg(plan[i].table).arg(r);
        }
    }
    expected << QStringLiteral("VelanakData:%1:25000").arg(target->sorszam);
    const QString targetNumber = target->invoiceNumber;  // the open items go with the booking
    dialogs.clear();
    click(*w, "Kiegyenlites");
    ASSERT_GE(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].icon, vela::DialogService::Icon::Question);
    EXPECT_EQ(w->lastBooking().booked, ticked + 1) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(bookedRows(), expected);  // every booking is one the user meant: none wrong
    EXPECT_TRUE(
        dialogs.last()->text.startsWith(QStringLiteral("Lekönyvelve: %1 tétel").arg(ticked + 1)))
        << dialogs.last()->text.toStdString();
    EXPECT_TRUE(w->lines()[size_t(handLine)].bookedNow);
    EXPECT_FALSE(w->lines()[size_t(payablesLine)].bookedNow);
    // A booked line still names the invoice it paid, no longer open.
    EXPECT_EQ(w->grid()->item(handLine, 7)->text(), targetNumber);
    EXPECT_EQ(w->grid()->item(handLine, 9)->text(), QString());
    EXPECT_EQ(w->grid()->item(handLine, 10)->text(), QStringLiteral("Lekönyvelve"));

    // The summary as a PDF.
    const QString pdf = folder.file("osszegzes.pdf");
    dialogs.answerInput(pdf);
    click(*w, "PdfMentes");
    const QString text = pdfreadback::pages(pdf).join("\n");
    EXPECT_TRUE(text.contains("Bankkivonat könyvelése")) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Lekönyvelve: %1 tétel").arg(ticked + 1)));

    // The same file again: what was booked is known and cannot be ticked.
    auto again = window();
    int before = 0;
    for (const auto& l : again->lines()) {
        before += l.bookedBefore ? 1 : 0;
        EXPECT_FALSE(l.bookedBefore && l.ticked);
    }
    EXPECT_EQ(before, ticked + 1);
    EXPECT_EQ(again->lines()[size_t(handLine)].proposal.kind, ProposalKind::AlreadyBooked);
    again->setTicked(handLine, true);
    EXPECT_FALSE(again->lines()[size_t(handLine)].ticked);
    // Only the supplier's payment, ticked as a sure one, is booked now.
    click(*again, "Kiegyenlites");
    EXPECT_EQ(again->lastBooking().booked, 1);
    EXPECT_EQ(bookedRows().size(), expected.size() + 1);
}

TEST_F(DemoStatement, ABookingRefusedHalfWayIsToldAndBooksNothing) {
    auto w = window();
    // The last ticked receivable cannot be written.
    qint64 refused = -1;
    for (const auto& l : w->lines())
        if (l.ticked && w->openItems()[size_t(l.proposal.lines.back().item)].ledger ==
                            vela::OpenLedger::Receivables)
            refused = w->openItems()[size_t(l.proposal.lines.back().item)].key;
    ASSERT_GT(refused, 0);
    ASSERT_TRUE(db().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON VelanakData WHEN "
                                         "OLD.rowid = %1 BEGIN SELECT RAISE(ABORT, 'zárolt sor'); "
                                         "END")
                              .arg(refused)));
    dialogs.clear();
    click(*w, "Kiegyenlites");
    ASSERT_NE(dialogs.last(), nullptr);
    EXPECT_EQ(dialogs.last()->icon, vela::DialogService::Icon::Critical);
    EXPECT_TRUE(
        dialogs.last()->text.startsWith("A kiegyenlítés nem sikerült, ezért egyetlen tétel "
                                        "sem lett lekönyvelve."))
        << dialogs.last()->text.toStdString();
    EXPECT_TRUE(dialogs.last()->text.contains("zárolt sor"));
    EXPECT_EQ(scalar("SELECT count(*) FROM VelanakData WHERE BankiKivonatSzáma = '238'").toInt(),
              0);
    EXPECT_EQ(scalar("SELECT count(*) FROM VelaData WHERE BankiKivonatSzáma = '238'").toInt(), 0);
    EXPECT_EQ(scalar("SELECT count(*) FROM BankiTetel").toInt(), 0);
    for (const auto& l : w->lines()) EXPECT_FALSE(l.bookedNow);
}

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

// The mapping set in the window reads the file and is there for the next one.
TEST_F(BankFixture, CsvMappingReadsBothEncodingsAndIsKeptForTheNextFile) {
    vela::CsvMapping utf8;
    vela::CsvMapping cp1250;
    cp1250.separator = u',';
    cp1250.decimalComma = false;
    cp1250.encoding = vela::CsvMapping::Encoding::Windows1250;
    cp1250.headerRows = 0;
    cp1250.amountColumn = 0;
    cp1250.debitColumn = 2;
    cp1250.creditColumn = 3;
    cp1250.nameColumn = 4;
    cp1250.accountColumn = 0;
    cp1250.remittanceColumn = 5;
    cp1250.dateFormat = "dd.MM.yyyy";
    writeFile(folder.file("utf8.csv"),
              "Dátum;Összeg;Partner;Számlaszám;Közlemény\r\n"
              "2024.03.05.;\"127 000,50\";Árvíztűrő Kft.;11773016-01234567;Szla 2024/17\r\n");
    writeFile(folder.file("cp1250.csv"),
              "05.03.2024,,\"127,000.50\",\xC1rv\xEDzt\xFBr\xF5 Kft.,Szla 2024/17\n");
    const struct {
        const char* file;
        vela::CsvMapping mapping;
    } cases[] = {{"utf8.csv", utf8}, {"cp1250.csv", cp1250}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        {
            BankkivonatFormX w(ctx);
            w.setCsvMapping(c.mapping);
            ASSERT_TRUE(w.openFile(folder.file(c.file)))
                << dialogs.texts().join("\n").toStdString();
            ASSERT_EQ(w.statement().entries.size(), 1u);
            const auto& e = w.statement().entries[0];
            EXPECT_EQ(e.counterparty().name, "Árvíztűrő Kft.");
            EXPECT_EQ(e.amount.toMinor(2), 12700050);
            EXPECT_TRUE(e.credit);
            EXPECT_EQ(w.lines()[0].proposal.kind, ProposalKind::None);
        }
        BankkivonatFormX next(ctx);
        EXPECT_EQ(next.csvMapping(), c.mapping);
    }
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.texts().join("\n").toStdString();
}
