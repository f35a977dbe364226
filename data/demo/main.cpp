// veladata-demo: makes a demo data folder, or one with large ledgers for the benchmarks.

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "demofoldermaker.h"

namespace {

void usage() {
    std::fputs(
        "Használat:\n"
        "  veladata-demo [--force] [--today ÉÉÉÉ-HH-NN] MAPPA\n"
        "  veladata-demo --ledger-rows N [--receivables-rows M] [--force] MAPPA\n"
        "Bemutató adatmappát készít a MAPPA-ban (a VelaData, VelanakData főkönyv,\n"
        "partnerek, országok, paraméterek, minta számlázó-adatbázis).\n"
        "--ledger-rows N: N sor a VelaData táblában (teljesítménymérésekhez).\n",
        stderr);
}

bool readCount(const QString& text, int* out) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 0)
        return false;
    *out = n;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vela::demo::DemoOptions options;
    QString dir;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QStringLiteral("--force")) {
            options.force = true;
        } else if (a == QStringLiteral("--ledger-rows") && hasValue) {
            if (!readCount(args[++i], &options.payablesRows)) {
                std::fprintf(stderr, "Hibás sorszám: %s\n", qPrintable(args[i]));
                return 2;
            }
        } else if (a == QStringLiteral("--receivables-rows") && hasValue) {
            if (!readCount(args[++i], &options.receivablesRows)) {
                std::fprintf(stderr, "Hibás sorszám: %s\n", qPrintable(args[i]));
                return 2;
            }
        } else if (a == QStringLiteral("--today") && hasValue) {
            options.today = QDate::fromString(args[++i], Qt::ISODate);
            if (!options.today.isValid()) {
                std::fprintf(stderr, "Hibás dátum: %s\n", qPrintable(args[i]));
                return 2;
            }
        } else if (a == QStringLiteral("-h") || a == QStringLiteral("--help")) {
            usage();
            return 0;
        } else if (!a.startsWith(QLatin1Char('-')) && dir.isEmpty()) {
            dir = a;
        } else {
            usage();
            return 2;
        }
    }
    if (dir.isEmpty()) {
        usage();
        return 2;
    }
    vela::demo::DemoFolderMaker maker(options);
    if (const vela::Status made = maker.make(dir); !made) {
        std::fprintf(stderr, "veladata-demo: %s\n", qPrintable(made.errorText()));
        return 1;
    }
    std::printf("%s\n", qPrintable(maker.summary()));
    return 0;
}
