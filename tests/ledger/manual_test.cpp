// The manual describes what works today: every menu item and button of a
// ledger window that it names as working is there and enabled.

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

#include "ledgerfixture.h"

namespace {

QString manualHtml() {
    QFile f(":/manual/kezikonyv.html");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString plain(QString caption) {
    return caption.remove(QLatin1Char('&')).trimmed();
}

// What the manual names as working: bold words and the menu table's items,
// leaving out every block that says the feature comes later.
QStringList namedAsWorking(const QString& html) {
    static const QRegularExpression block("<(p|li|tr)[^>]*>(.*?)</\\1>",
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression bold("<b>(.*?)</b>");
    static const QRegularExpression cell("<td>(.*?)</td>");
    QStringList names;
    for (auto m = block.globalMatch(html); m.hasNext();) {
        const auto b = m.next();
        const QString body = b.captured(2);
        if (body.contains(QStringLiteral("következő változatban")) ||
            body.contains(QStringLiteral("nem használható")))
            continue;
        if (b.captured(1) == QLatin1String("tr")) {
            QStringList cells;
            for (auto c = cell.globalMatch(body); c.hasNext();) cells << c.next().captured(1);
            if (cells.size() == 3) {
                const QString items = cells[1] == QStringLiteral("–") ? cells[0] : cells[1];
                for (const QString& i : items.split(QStringLiteral(", "))) names << i.trimmed();
            }
            continue;
        }
        for (auto w = bold.globalMatch(body); w.hasNext();)
            names << w.next().captured(1).split(QStringLiteral(" / ")).last().trimmed();
    }
    return names;
}

}  // namespace

TEST_F(LedgerFixture, ManualNamesOnlyItemsThatAreThereAndEnabled) {
    const QString html = manualHtml();
    ASSERT_FALSE(html.isEmpty());
    const QStringList named = namedAsWorking(html);
    ASSERT_GT(named.size(), 20);
    insert("VelaData", {{1, "A1", "Alma", 100, "N"}});
    insert("VelanakData", {{1, "A1", "Alma", 100, "N"}});
    int checked = 0;
    for (const auto kind : {vela::LedgerKind::Payables, vela::LedgerKind::Receivables}) {
        window.reset();
        open(kind);
        QHash<QString, bool> enabled;  // caption -> enabled anywhere
        for (QAction* a : window->findChildren<QAction*>()) {
            if (a->isSeparator() || a->text().isEmpty())
                continue;
            if (QMenu* m = a->menu(); m)
                m->aboutToShow();
            enabled[plain(a->text())] |= a->isEnabled();
        }
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
            enabled[plain(b->text())] |= b->isEnabled();
        // Fields and finders by their captions.
        for (QLabel* l : window->findChildren<QLabel*>()) {
            if (l->buddy())
                enabled[plain(l->text()).remove(QRegularExpression(":$"))] |=
                    l->buddy()->isEnabled();
        }
        for (const QString& name : named) {
            if (!enabled.contains(name))
                continue;
            // The invoice import works in the receivables window only, as the manual says.
            if (kind == vela::LedgerKind::Payables &&
                name == QStringLiteral("FakturoW számlázóból"))
                continue;
            ++checked;
            EXPECT_TRUE(enabled.value(name))
                << "the manual describes \"" << name.toStdString() << "\" as working";
        }
    }
    EXPECT_GT(checked, 10);
}
