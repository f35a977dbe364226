// Makes the two empty export workbooks from the ledger column table: sheet
// "Munka1" with the names of the ledger columns 0 to 23 as headings. Each is
// written as data/<name> (the empty template) and <name> (the workbook the
// export appends to) under the folder given on the command line.

#include "storage/columns.h"
#include "xls/templatewriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: vela-mkxlstemplates <data folder>\n";
        return 2;
    }
    const QDir root(args[1]);
    if (!root.mkpath(QStringLiteral("data"))) {
        QTextStream(stderr) << "cannot make " << root.filePath(QStringLiteral("data")) << '\n';
        return 1;
    }

    std::vector<vela::xls::TemplateColumn> columns;
    const auto& ledger = vela::schema::ledgerColumns();
    for (int i = 0; i < vela::schema::kLedgerGridColumns; ++i)
        columns.push_back(
            {ledger[size_t(i)].name, ledger[size_t(i)].type == vela::ColumnType::Date});

    for (const char* name : {"VelaDataStatTartozunk.xls", "VelaDataStatTartoznak.xls"}) {
        const QString file = QString::fromLatin1(name);
        for (const QString& path :
             {root.filePath(QStringLiteral("data/") + file), root.filePath(file)}) {
            const vela::Status written =
                vela::xls::TemplateWriter::write(path, QStringLiteral("Munka1"), columns);
            if (!written) {
                QTextStream(stderr) << written.errorText() << '\n';
                return 1;
            }
        }
    }
    return 0;
}
