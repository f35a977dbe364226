#include "import/jetreader.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <atomic>

#include "base/filekind.h"
#include "import/jetprotocol.h"

namespace vela {

namespace {

std::atomic<int> g_timeoutMs{0};

QString cannotRead(const QString& name, const QString& detail) {
    return QStringLiteral("A(z) „%1” nem olvasható: %2.").arg(name, detail);
}

}  // namespace

Result<std::unique_ptr<JetReader>> JetReader::open(const QString& path) {
    auto fail = [](const QString& text) { return Error{text}; };
    const QFileInfo fi(path);
    const QString name = fi.fileName();
    if (!fi.exists())
        return fail(QStringLiteral("A(z) „%1” nem található a(z) „%2” mappában!")
                        .arg(name, QDir::toNativeSeparators(fi.absolutePath())));
    if (fi.isDir())
        return fail(cannotRead(name, QStringLiteral("ez egy mappa, nem adatbázis-állomány")));
    if (const QString special = notRegularFileText(path); !special.isEmpty())
        return fail(special);
    QFile f(path);
    if (!fi.isReadable() || !f.open(QIODevice::ReadOnly))
        return fail(cannotRead(name, QStringLiteral("nincs hozzá olvasási jogosultság, vagy egy "
                                                    "másik program zárolja")));
    const JetHeader h = JetHeader::read(f.read(JetHeader::kBytes));
    if (!h.isJet)
        return fail(cannotRead(name, f.size() == 0 ? QStringLiteral("üres állomány")
                                                   : QStringLiteral("nem Access/Jet adatbázis")));
    if (f.size() < 3 * qint64(h.pageSize))
        return fail(cannotRead(name, QStringLiteral("az állomány csonka vagy sérült")));
    std::unique_ptr<JetReader> r(new JetReader);
    r->path_ = fi.absoluteFilePath();
    r->header_ = h;
    return r;
}

QString JetReader::fileName() const {
    return QFileInfo(path_).fileName();
}

QString JetReader::helperPath() {
#ifdef Q_OS_WIN
    const QString exe = QStringLiteral("vela-jetreader.exe");
#else
    const QString exe = QStringLiteral("vela-jetreader");
#endif
    if (QCoreApplication::instance()) {
        const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(exe);
        if (QFileInfo::exists(beside))
            return beside;
    }
    return QDir(QStringLiteral(VELA_JETREADER_DIR)).filePath(exe);
}

void JetReader::setTimeout(int ms) {
    g_timeoutMs = ms;
}

Status JetReader::run(const QStringList& args, Table* table, QStringList* tables) const {
    const QString name = fileName();
    auto fail = [](const QString& text) { return Error{text}; };
    QProcess p;
    p.setProgram(helperPath());
    p.setArguments(args);
    p.setStandardErrorFile(QProcess::nullDevice());
    // libmdb's own settings of the caller must not change what is decoded:
    // the helper chooses the code page from the file itself.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("MDBICONV"));
    env.remove(QStringLiteral("MDB_JET3_CHARSET"));
    p.setProcessEnvironment(env);
    p.start(QIODevice::ReadOnly);
    if (!p.waitForStarted(30000))
        return fail(QStringLiteral("A(z) „%1” nem olvasható: az Access-olvasó segédprogram (%2) "
                                   "nem indítható.")
                        .arg(name, QDir::toNativeSeparators(p.program())));
    // A damaged file can send libmdb round in circles: past a time well above
    // what reading a sound file of this size takes, the helper is stopped.
    int timeout = g_timeoutMs;
    if (timeout <= 0)
        timeout = int(qMin<qint64>(15000 + QFileInfo(path_).size() / 5000, 600000));
    if (!p.waitForFinished(timeout)) {
        p.kill();
        p.waitForFinished(5000);
        return fail(cannotRead(name, QStringLiteral("az olvasás nem fejeződött be időben, az "
                                                    "állomány valószínűleg sérült")));
    }
    const QByteArray out = p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit)
        return fail(cannotRead(name, QStringLiteral("sérült állomány (az olvasás megszakadt)")));

    QDataStream in(out);
    in.setVersion(JetProtocol::kStreamVersion);
    quint32 magic = 0;
    in >> magic;
    if (magic != JetProtocol::kMagic)
        return fail(
            cannotRead(name, QStringLiteral("az Access-olvasó segédprogram nem válaszolt")));
    int announced = -1;
    while (!in.atEnd() && in.status() == QDataStream::Ok) {
        qint8 tag = 0;
        in >> tag;
        switch (tag) {
            case JetProtocol::TagTables: {
                QStringList list;
                in >> list;
                if (tables)
                    *tables = list;
                break;
            }
            case JetProtocol::TagColumns: {
                qint32 n = 0;
                in >> n;
                if (n < 0 || n > 4096)
                    return fail(cannotRead(name, QStringLiteral("hibás válasz")));
                std::vector<Column> cols(static_cast<size_t>(n));
                for (Column& c : cols) {
                    qint32 type = 0;
                    in >> c.name >> type >> c.typeName;
                    c.jetType = type;
                }
                announced = n;
                if (table)
                    table->columns = std::move(cols);
                break;
            }
            case JetProtocol::TagRow: {
                Row row;
                in >> row;
                if (row.size() != announced)
                    return fail(cannotRead(name, QStringLiteral("hibás válasz")));
                if (table)
                    table->rows.push_back(std::move(row));
                break;
            }
            case JetProtocol::TagStored: {
                qint64 stored = -1;
                in >> stored;
                if (table)
                    table->storedRows = stored;
                break;
            }
            case JetProtocol::TagError: {
                QString text;
                in >> text;
                return fail(cannotRead(name, text));
            }
            case JetProtocol::TagEnd: {
                qint64 count = 0;
                in >> count;
                if (in.status() != QDataStream::Ok || p.exitCode() != 0 ||
                    (table && count != qint64(table->rows.size())))
                    return fail(cannotRead(name, QStringLiteral("hibás válasz")));
                return {};
            }
            default:
                return fail(cannotRead(name, QStringLiteral("hibás válasz")));
        }
    }
    // No end record: the helper stopped half way.
    return fail(cannotRead(name, QStringLiteral("sérült állomány (az olvasás megszakadt)")));
}

Result<QStringList> JetReader::tables() const {
    QStringList list;
    if (Status st = run({QStringLiteral("tables"), path_}, nullptr, &list); !st)
        return st.error();
    return list;
}

Result<std::vector<JetReader::Column>> JetReader::columns(const QString& table) const {
    Table t;
    if (Status st = run({QStringLiteral("columns"), path_, table}, &t, nullptr); !st)
        return st.error();
    return std::move(t.columns);
}

Result<JetReader::Table> JetReader::read(const QString& table, const QStringList& columns,
                                         qint64 limit) const {
    Table t;
    QStringList args{QStringLiteral("rows"), path_, table, QString::number(qMax<qint64>(limit, 0))};
    args << columns;
    if (Status st = run(args, &t, nullptr); !st)
        return st.error();
    return t;
}

Result<bool> JetReader::hasRows(const QString& table) const {
    Table t;
    if (Status st = run({QStringLiteral("rows"), path_, table, QStringLiteral("1")}, &t, nullptr);
        !st)
        return st.error();
    return !t.rows.empty();
}

}  // namespace vela
