#include "maintenance/jetsource.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "import/jetprotocol.h"

namespace velarep {

namespace P = vela::JetProtocol;

QString JetSource::helperPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vela-jetreader"));
}

vela::Status JetSource::run(const QStringList& args, Table* table, QStringList* tables) const {
    const QString name = QFileInfo(path_).fileName();
    auto fail = [&](const QString& detail) {
        return vela::Error{
            QStringLiteral("A(z) „%1” Access adatbázis nem olvasható: %2").arg(name, detail)};
    };
    QProcess p;
    p.setProgram(helperPath());
    p.setArguments(args);
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QIODevice::ReadOnly);
    if (!p.waitForStarted(30000))
        return fail(QStringLiteral("az Access-olvasó segédprogram (%1) nem indítható")
                        .arg(QDir::toNativeSeparators(p.program())));
    // A damaged file can send the reader round in circles.
    const int timeout = int(qMin<qint64>(60000 + QFileInfo(path_).size() / 2000, 3600000));
    if (!p.waitForFinished(timeout)) {
        p.kill();
        p.waitForFinished(5000);
        return fail(QStringLiteral("az olvasás nem fejeződött be időben"));
    }
    const QByteArray out = p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit)
        return fail(QStringLiteral("sérült állomány (az olvasás megszakadt)"));
    QDataStream in(out);
    in.setVersion(P::kStreamVersion);
    quint32 magic = 0;
    in >> magic;
    if (magic != P::kMagic)
        return fail(QStringLiteral("az Access-olvasó segédprogram nem válaszolt"));
    int announced = -1;
    while (!in.atEnd() && in.status() == QDataStream::Ok) {
        qint8 tag = 0;
        in >> tag;
        switch (tag) {
            case P::TagTables: {
                QStringList list;
                in >> list;
                if (tables)
                    *tables = list;
                break;
            }
            case P::TagColumns: {
                qint32 n = 0;
                in >> n;
                if (n < 0 || n > 4096)
                    return fail(QStringLiteral("hibás válasz"));
                QStringList names;
                for (qint32 i = 0; i < n; ++i) {
                    QString c, typeName;
                    qint32 type = 0;
                    in >> c >> type >> typeName;
                    names << c;
                }
                announced = n;
                if (table)
                    table->columns = names;
                break;
            }
            case P::TagRow: {
                QVariantList row;
                in >> row;
                if (row.size() != announced)
                    return fail(QStringLiteral("hibás válasz"));
                if (table)
                    table->rows.push_back(std::move(row));
                break;
            }
            case P::TagError: {
                QString text;
                in >> text;
                return fail(text);
            }
            case P::TagEnd: {
                qint64 count = 0;
                in >> count;
                if (in.status() != QDataStream::Ok || p.exitCode() != 0 ||
                    (table && count != qint64(table->rows.size())))
                    return fail(QStringLiteral("hibás válasz"));
                return {};
            }
            default:
                return fail(QStringLiteral("hibás válasz"));
        }
    }
    return fail(QStringLiteral("sérült állomány (az olvasás megszakadt)"));
}

vela::Result<QStringList> JetSource::tables() const {
    QStringList list;
    if (vela::Status st = run({QStringLiteral("tables"), path_}, nullptr, &list); !st)
        return st.error();
    return list;
}

vela::Result<QStringList> JetSource::columns(const QString& table) const {
    Table t;
    if (vela::Status st = run({QStringLiteral("columns"), path_, table}, &t, nullptr); !st)
        return st.error();
    return t.columns;
}

vela::Result<JetSource::Table> JetSource::read(const QString& table,
                                               const QStringList& columns) const {
    QStringList args{QStringLiteral("rows"), path_, table, QStringLiteral("0")};
    args << columns;
    Table t;
    if (vela::Status st = run(args, &t, nullptr); !st)
        return st.error();
    return t;
}

}  // namespace velarep
