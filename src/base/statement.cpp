#include "base/statement.h"

#include <QDate>
#include <atomic>

namespace vela {

namespace {

std::atomic<Statement::DamageListener> g_listener{nullptr};

}  // namespace

QString busyMessage(const QString& fileName) {
    return QStringLiteral(
               "A(z) „%1” adatbázisba most egy másik munkaállomás ír. A program néhány "
               "másodpercig várt rá, de nem sikerült; próbálja újra egy kis idő múlva!")
        .arg(fileName);
}

void Statement::setDamageListener(DamageListener listener) {
    g_listener = listener;
}

QString Statement::busyText(const Connection* db) {
    return busyMessage(db ? db->displayName() : QString());
}

const Status& Statement::fail(const Error& error) {
    status_ = error;
    if (error.damaged()) {
        if (DamageListener listener = g_listener)
            listener(db_, error);
    }
    return status_;
}

Statement::Statement(Connection* db, const QString& sql) : db_(db) {
    if (!db) {
        status_ = Error{QStringLiteral("Az adatbázis nincs megnyitva.")};
        return;
    }
    if (db->isDamaged()) {
        status_ = Error{QStringLiteral("Az adatbázis sérült, ezért a program nem ír bele többet."),
                        0, ErrorKind::Damaged};
        return;
    }
    Result<std::unique_ptr<EngineStatement>> prepared = db->prepare(sql);
    if (prepared)
        st_ = std::move(*prepared);
    else
        fail(prepared.error());
}

Statement::~Statement() = default;

Status Statement::bind(const QVariantList& values) {
    if (!st_)
        return status_;
    for (int i = 0; i < values.size(); ++i) {
        if (Status s = bind(i + 1, values[i]); !s)
            return s;
    }
    return {};
}

Status Statement::bind(int index, const QVariant& value) {
    if (!st_)
        return status_;
    // Dates go in as 'YYYY-MM-DD' text and booleans as 0/1, as they are stored.
    QVariant v = value;
    if (v.typeId() == QMetaType::QDate && !v.isNull())
        v = v.toDate().toString(Qt::ISODate);
    else if (v.typeId() == QMetaType::Bool && !v.isNull())
        v = qlonglong(v.toBool() ? 1 : 0);
    if (Status s = st_->bind(index, v); !s) {
        status_ = s;
        return s;
    }
    return {};
}

Status Statement::bindColumn(int index, const Statement& from, int column) {
    if (!st_)
        return status_;
    if (!from.st_)
        return from.status_;
    if (Status s = st_->bindColumn(index, *from.st_, column); !s) {
        status_ = s;
        return s;
    }
    return {};
}

bool Statement::next() {
    // A failed bind or step is not stepped past: only reset() forgets it,
    // so a statement never runs with a value missing.
    if (!st_ || !status_)
        return false;
    Result<bool> row = st_->step();
    if (!row) {
        fail(row.error());
        return false;
    }
    return *row;
}

Status Statement::exec() {
    if (!st_)
        return status_;
    while (next()) {
    }
    return status_;
}

Status Statement::reset() {
    if (!st_)
        return status_;
    status_ = {};
    st_->reset();
    return {};
}

int Statement::columnCount() const {
    return st_ ? st_->columnCount() : 0;
}

QString Statement::columnName(int i) const {
    return st_ ? st_->columnName(i) : QString();
}

QVariant Statement::value(int i) const {
    return st_ ? st_->value(i) : QVariant();
}

QString Statement::text(int i) const {
    return st_ ? st_->text(i) : QString();
}

QByteArray Statement::utf8(int i) const {
    return st_ ? st_->utf8(i) : QByteArray();
}

qint64 Statement::int64(int i) const {
    return st_ ? st_->int64(i) : 0;
}

double Statement::real(int i) const {
    return st_ ? st_->real(i) : 0.0;
}

bool Statement::isNull(int i) const {
    return st_ ? st_->isNull(i) : true;
}

qint64 Statement::insertedKey() const {
    return st_ ? st_->insertedKey() : -1;
}

qint64 Statement::rowsChanged() const {
    return st_ ? st_->rowsChanged() : 0;
}

}  // namespace vela
