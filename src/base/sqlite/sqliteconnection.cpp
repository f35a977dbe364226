#include "base/sqlite/sqliteconnection.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include "base/sqlquote.h"
#include "base/textrules.h"
#include "base/workstation.h"

namespace vela {

// Defined with the statement, whose busy failure it tells.
QString busyMessage(const QString& fileName);

namespace sqlite {

namespace {

QString textOf(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
}

void foldFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArray out = foldCase(textOf(argv[0])).toUtf8();
    sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void prefixFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    sqlite3_result_int(ctx, foldCase(textOf(argv[0])).startsWith(foldCase(textOf(argv[1]))));
}

void likeFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    sqlite3_result_int(ctx, likeMatches(textOf(argv[0]), textOf(argv[1])) ? 1 : 0);
}

// vela_same(a, b): equal but for letter case. Texts equal byte for byte,
// and texts whose ASCII letters alone differ in case, need no folding.
void sameFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT || sqlite3_value_type(argv[1]) != SQLITE_TEXT) {
        // Numbers compare as SQLite compares them.
        sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == sqlite3_value_type(argv[1]) &&
                                    sqlite3_value_double(argv[0]) == sqlite3_value_double(argv[1]));
        return;
    }
    const int na = sqlite3_value_bytes(argv[0]);
    const int nb = sqlite3_value_bytes(argv[1]);
    const auto* a = sqlite3_value_text(argv[0]);
    const auto* b = sqlite3_value_text(argv[1]);
    bool ascii = true;
    if (na == nb) {
        bool same = true;
        for (int i = 0; i < na && same; ++i) {
            const unsigned char x = a[i], y = b[i];
            ascii = ascii && x < 0x80 && y < 0x80;
            same = x == y || (x < 0x80 && y < 0x80 && (x | 0x20) == (y | 0x20) &&
                              (x | 0x20) >= 'a' && (x | 0x20) <= 'z');
        }
        if (same) {
            sqlite3_result_int(ctx, 1);
            return;
        }
    }
    if (ascii && na == nb) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    sqlite3_result_int(ctx, foldCase(textOf(argv[0])) == foldCase(textOf(argv[1])));
}

int hungarianCollation(void*, int na, const void* a, int nb, const void* b) {
    if (na == nb && memcmp(a, b, size_t(na)) == 0)
        return 0;
    return compareHungarian(QString::fromUtf8(static_cast<const char*>(a), na),
                            QString::fromUtf8(static_cast<const char*>(b), nb));
}

// vela_host(), vela_user(): who the history notes; vela_note() and
// vela_set_note(x): the connection's note that a restore sets around its
// inserts (null when none).
void textResult(sqlite3_context* ctx, const QByteArray& text) {
    sqlite3_result_text(ctx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void hostFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    static const QByteArray host = workstationName().toUtf8();
    textResult(ctx, host);
}

void userFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    static const QByteArray user = systemUserName().toUtf8();
    textResult(ctx, user);
}

struct Note {
    bool set = false;
    QByteArray text;
};

void noteFunction(sqlite3_context* ctx, int, sqlite3_value**) {
    const auto* note = static_cast<const Note*>(sqlite3_user_data(ctx));
    if (note->set)
        textResult(ctx, note->text);
    else
        sqlite3_result_null(ctx);
}

void setNoteFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* note = static_cast<Note*>(sqlite3_user_data(ctx));
    note->set = sqlite3_value_type(argv[0]) != SQLITE_NULL;
    note->text = note->set ? textOf(argv[0]).toUtf8() : QByteArray();
    sqlite3_result_null(ctx);
}

void registerFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    auto* note = new Note;
    sqlite3_create_function_v2(db, "vela_note", 0, SQLITE_UTF8, note, noteFunction, nullptr,
                               nullptr, [](void* p) { delete static_cast<Note*>(p); });
    sqlite3_create_function(db, "vela_set_note", 1, SQLITE_UTF8, note, setNoteFunction, nullptr,
                            nullptr);
    sqlite3_create_function(db, "vela_host", 0, flags, nullptr, hostFunction, nullptr, nullptr);
    sqlite3_create_function(db, "vela_user", 0, flags, nullptr, userFunction, nullptr, nullptr);
    sqlite3_create_function(db, "vela_fold", 1, flags, nullptr, foldFunction, nullptr, nullptr);
    sqlite3_create_function(db, "vela_prefix", 2, flags, nullptr, prefixFunction, nullptr, nullptr);
    sqlite3_create_function(db, "vela_like", 2, flags, nullptr, likeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "vela_same", 2, flags, nullptr, sameFunction, nullptr, nullptr);
    sqlite3_create_collation_v2(db, "vela_hu", SQLITE_UTF8, nullptr, hungarianCollation, nullptr);
}

class SqliteDialect final : public Dialect {
    static constexpr qsizetype kMaxSpellings = 64;

  public:
    QString ifNull(const QString& expr, const QString& fallback) const override {
        return QStringLiteral("ifnull(%1, %2)").arg(expr, fallback);
    }
    QString noIndexesOn() const override { return QStringLiteral(" NOT INDEXED"); }
    QString withoutIndex(const QString& expr) const override { return QLatin1Char('+') + expr; }
    QString tableOptions() const override { return QStringLiteral(" STRICT"); }
    QString keyColumnType() const override { return QStringLiteral("INTEGER PRIMARY KEY"); }
    QString integerType() const override { return QStringLiteral("INTEGER"); }
    QString realType() const override { return QStringLiteral("REAL"); }
    QString textType() const override { return QStringLiteral("TEXT"); }
    QString dateCheck(const QString& n) const override {
        // The "+0 days" modifier makes SQLite roll 02-30 over to 03-01,
        // so only real calendar dates equal their own normal form.
        return QStringLiteral("%1 IS NULL OR (length(%1) = 10 AND date(%1, '+0 days') IS %1)")
            .arg(n);
    }
    // The statement's row id is the key.
    QString returningKey(const QString&) const override { return {}; }
    QString tableNamesQuery() const override {
        return QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'");
    }
    QString tableExistsQuery() const override {
        return QStringLiteral(
            "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
    }
    QString like(const QString& expr, const QString& pattern) const override {
        return QStringLiteral("vela_like(%1, %2)").arg(expr, pattern);
    }
    QString startsWith(const QString& expr, const QString& prefix) const override {
        return QStringLiteral("vela_prefix(%1, %2)").arg(expr, prefix);
    }
    QString foldCase(const QString& expr) const override {
        return QStringLiteral("vela_fold(%1)").arg(expr);
    }
    QString textEquals(const QString& expr, const QString& value,
                       QVariantList& binds) const override {
        // The spellings that differ in letter case alone are few for a short
        // text: an IN list finds them through the column's index, in its
        // order. A longer text is looked for between its lowest and highest
        // spelling (again through the index) and then compared folded.
        QStringList spellings{QString()};
        QString low, high;
        for (const QChar c : value) {
            const QChar u = c.toUpper(), l = c.toLower();
            low += std::min(u, l);
            high += std::max(u, l);
            if (spellings.size() > kMaxSpellings)
                continue;
            QStringList next;
            for (const QString& s : spellings) {
                next << s + c;
                if (u != c)
                    next << s + u;
                if (l != c)
                    next << s + l;
            }
            spellings = next;
        }
        if (spellings.size() <= kMaxSpellings) {
            QStringList marks;
            for (const QString& s : spellings) {
                marks << QStringLiteral("?");
                binds << s;
            }
            return QStringLiteral("%1 IN (%2)").arg(expr, marks.join(QStringLiteral(", ")));
        }
        binds << low << high << value;
        return QStringLiteral("(%1 BETWEEN ? AND ? AND vela_same(%1, ?))").arg(expr);
    }
    QString hungarianOrder() const override { return QStringLiteral(" COLLATE vela_hu"); }
    QString cacheSizeQuery() const override { return QStringLiteral("PRAGMA cache_size"); }
    QString setCacheSize(qint64 size) const override {
        return QStringLiteral("PRAGMA cache_size = %1").arg(size);
    }

    QStringList historyTriggerNames(const QString& table) const override {
        return {table + QStringLiteral("_valtozas_m"), table + QStringLiteral("_valtozas_u"),
                table + QStringLiteral("_valtozas_t")};
    }
    QString triggerNamesQuery() const override {
        return QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'");
    }
    QString setHistoryNote() const override { return QStringLiteral("SELECT vela_set_note(?1)"); }
    QString dropTrigger(const QString& name, const QString&) const override {
        return QStringLiteral("DROP TRIGGER IF EXISTS ") + quoteIdentifier(name);
    }
    QStringList historyTriggers(const HistoryTarget& t) const override;
};

QStringList SqliteDialect::historyTriggers(const HistoryTarget& t) const {
    const QString table = quoteIdentifier(t.table);
    const QString changes = quoteIdentifier(t.changes);
    const QString changeColumns = quoteIdentifiers(t.changeColumns);
    // Local time to the millisecond, sortable as text; one moment for the
    // whole statement.
    const QString who = QStringLiteral(
        "strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime'), vela_host(), vela_user()");
    auto rowOf = [&](const QString& which) {
        auto col = [&](const QString& c) {
            return c.isEmpty() ? QStringLiteral("NULL") : which + quoteIdentifier(c);
        };
        return QStringLiteral("%1, %2, %3, %4")
            .arg(quoteText(t.table), which + quoteIdentifier(t.key), col(t.sorszam),
                 col(t.recordId));
    };
    const QStringList names = historyTriggerNames(t.table);
    QStringList out;
    for (const QString& n : names)
        out << QStringLiteral("DROP TRIGGER IF EXISTS ") + quoteIdentifier(n);

    // A changed row: one entry per column whose value is not the same as
    // before (a change of letter case or of type counts).
    QStringList pairs;
    for (const QString& c : t.columns) {
        pairs << QStringLiteral("SELECT %1 AS o, OLD.%2 AS r, NEW.%2 AS u")
                     .arg(quoteText(c), quoteIdentifier(c));
    }
    out << QStringLiteral(
               "CREATE TRIGGER %1 AFTER UPDATE ON %2 FOR EACH ROW BEGIN "
               "INSERT INTO %3 (%4) SELECT %5, %6, %7, o, r, u FROM (%8) WHERE r IS NOT u; END")
               .arg(quoteIdentifier(names[0]), table, changes, changeColumns, who,
                    rowOf(QStringLiteral("NEW.")), quoteText(history_action::kChanged),
                    pairs.join(QStringLiteral(" UNION ALL ")));
    // A new row, or one a restore brings back (the note names what it restores).
    out << QStringLiteral(
               "CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW BEGIN "
               "INSERT INTO %3 (%4) VALUES (%5, %6, CASE WHEN vela_note() IS NULL THEN %7 "
               "ELSE %8 END, NULL, vela_note(), NULL); END")
               .arg(quoteIdentifier(names[1]), table, changes, changeColumns, who,
                    rowOf(QStringLiteral("NEW.")), quoteText(history_action::kInserted),
                    quoteText(history_action::kRestored));
    // A deleted row: kept whole, and an entry that points at it.
    out << QStringLiteral(
               "CREATE TRIGGER %1 AFTER DELETE ON %2 FOR EACH ROW BEGIN "
               "INSERT INTO %3 (%4, %5) VALUES (%6, OLD.%7, %8); "
               "INSERT INTO %9 (%10) VALUES (%8, %11, %12, NULL, last_insert_rowid(), NULL); END")
               .arg(quoteIdentifier(names[2]), table, quoteIdentifier(t.deleted),
                    quoteIdentifiers(t.columns), quoteIdentifiers(t.deletedExtra),
                    quoteIdentifiers(t.columns, QStringLiteral("OLD.")), quoteIdentifier(t.key),
                    who, changes, changeColumns, rowOf(QStringLiteral("OLD.")),
                    quoteText(history_action::kDeleted));
    return out;
}

class SqliteStatement final : public EngineStatement {
  public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* st, const SqliteConnection& conn)
        : db_(db), st_(st), conn_(conn) {}
    ~SqliteStatement() override { sqlite3_finalize(st_); }

    Status bind(int index, const QVariant& v) override {
        int rc;
        if (v.isNull()) {
            rc = sqlite3_bind_null(st_, index);
        } else {
            switch (v.typeId()) {
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong:
                    rc = sqlite3_bind_int64(st_, index, v.toLongLong());
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    rc = sqlite3_bind_double(st_, index, v.toDouble());
                    break;
                case QMetaType::QByteArray: {
                    const QByteArray b = v.toByteArray();
                    rc = sqlite3_bind_blob(st_, index, b.constData(), int(b.size()),
                                           SQLITE_TRANSIENT);
                    break;
                }
                default: {
                    const QByteArray s = v.toString().toUtf8();
                    rc = sqlite3_bind_text(st_, index, s.constData(), int(s.size()),
                                           SQLITE_TRANSIENT);
                    break;
                }
            }
        }
        if (rc != SQLITE_OK)
            return conn_.lastError(rc);
        return {};
    }

    Status bindColumn(int index, const EngineStatement& from, int column) override {
        const auto& other = static_cast<const SqliteStatement&>(from);
        const int rc = sqlite3_bind_value(st_, index, sqlite3_column_value(other.st_, column));
        if (rc != SQLITE_OK)
            return conn_.lastError(rc);
        return {};
    }

    Result<bool> step() override {
        const int rc = sqlite3_step(st_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE) {
            changed_ = sqlite3_changes64(db_);
            return false;
        }
        return conn_.lastError(sqlite3_extended_errcode(db_));
    }

    void reset() override { sqlite3_reset(st_); }

    int columnCount() const override { return sqlite3_column_count(st_); }
    QString columnName(int i) const override {
        return QString::fromUtf8(sqlite3_column_name(st_, i));
    }
    QVariant value(int i) const override {
        switch (sqlite3_column_type(st_, i)) {
            case SQLITE_INTEGER:
                return qlonglong(sqlite3_column_int64(st_, i));
            case SQLITE_FLOAT:
                return sqlite3_column_double(st_, i);
            case SQLITE_TEXT:
                return text(i);
            case SQLITE_BLOB:
                return QByteArray(static_cast<const char*>(sqlite3_column_blob(st_, i)),
                                  sqlite3_column_bytes(st_, i));
            default:
                return {};
        }
    }
    QString text(int i) const override {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st_, i)),
                                 sqlite3_column_bytes(st_, i));
    }
    QByteArray utf8(int i) const override {
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st_, i)),
                          sqlite3_column_bytes(st_, i));
    }
    qint64 int64(int i) const override { return sqlite3_column_int64(st_, i); }
    double real(int i) const override { return sqlite3_column_double(st_, i); }
    bool isNull(int i) const override { return sqlite3_column_type(st_, i) == SQLITE_NULL; }
    qint64 insertedKey() const override { return sqlite3_last_insert_rowid(db_); }
    qint64 rowsChanged() const override { return changed_; }

  private:
    sqlite3* db_;
    sqlite3_stmt* st_;
    const SqliteConnection& conn_;
    qint64 changed_ = 0;
};

}  // namespace

ErrorKind classify(int code) {
    switch (code & 0xff) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return ErrorKind::Damaged;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ErrorKind::Busy;
        case SQLITE_CONSTRAINT:
            return ErrorKind::Constraint;
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_NOMEM:
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
            return ErrorKind::Disk;
        default:
            return ErrorKind::Other;
    }
}

QString describe(int code, const QString& engineText) {
    const char* sentence = nullptr;
    switch (code & 0xff) {
        case SQLITE_FULL:
            sentence = "Betelt a lemez, az adatok nem írhatók ki.";
            break;
        case SQLITE_CANTOPEN:
            sentence =
                "Az adatbázis-állomány nem nyitható meg (hiányzik, vagy nincs hozzá "
                "jogosultság).";
            break;
        case SQLITE_IOERR:
            sentence = "Lemezhiba: az adatbázis-állomány nem olvasható vagy nem írható.";
            break;
        case SQLITE_READONLY:
            sentence = "Az adatbázis csak olvasható, nem írható bele.";
            break;
        case SQLITE_NOMEM:
            sentence = "Elfogyott a memória.";
            break;
        case SQLITE_PERM:
        case SQLITE_AUTH:
            sentence = "Nincs jogosultság az adatbázis-állományhoz.";
            break;
        case SQLITE_CORRUPT:
            sentence = "Az adatbázis-állomány sérült.";
            break;
        case SQLITE_NOTADB:
            sentence = "Az állomány nem adatbázis.";
            break;
        default:
            break;
    }
    if (!sentence)
        return engineText;
    return QString::fromUtf8(sentence) + QStringLiteral(" (") + engineText + QLatin1Char(')');
}

const Dialect& dialect() {
    static const SqliteDialect d;
    return d;
}

SqliteConnection::SqliteConnection(sqlite3* db, const QString& name, bool owned)
    : db_(db), name_(name), owned_(owned) {
    if (db_)
        sqlite3_update_hook(db_, &SqliteConnection::rowChanged, this);
}

void SqliteConnection::rowChanged(void* self, int, const char*, const char* table, long long) {
    // The history's tables: "Valtozasok" and the "…Torolt" of each recorded one.
    const size_t n = std::strlen(table);
    if ((n >= 6 && std::memcmp(table + n - 6, "Torolt", 6) == 0) ||
        std::strcmp(table, "Valtozasok") == 0)
        ++static_cast<SqliteConnection*>(self)->historyRows_;
}

SqliteConnection::~SqliteConnection() {
    if (db_)
        sqlite3_update_hook(db_, nullptr, nullptr);
    if (owned_)
        sqlite3_close_v2(db_);
}

std::unique_ptr<SqliteConnection> SqliteConnection::adopt(sqlite3* db) {
    registerFunctions(db);
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(
        db, file ? QFileInfo(QString::fromUtf8(file)).fileName() : QString(), false));
}

sqlite3* SqliteConnection::rawHandle(Connection* connection) {
    auto* c = dynamic_cast<SqliteConnection*>(connection);
    return c ? c->db_ : nullptr;
}

Result<std::unique_ptr<SqliteConnection>> SqliteConnection::open(const QString& path, OpenMode mode,
                                                                 int busyTimeoutMs) {
    // A connection is used by the thread that opened it only, so SQLite's own
    // per-call locking is left out (as Qt's driver did): it cost a tenth of a
    // million-row read.
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    switch (mode) {
        case OpenMode::ReadOnly:
            flags |= SQLITE_OPEN_READONLY;
            break;
        case OpenMode::ReadWrite:
            flags |= SQLITE_OPEN_READWRITE;
            break;
        case OpenMode::Create:
            flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
            break;
    }
    const bool uri = path.startsWith(QLatin1String("file:"));
    const QString file = uri ? QUrl(path).toLocalFile() : path;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(
        uri ? path.toUtf8().constData() : QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        const QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return Error{describe(code, text), code, classify(code)};
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyTimeoutMs);
    registerFunctions(db);
    return std::unique_ptr<SqliteConnection>(
        new SqliteConnection(db, QFileInfo(file).fileName(), true));
}

Error SqliteConnection::lastError(int code) const {
    if ((code & 0xff) == SQLITE_BUSY)
        return Error{busyMessage(name_), code, ErrorKind::Busy};
    return Error{describe(code, QString::fromUtf8(sqlite3_errmsg(db_))), code, classify(code)};
}

Result<std::unique_ptr<EngineStatement>> SqliteConnection::prepare(const QString& sql) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return lastError(sqlite3_extended_errcode(db_));
    }
    if (!st)
        return Error{QStringLiteral("Az SQL utasítás üres.")};
    return std::unique_ptr<EngineStatement>(new SqliteStatement(db_, st, *this));
}

Status SqliteConnection::execScript(const QString& sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    sqlite3_free(msg);
    if (rc == SQLITE_OK)
        return {};
    return lastError(sqlite3_extended_errcode(db_));
}

Status SqliteConnection::begin() {
    return execScript(QStringLiteral("BEGIN IMMEDIATE"));
}

Status SqliteConnection::commit() {
    return execScript(QStringLiteral("COMMIT"));
}

void SqliteConnection::rollback() {
    // Fails only when no transaction is open, or when SQLite has already
    // undone it after an error: either way nothing is left to undo.
    if (!sqlite3_get_autocommit(db_))
        (void)execScript(QStringLiteral("ROLLBACK"));
}

bool SqliteConnection::inTransaction() const {
    return db_ && sqlite3_get_autocommit(db_) == 0;
}

qint64 SqliteConnection::changeToken() {
    sqlite3_stmt* st = nullptr;
    qint64 v = -1;
    if (sqlite3_prepare_v2(db_, "PRAGMA data_version", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

qint64 SqliteConnection::totalChanges() const {
    return sqlite3_total_changes64(db_) - historyRows_;
}

const Dialect& SqliteConnection::dialect() const {
    return sqlite::dialect();
}

QString SqliteConnection::displayName() const {
    return name_;
}

}  // namespace sqlite
}  // namespace vela
