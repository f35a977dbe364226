#include "storage/recordsource.h"

#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <algorithm>

#include "base/postgres/pgconnection.h"
#include "base/statement.h"
#include "base/textrules.h"
#include "storage/database.h"
#include "storage/values.h"

namespace vela {

using schema::quoteName;

namespace {

// A row's version where the database keeps one (a server, written by many
// workstations at once); empty for the files, written by one at a time.
QString rowVersionOf(const Database* db) {
    return db && db->onServer() ? postgres::PgConnection::rowVersion() : QString();
}

}  // namespace

RecordSource::RecordSource(QObject* parent) : QObject(parent) {}

RecordSource::~RecordSource() = default;

void RecordSource::setQuery(const Query& query) {
    query_ = query;
    table_ = query.table;
    binds_.clear();
    where_ = query.where.isAll() ? QString() : query.where.sql(binds_, dialect());
}

QString RecordSource::describe(const QList<OrderKey>& keys) {
    QStringList parts;
    for (const OrderKey& k : keys)
        parts << (k.descending ? k.column + QStringLiteral(" DESC") : k.column);
    return parts.join(QStringLiteral(", "));
}

const Dialect& RecordSource::dialect() const {
    return db_ ? db_->dialect() : Database::engineDialect();
}

QString RecordSource::keySql() const {
    return table_ ? table_->keySql() : QStringLiteral("rowid");
}

QString RecordSource::orderSql(const std::vector<SortKey>& keys, bool noIndex) const {
    const Dialect& d = dialect();
    QStringList parts;
    for (const SortKey& k : keys) {
        // Kept from the order index when another index finds the rows
        // faster (the finders).
        const QString col = quoteName(k.column);
        parts << (noIndex ? d.withoutIndex(col) : col) +
                     (k.descending ? QStringLiteral(" DESC") : QString());
    }
    parts << (noIndex ? d.withoutIndex(keySql()) : keySql());
    return parts.join(QStringLiteral(", "));
}

bool RecordSource::hasIndexFor(const std::vector<SortKey>& keys) const {
    if (keys.empty())
        return true;
    for (const IndexDef& ix : table_->indexes) {
        if (ix.columns.size() < qsizetype(keys.size()))
            continue;
        bool same = true;
        for (size_t i = 0; i < keys.size(); ++i) {
            same = same && ix.columns[qsizetype(i)] == keys[i].column &&
                   keys[i].descending == keys[0].descending;
        }
        if (same)
            return true;
    }
    return false;
}

QString RecordSource::effectiveOrderSql(bool noIndex) const {
    // An order that no index holds whole is read in one pass and sorted:
    // walking a one-column index and fetching every row for the next key
    // costs far more.
    if (!sortKeys_.empty())
        return orderSql(sortKeys_, noIndex || !hasIndexFor(sortKeys_));
    return orderSql(std::vector<SortKey>(query_.order.begin(), query_.order.end()), noIndex);
}

QString RecordSource::whereSql() const {
    return where_.trimmed().isEmpty() ? QString() : QStringLiteral(" WHERE (%1)").arg(where_);
}

namespace {

// The partner's name, which the partner register and its list are ordered by.
bool isName(const QString& column) {
    return column == QLatin1String("BerNev");
}

// Names, and the text column a header sort is asked for, sort in Hungarian
// alphabetical order: the leading such keys of an order. The keys behind
// them only part their ties, in stored order (the invoice number behind a
// clicked column: ranking a million distinct numbers alphabetically would
// cost seconds and change nothing a user reads). A query's own order on a
// code (the payment method of the staged invoices) stays the stored texts'.
size_t hungarianPrefix(const TableDef& table, const std::vector<OrderKey>& keys, bool header) {
    size_t n = 0;
    while (n < keys.size()) {
        const ColumnDef* c = table.column(keys[n].column);
        const bool clicked = header && n == 0;
        if (!c || c->type != ColumnType::Text || !(clicked || isName(c->name)))
            break;
        ++n;
    }
    return n;
}

// The rank of each row's text in Hungarian alphabetical order (null first),
// given the distinct texts and each row's index among them (-1: null).
std::vector<int> ranksOf(const std::vector<QString>& distinct, std::vector<int>& rowIndex) {
    std::vector<int> order(distinct.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return compareHungarian(distinct[size_t(a)], distinct[size_t(b)]) < 0;
    });
    std::vector<int> rank(distinct.size());
    for (size_t r = 0; r < order.size(); ++r) rank[size_t(order[r])] = int(r) + 1;
    for (int& i : rowIndex) i = i < 0 ? 0 : rank[size_t(i)];
    return rank;
}

}  // namespace

std::optional<QStringList> columnSpellings(Database& db, const TableDef& table,
                                           const QString& column, const QString& value) {
    bool leads = false;
    for (const IndexDef& ix : table.indexes)
        leads = leads || (!ix.columns.isEmpty() && ix.columns.first() == column);
    const std::optional<QStringList> all = Condition::caseSpellings(value, 256);
    if (!leads || !all || !table.column(column))
        return std::nullopt;
    Statement st(db.handle(), QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1")
                                  .arg(quoteName(table.name), quoteName(column)));
    QStringList found;
    for (const QString& spelling : *all) {
        if (!st.reset() || !st.bind(1, spelling))
            return std::nullopt;
        if (st.next())
            found << spelling;
        else if (!st.status())
            return std::nullopt;
    }
    return found;
}

RecordSource::OrderPlan RecordSource::orderPlan() const {
    const std::vector<SortKey> keys =
        !sortKeys_.empty() ? sortKeys_
                           : std::vector<SortKey>(query_.order.begin(), query_.order.end());
    const size_t prefix = hungarianPrefix(*table_, keys, !sortKeys_.empty());
    if (prefix == 0)
        return {effectiveOrderSql(false), {}};
    // The engine reads the rows in the order of the keys after the names;
    // a stable sort by the names' Hungarian ranks then puts them in front.
    // Behind a header sort's column those keys only part ties: one scan and
    // sort of the table is cheaper than walking their index to every row.
    const std::vector<SortKey> rest(keys.begin() + qsizetype(prefix), keys.end());
    const bool restIndexed = rest.empty() || sortKeys_.empty();
    return {orderSql(rest, !restIndexed),
            std::vector<SortKey>(keys.begin(), keys.begin() + qsizetype(prefix))};
}

Status RecordSource::load() {
    if (!db_ || !table_)
        return Error{QStringLiteral("A rekordforrásnak nincs adatbázisa vagy táblája.")};
    // A text equality on an indexed column becomes the spellings that occur
    // in it, so the index finds them in its order; looked up anew on every
    // read, since rows change.
    QVariantList binds;
    QString where;
    if (!query_.where.isAll()) {
        where = query_.where
                    .withSpellings([this](const QString& column, const QString& value) {
                        return spellingsIn(column, value);
                    })
                    .sql(binds, dialect());
    }
    Result<std::vector<qint64>> ids = readKeys(orderPlan(), where, binds, rowids_.size());
    if (!ids)
        return ids.error();
    ++wholeReads_;
    emit rowsAboutToReset();
    rowids_ = std::move(*ids);
    positions_.clear();
    dropPages();
    open_ = true;
    return {};
}

Result<std::vector<qint64>> RecordSource::readKeys(const OrderPlan& plan, const QString& where,
                                                   const QVariantList& binds,
                                                   size_t expected) const {
    const std::vector<SortKey>& names = plan.names;
    QString columns = keySql();
    for (const SortKey& k : names) columns += QStringLiteral(", ") + quoteName(k.column);
    Statement st(db_->handle(),
                 QStringLiteral("SELECT %4 FROM %1%2 ORDER BY %3")
                     .arg(quoteName(table_->name),
                          where.isEmpty() ? QString() : QStringLiteral(" WHERE (%1)").arg(where),
                          plan.clause, columns));
    if (Status s = st.bind(binds); !s)
        return s.error();
    std::vector<qint64> ids;
    ids.reserve(expected);
    // Per name key: each row's index among the distinct texts.
    std::vector<std::vector<int>> textIndex(names.size());
    std::vector<std::vector<QString>> distinct(names.size());
    std::vector<QHash<QByteArray, int>> seen(names.size());
    while (st.next()) {
        ids.push_back(st.int64(0));
        for (size_t k = 0; k < names.size(); ++k) {
            if (st.isNull(int(k) + 1)) {
                textIndex[k].push_back(-1);
                continue;
            }
            const QByteArray utf8 = st.utf8(int(k) + 1);
            auto it = seen[k].constFind(utf8);
            if (it == seen[k].constEnd()) {
                it = seen[k].insert(utf8, int(distinct[k].size()));
                distinct[k].push_back(QString::fromUtf8(utf8));
            }
            textIndex[k].push_back(*it);
        }
    }
    if (!st.status())
        return st.status().error();
    if (!names.empty()) {
        // A stable counting sort per key, the last key first.
        std::vector<size_t> order(ids.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        for (size_t k = names.size(); k-- > 0;) {
            std::vector<int>& rank = textIndex[k];
            const int top = int(ranksOf(distinct[k], rank).size());
            if (names[k].descending) {
                for (int& r : rank) r = top - r;
            }
            std::vector<size_t> count(size_t(top) + 2, 0);
            for (size_t i : order) ++count[size_t(rank[i]) + 1];
            for (size_t r = 1; r < count.size(); ++r) count[r] += count[r - 1];
            std::vector<size_t> next(order.size());
            for (size_t i : order) next[count[size_t(rank[i])]++] = i;
            order = std::move(next);
        }
        std::vector<qint64> sorted(ids.size());
        for (size_t i = 0; i < order.size(); ++i) sorted[i] = ids[order[i]];
        ids = std::move(sorted);
    }
    return ids;
}

Status RecordSource::refresh() {
    if (Status s = leaveCurrent(); !s)
        return s;
    for (const OrderKey& k : query_.order) {
        if (table_ && !table_->column(k.column))
            return Error{QStringLiteral("Hibás rendezés: %1").arg(k.column)};
    }
    sortKeys_.clear();
    sortText_.clear();
    return requery();
}

Status RecordSource::requery() {
    if (Status s = leaveCurrent(); !s)
        return s;
    if (Status s = load(); !s) {
        emit rowsAboutToReset();
        rowids_.clear();
        pos_ = -1;
        emit rowsReset();
        return s;
    }
    pos_ = rowids_.empty() ? -1 : 0;
    emit rowsReset();
    emit currentChanged(pos_);
    return {};
}

void RecordSource::followOthers(int intervalMs) {
    // Even with 0, the rows as they are now count as read.
    followedToken_ = db_ && db_->handle() ? db_->handle()->changeToken() : -1;
    if (db_ && table_)
        changed_.start(*db_, *table_);
    if (intervalMs <= 0) {
        delete follow_;
        follow_ = nullptr;
        return;
    }
    if (!follow_) {
        follow_ = new QTimer(this);
        connect(follow_, &QTimer::timeout, this, [this] { rereadIfOthersWrote(); });
    }
    follow_->start(intervalMs);
}

bool RecordSource::rereadIfOthersWrote() {
    if (!db_ || !db_->handle() || !open_ || edit_ || adding_)
        return false;
    const qint64 token = db_->handle()->changeToken();
    if (token == followedToken_)
        return false;
    // A re-read in the background writes nothing: the current row is not
    // left (which would save it), only read anew, and stays current by its
    // key, or keeps its place when another workstation deleted it.
    const qint64 current = bookmark();
    const int place = pos_;
    // The rows another workstation changed are read alone where the
    // database names them; otherwise, or when that fails, all of them.
    std::optional<QSet<qint64>> keys;
    if (changed_.follows(db_, table_))
        keys = changed_.sinceLastLook();
    else
        changed_.start(*db_, *table_);  // from now on; this time all is read
    if (keys && keys->isEmpty()) {
        followedToken_ = token;
        return false;
    }
    if (!(keys && rereadRows(*keys)) && !load()) {
        changed_.missed();
        return false;  // the rows shown stay; looked at again next time
    }
    followedToken_ = token;
    int at = current >= 0 ? findRowid(current) : -1;
    if (at < 0 && !rowids_.empty())
        at = std::clamp(place, 0, int(rowids_.size()) - 1);
    pos_ = rowids_.empty() ? -1 : at;
    emit rowsReset();
    emit currentChanged(pos_);
    return true;
}

QString RecordSource::keyIn(const QList<qint64>& keys, QVariantList& binds) const {
    QStringList marks;
    for (qint64 k : keys) {
        marks << QStringLiteral("?");
        binds << k;
    }
    return QStringLiteral("%1 IN (%2)").arg(keySql(), marks.join(QStringLiteral(", ")));
}

Result<std::vector<qint64>> RecordSource::inOrder(const QList<qint64>& keys) const {
    QVariantList binds;
    const QString where = keyIn(keys, binds);
    return readKeys(orderPlan(), where, binds, size_t(keys.size()));
}

Status RecordSource::rereadRows(const QSet<qint64>& keys) {
    // Placing a row takes a look per halving of the rows: past a few dozen
    // rows the whole read is quicker.
    constexpr int kMostPlaced = 48;
    // Those that match the query now, by their keys, with the condition as
    // it stands (letter case ignored, as the list's own read does).
    QVariantList binds;
    QString where = keyIn(keys.values(), binds);
    if (!where_.trimmed().isEmpty()) {
        where += QStringLiteral(" AND (%1)").arg(where_);
        binds += binds_;
    }
    Statement st(
        db_->handle(),
        QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(keySql(), quoteName(table_->name), where));
    if (Status s = st.bind(binds); !s)
        return s;
    QSet<qint64> matching;
    while (st.next()) matching.insert(st.int64(0));
    if (!st.status())
        return st.status();
    // Worked on a copy: the rows shown stay as they are until all is known.
    std::vector<qint64> ids = rowids_;
    std::vector<qint64> toPlace;
    QSet<qint64> leaving;
    for (qint64 k : keys) {
        const int at = findRowid(k);
        if (at < 0) {
            if (matching.contains(k))
                toPlace.push_back(k);
            continue;
        }
        // A row changed where it stands (the order's columns untouched)
        // keeps its place: it still sorts between its neighbours, when they
        // stay where they are.
        const bool neighbourChanged =
            (at > 0 && keys.contains(ids[size_t(at) - 1])) ||
            (size_t(at) + 1 < ids.size() && keys.contains(ids[size_t(at) + 1]));
        if (matching.contains(k) && !neighbourChanged) {
            QList<qint64> around;
            if (at > 0)
                around.push_back(ids[size_t(at) - 1]);
            around.push_back(k);
            if (size_t(at) + 1 < ids.size())
                around.push_back(ids[size_t(at) + 1]);
            Result<std::vector<qint64>> sorted = inOrder(around);
            if (!sorted)
                return sorted.error();
            if (std::equal(sorted->begin(), sorted->end(), around.begin(), around.end()))
                continue;
        }
        if (matching.contains(k))
            toPlace.push_back(k);
        leaving.insert(k);
    }
    if (int(toPlace.size()) > kMostPlaced)
        return Error{QStringLiteral("Túl sok sor változott.")};
    if (!leaving.isEmpty())
        ids.erase(
            std::remove_if(ids.begin(), ids.end(), [&](qint64 id) { return leaving.contains(id); }),
            ids.end());
    for (qint64 k : toPlace) {
        // The first row that sorts after k, by halving.
        size_t lo = 0, hi = ids.size();
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            Result<std::vector<qint64>> pair = inOrder({ids[mid], k});
            if (!pair)
                return pair.error();
            if (pair->size() == 2 && pair->front() == ids[mid])
                lo = mid + 1;
            else
                hi = mid;
        }
        ids.insert(ids.begin() + qsizetype(lo), k);
    }
    emit rowsAboutToReset();
    rowids_ = std::move(ids);
    positions_.clear();
    dropPages();
    return {};
}

void RecordSource::close() {
    edit_.reset();
    adding_ = false;
    emit rowsAboutToReset();
    rowids_.clear();
    rowids_.shrink_to_fit();
    positions_.clear();
    positions_.shrink_to_fit();
    dropPages();
    pos_ = -1;
    open_ = false;
    emit rowsReset();
}

Status RecordSource::leaveCurrent() {
    // Fields still holding what the user typed hand it over first.
    emit aboutToLeaveRow();
    if (!edit_)
        return {};
    Status written = update();
    if (!written)
        emit writeFailed(written.errorText());
    return written;
}

Status RecordSource::setPosition(int position) {
    if (position == pos_ && !edit_)
        return {};
    if (Status s = leaveCurrent(); !s)
        return s;
    pos_ = position;
    emit currentChanged(pos_);
    return {};
}

Status RecordSource::moveFirst() {
    return setPosition(rowids_.empty() ? -1 : 0);
}

Status RecordSource::moveLast() {
    return setPosition(rowids_.empty() ? -1 : int(rowids_.size()) - 1);
}

Status RecordSource::moveNext() {
    if (eof())
        return Error{QStringLiteral("Nincs következő adatsor.")};
    return setPosition(pos_ + 1);
}

Status RecordSource::movePrevious() {
    if (bof())
        return Error{QStringLiteral("Nincs előző adatsor.")};
    return setPosition(pos_ - 1);
}

Status RecordSource::moveTo(int position) {
    if (position < 0 || position >= int(rowids_.size()))
        return Error{QStringLiteral("Nincs ilyen adatsor.")};
    return setPosition(position);
}

const RecordSource::Row* RecordSource::rowAt(int row) const {
    if (row < 0 || row >= int(rowids_.size()) || !db_ || !table_)
        return nullptr;
    const int page = row / kPageSize;
    auto it = pages_.find(page);
    if (it == pages_.end()) {
        if (pages_.size() >= kMaxPages)
            dropPages();
        const int first = page * kPageSize;
        const int last = std::min(int(rowids_.size()), first + kPageSize);
        // Rowids are our own whole numbers, never user text.
        QStringList ids;
        for (int i = first; i < last; ++i) ids << QString::number(rowids_[size_t(i)]);
        QStringList cols;
        for (const ColumnDef& c : table_->columns) cols << quoteName(c.name);
        const QString version = rowVersionOf(db_);
        if (!version.isEmpty())
            cols << version;
        Statement st(db_->handle(),
                     QStringLiteral("SELECT %4, %1 FROM %2 WHERE %4 IN (%3)")
                         .arg(cols.join(QStringLiteral(", ")), quoteName(table_->name),
                              ids.join(QLatin1Char(',')), keySql()));
        QHash<qint64, Row> byId;
        const int n = int(table_->columns.size());
        while (st.next()) {
            Row r(static_cast<size_t>(n));
            for (int c = 0; c < n; ++c)
                r[size_t(c)] =
                    values::fromStorage(table_->columns[size_t(c)].type, st.value(c + 1));
            if (!version.isEmpty())
                versions_.insert(st.int64(0), st.text(n + 1));
            byId.insert(st.int64(0), std::move(r));
        }
        std::vector<Row> rows;
        rows.reserve(size_t(last - first));
        for (int i = first; i < last; ++i)
            rows.push_back(byId.value(rowids_[size_t(i)]));  // a vanished row reads as nulls
        it = pages_.insert(page, std::move(rows));
    }
    return &it.value()[size_t(row % kPageSize)];
}

void RecordSource::dropPages() const {
    pages_.clear();
    versions_.clear();
}

void RecordSource::invalidate(qint64 rowid) {
    const int i = findRowid(rowid);
    if (i >= 0)
        pages_.remove(i / kPageSize);
}

int RecordSource::findRowid(qint64 rowid) const {
    if (pos_ >= 0 && pos_ < int(rowids_.size()) && rowids_[size_t(pos_)] == rowid)
        return pos_;
    const std::vector<int>& pos = positions();
    if (!pos.empty())
        return rowid >= 0 && rowid < qint64(pos.size()) ? pos[size_t(rowid)] : -1;
    const auto it = std::find(rowids_.begin(), rowids_.end(), rowid);
    return it == rowids_.end() ? -1 : int(it - rowids_.begin());
}

const std::vector<int>& RecordSource::positions() const {
    // Rowids are dense in practice; a table of positions by rowid answers
    // "where is this row" at once. Sparse rowids fall back to a search.
    if (positions_.empty() && !rowids_.empty()) {
        const qint64 top = *std::max_element(rowids_.begin(), rowids_.end());
        if (top >= 0 && top < 4 * qint64(rowids_.size()) + 1024) {
            positions_.assign(size_t(top) + 1, -1);
            for (size_t i = 0; i < rowids_.size(); ++i)
                if (rowids_[i] >= 0)
                    positions_[size_t(rowids_[i])] = int(i);
        }
    }
    return positions_;
}

int RecordSource::columnIndex(const QString& name) const {
    if (!table_)
        return -1;
    const int i = table_->indexOf(name);
    if (i >= 0)
        return i;
    for (size_t c = 0; c < table_->columns.size(); ++c) {
        if (table_->columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(c);
    }
    return -1;
}

QVariant RecordSource::valueAt(int row, int column) const {
    if (!table_ || column < 0 || column >= int(table_->columns.size()))
        return {};
    if (row == pos_ && edit_)
        return (*edit_)[size_t(column)];
    const Row* r = rowAt(row);
    if (!r || r->empty())
        return {};
    return (*r)[size_t(column)];
}

QVariant RecordSource::field(int column) const {
    if (adding_ && edit_ && table_ && column >= 0 && column < int(table_->columns.size()))
        return (*edit_)[size_t(column)];
    return valueAt(pos_, column);
}

QVariant RecordSource::field(const QString& name) const {
    return field(columnIndex(name));
}

QVariant RecordSource::storedField(const QString& name) const {
    const int column = columnIndex(name);
    if (adding_ || column < 0 || bof() || eof())
        return {};
    const Row* r = rowAt(pos_);
    return r && size_t(column) < r->size() ? (*r)[size_t(column)] : QVariant();
}

Status RecordSource::setField(int column, const QVariant& value) {
    if (!table_ || column < 0 || column >= int(table_->columns.size()))
        return Error{QStringLiteral("Nincs ilyen mező.")};
    if (!adding_ && (bof() || eof()))
        return Error{QStringLiteral("Nincs aktuális adatsor.")};
    Result<QVariant> stored = values::toColumnValue(table_->columns[size_t(column)], value);
    if (!stored)
        return stored.error();
    QVariant converted = std::move(*stored);
    if (const auto rule = rules_.constFind(column); rule != rules_.cend()) {
        if (!rule->first(converted))
            return Error{rule->second};
    }
    if (!edit_) {
        const Row* r = rowAt(pos_);
        edit_ = r && !r->empty() ? *r : Row(table_->columns.size());
        editedColumns_.assign(table_->columns.size(), false);
        editBase_ = *edit_;
        editVersion_ = adding_ ? QString() : versions_.value(rowids_[size_t(pos_)]);
    }
    const QVariant& old = (*edit_)[size_t(column)];
    if (old == converted && old.isNull() == converted.isNull())
        return {};
    (*edit_)[size_t(column)] = converted;
    editedColumns_[size_t(column)] = true;
    if (!adding_)
        emit rowChanged(pos_);
    return {};
}

void RecordSource::setColumnRule(const QString& column, const ColumnRule& rule,
                                 const QString& refusal) {
    const int at = columnIndex(column);
    if (at >= 0)
        rules_.insert(at, {rule, refusal});
}

Status RecordSource::setField(const QString& name, const QVariant& value) {
    return setField(columnIndex(name), value);
}

Status RecordSource::addNew() {
    if (!table_ || !db_)
        return Error{QStringLiteral("A rekordforrás nincs megnyitva.")};
    if (Status s = leaveCurrent(); !s)
        return s;
    edit_ = Row(table_->columns.size());
    editedColumns_.assign(table_->columns.size(), false);
    adding_ = true;
    return {};
}

Status RecordSource::insertWithHook() {
    // The hook reads what other connections wrote (the highest number, say):
    // the writer is taken first, so nobody can write the same between its
    // read and the insert.
    if (Status s = db_->begin(); !s)
        return s;
    QHash<QString, QVariant> values;
    for (size_t c = 0; c < table_->columns.size(); ++c)
        values.insert(table_->columns[c].name, (*edit_)[c]);
    const QHash<QString, QVariant> given = values;
    if (Status s = insertHook_(values); !s) {
        db_->rollback();
        return s;
    }
    const Row kept = *edit_;
    const std::vector<bool> keptEdited = editedColumns_;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (given.value(it.key()) == it.value())
            continue;
        if (Status s = setField(it.key(), it.value()); !s) {
            db_->rollback();
            edit_ = kept;
            editedColumns_ = keptEdited;
            return s;
        }
    }
    InsertHook hook = std::move(insertHook_);
    insertHook_ = {};
    const Status inserted = update();
    insertHook_ = std::move(hook);
    if (!inserted) {
        db_->rollback();
        edit_ = kept;
        editedColumns_ = keptEdited;
        return inserted;
    }
    if (Status s = db_->commit(); !s) {
        db_->rollback();
        // Nothing was stored (a server that went away mid-way undoes the
        // whole transaction): the row is taken back out of the rows and the
        // typed values are pending again, so that saving again writes them once.
        const int at = findRowid(rowids_.empty() ? -1 : rowids_.back());
        if (at >= 0 && at == int(rowids_.size()) - 1) {
            emit rowAboutToBeRemoved(at);
            rowids_.pop_back();
            positions_.clear();
            pages_.remove(at / kPageSize);
            emit rowRemoved(at);
        }
        edit_ = kept;
        editedColumns_ = keptEdited;
        adding_ = true;
        return s;
    }
    return {};
}

Status RecordSource::deleteRows(std::vector<int> positions) {
    if (!db_)
        return Error{QStringLiteral("A rekordforrás nincs megnyitva.")};
    std::sort(positions.begin(), positions.end(), std::greater<int>());
    if (Status s = db_->begin(); !s)
        return s;
    Status deleted;
    for (int at : positions) {
        deleted = moveTo(at);
        if (deleted)
            deleted = deleteCurrent();
        if (!deleted)
            break;
    }
    if (deleted)
        deleted = db_->commit();
    if (!deleted) {
        db_->rollback();
        // The rows are back in the file: read them again.
        (void)requery();
    }
    return deleted;
}

Status RecordSource::update() {
    if (!edit_)
        return {};
    QStringList cols;
    QStringList marks;
    QVariantList vals;
    for (size_t c = 0; c < editedColumns_.size(); ++c) {
        if (!editedColumns_[c])
            continue;
        cols << quoteName(table_->columns[c].name);
        vals << (*edit_)[c];
    }
    if (adding_ && insertHook_)
        return insertWithHook();
    if (adding_) {
        for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
        const QString sql =
            cols.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table_->name))
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoteName(table_->name), cols.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", ")));
        Statement st(db_->handle(), sql + dialect().returningKey(table_->keySql()));
        if (Status s = st.bind(vals); !s)
            return s;
        if (Status s = st.exec(); !s)
            return s;
        const qint64 id = st.insertedKey();
        emit rowWritten(id);
        emit rowAboutToBeInserted(int(rowids_.size()));
        rowids_.push_back(id);
        if (!positions_.empty()) {
            if (id >= 0 && id < qint64(positions_.size()))
                positions_[size_t(id)] = int(rowids_.size()) - 1;
            else
                positions_.clear();  // rebuilt when next asked for
        }
        edit_.reset();
        adding_ = false;
        const int at = int(rowids_.size()) - 1;
        pages_.remove(at / kPageSize);
        emit rowInserted(at);
        return {};
    }
    if (cols.isEmpty()) {
        edit_.reset();
        return {};
    }
    QStringList sets;
    for (const QString& c : cols) sets << c + QStringLiteral(" = ?");
    const qint64 id = rowids_[size_t(pos_)];
    vals << id;
    QString where = keySql() + QStringLiteral(" = ?");
    // Only the row as it was read may be written over.
    const QString version = rowVersionOf(db_);
    const bool versioned = !version.isEmpty() && !editVersion_.isEmpty();
    if (versioned) {
        where += QStringLiteral(" AND %1 = ?").arg(version);
        vals << editVersion_;
    }
    Statement st(db_->handle(),
                 QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                     .arg(quoteName(table_->name), sets.join(QStringLiteral(", ")), where));
    emit rowWriting(id);
    if (Status s = st.bind(vals); !s)
        return s;
    if (Status s = st.exec(); !s)
        return s;
    if (st.rowsChanged() == 0) {
        if (versioned)
            return writtenMeanwhile(id);
        // Another workstation may have deleted the row since it was read.
        return Error{
            QStringLiteral("Ezt a sort közben egy másik munkaállomás törölte, a "
                           "módosítás nem menthető. Frissítse a listát!")};
    }
    emit rowWritten(id);
    edit_.reset();
    pages_.remove(pos_ / kPageSize);
    emit rowChanged(pos_);
    return {};
}

Error RecordSource::writtenMeanwhile(qint64 rowid) {
    const Error deleted{
        QStringLiteral("Ezt a sort közben egy másik munkaállomás törölte, a "
                       "módosítás nem menthető. Frissítse a listát!")};
    QStringList cols;
    for (const ColumnDef& c : table_->columns) cols << quoteName(c.name);
    cols << rowVersionOf(db_);
    Statement st(db_->handle(),
                 QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                     .arg(cols.join(QStringLiteral(", ")), quoteName(table_->name), keySql()));
    if (Status s = st.bind(1, rowid); !s)
        return s.error();
    if (!st.next())
        return st.status() ? deleted : st.status().error();
    const int n = int(table_->columns.size());
    QStringList changed;
    Row now(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        const ColumnDef& col = table_->columns[size_t(c)];
        now[size_t(c)] = values::fromStorage(col.type, st.value(c));
        const QVariant& before = editBase_[size_t(c)];
        if (before != now[size_t(c)] || before.isNull() != now[size_t(c)].isNull())
            changed << col.name;
    }
    // The row as it is now, under what the user typed: saving again
    // writes the typed values over the other workstation's.
    for (int c = 0; c < n; ++c) {
        if (!editedColumns_[size_t(c)])
            (*edit_)[size_t(c)] = now[size_t(c)];
    }
    editBase_ = now;
    editVersion_ = st.text(n);
    invalidate(rowid);
    emit rowChanged(pos_);
    const QString what =
        changed.isEmpty()
            ? QStringLiteral("a mezők értéke nem változott")
            : QStringLiteral("megváltozott: %1").arg(changed.join(QStringLiteral(", ")));
    return Error{QStringLiteral("Ezt a sort közben egy másik munkaállomás módosította (%1), "
                                "ezért a módosítás nem került mentésre. A beírt adatok a mezőkben "
                                "maradtak, a többi mező már a mentett értéket mutatja: nézze át, "
                                "és mentse újra, ha így helyes!")
                     .arg(what)};
}

void RecordSource::cancelUpdate() {
    const bool wasEditing = edit_.has_value() && !adding_;
    edit_.reset();
    adding_ = false;
    if (wasEditing)
        emit rowChanged(pos_);
}

Status RecordSource::deleteCurrent() {
    if (adding_) {
        cancelUpdate();
        return {};
    }
    if (bof() || eof())
        return Error{QStringLiteral("Nincs törölhető adatsor.")};
    edit_.reset();
    const qint64 id = rowids_[size_t(pos_)];
    emit rowWriting(id);
    if (Status s = db_->exec(
            QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteName(table_->name), keySql()),
            {id});
        !s)
        return s;
    positions_.clear();
    const int at = pos_;
    emit rowAboutToBeRemoved(at);
    rowids_.erase(rowids_.begin() + at);
    // Every cached page from here on has shifted by one row.
    for (auto it = pages_.begin(); it != pages_.end();) {
        if (it.key() >= at / kPageSize)
            it = pages_.erase(it);
        else
            ++it;
    }
    emit rowRemoved(at);
    pos_ = std::min(at, int(rowids_.size()));
    if (rowids_.empty())
        pos_ = -1;
    emit currentChanged(pos_);
    return {};
}

Status RecordSource::deleteAll() {
    if (!db_ || !table_)
        return Error{QStringLiteral("A rekordforrásnak nincs adatbázisa vagy táblája.")};
    cancelUpdate();
    if (Status s = db_->exec(
            QStringLiteral("DELETE FROM %1%2").arg(quoteName(table_->name), whereSql()), binds_);
        !s)
        return s;
    emit rowsAboutToReset();
    rowids_.clear();
    positions_.clear();
    dropPages();
    pos_ = -1;
    emit rowsReset();
    emit currentChanged(pos_);
    return {};
}

Status RecordSource::findFirst(const Condition& condition) {
    QVariantList binds;
    const QString sql = condition.sql(binds, dialect());
    return findFirstSql(sql, binds);
}

Status RecordSource::findFirstSql(const QString& condition, const QVariantList& binds) {
    noMatch_ = true;
    if (!table_ || !db_ || rowids_.empty())
        return {};
    const QString tab = quoteName(table_->name);
    // The first rows in the current order are tried first: where matches are
    // many, one of them is found there without reading any other row.
    constexpr int kProbe = 256;
    QStringList ids;
    for (int i = 0; i < std::min(kProbe, int(rowids_.size())); ++i)
        ids << QString::number(rowids_[size_t(i)]);
    int best = -1;
    {
        Statement st(db_->handle(), QStringLiteral("SELECT %4 FROM %1 WHERE %4 IN (%2) AND (%3)")
                                        .arg(tab, ids.join(QLatin1Char(',')), condition, keySql()));
        if (Status s = st.bind(binds); !s)
            return s;
        while (st.next()) {
            const int at = findRowid(st.int64(0));
            if (at >= 0 && (best < 0 || at < best))
                best = at;
        }
        if (!st.status())
            return st.status();
    }
    if (best < 0 && int(rowids_.size()) > kProbe) {
        // Otherwise every matching row of the table, found through the
        // condition's index; rows outside this result have no position.
        Statement st(db_->handle(),
                     QStringLiteral("SELECT %3 FROM %1 WHERE (%2)").arg(tab, condition, keySql()));
        if (Status s = st.bind(binds); !s)
            return s;
        const std::vector<int>& pos = positions();
        while (st.next()) {
            const qint64 id = st.int64(0);
            const int at = !pos.empty()
                               ? (id >= 0 && id < qint64(pos.size()) ? pos[size_t(id)] : -1)
                               : findRowid(id);
            if (at >= 0 && (best < 0 || at < best))
                best = at;
            if (best == 0)
                break;
        }
        if (!st.status())
            return st.status();
    }
    if (best < 0)
        return {};
    if (Status s = setPosition(best); !s)
        return s;
    noMatch_ = false;
    return {};
}

Status RecordSource::findFirstPrefix(const QString& column, const QString& prefix) {
    noMatch_ = true;
    const int ci = columnIndex(column);
    if (ci < 0 || !db_)
        return Error{QStringLiteral("Nincs ilyen mező: %1").arg(column)};
    const QString col = quoteName(table_->columns[size_t(ci)].name);
    const QString tab = quoteName(table_->name);
    // The index is in binary order, so a case-blind prefix is the union of
    // the ranges of its case variants. Spelling the prefix out letter by
    // letter and keeping only the variants some row starts with keeps the
    // number of ranges small.
    static const QString top = QString::fromUcs4(U"\U0010FFFF", 1);
    Statement exists(db_->handle(), QStringLiteral("SELECT 1 FROM %1 WHERE %2 >= ?1 AND %2 < ?2 "
                                                   "LIMIT 1")
                                        .arg(tab, col));
    QStringList variants{QString()};
    constexpr int kMaxVariants = 64;
    bool tooMany = false;
    for (const QChar ch : prefix) {
        QStringList cases{QString(ch)};
        for (const QString& c : {QString(ch).toLower(), QString(ch).toUpper()}) {
            if (!cases.contains(c))
                cases << c;
        }
        QStringList next;
        for (const QString& v : std::as_const(variants)) {
            for (const QString& c : cases) {
                const QString s = v + c;
                if (Status r = exists.reset(); !r)
                    return r;
                if (Status b = exists.bind({s, s + top}); !b)
                    return b;
                if (exists.next())
                    next << s;
                else if (!exists.status())
                    return exists.status();
            }
        }
        variants = next;
        if (variants.isEmpty())
            return {};
        if (variants.size() > kMaxVariants) {
            tooMany = true;
            break;
        }
    }
    if (tooMany)
        return findFirstSql(dialect().startsWith(col, QStringLiteral("?")), {prefix});
    QStringList ranges;
    QVariantList binds;
    for (const QString& v : std::as_const(variants)) {
        ranges << QStringLiteral("(%1 >= ? AND %1 < ?)").arg(col);
        binds << v << v + top;
    }
    return findFirstSql(ranges.join(QStringLiteral(" OR ")), binds);
}

qint64 RecordSource::bookmark() const {
    if (bof() || eof())
        return -1;
    return rowids_[size_t(pos_)];
}

Status RecordSource::setBookmark(qint64 bookmark) {
    const int at = findRowid(bookmark);
    if (at < 0)
        return Error{QStringLiteral("A megjelölt adatsor már nem létezik.")};
    return setPosition(at);
}

Status RecordSource::setSort(const QList<OrderKey>& order, const QString& label) {
    if (!table_)
        return Error{QStringLiteral("A rekordforrásnak nincs adatbázisa vagy táblája.")};
    std::vector<SortKey> keys;
    for (const OrderKey& k : order) {
        if (!table_->column(k.column))
            return Error{QStringLiteral("Hibás rendezés: nincs ilyen oszlop: %1").arg(k.column)};
        keys.push_back(k);
    }
    if (keys.empty())
        return Error{QStringLiteral("Hibás rendezés: nincs megadva oszlop.")};
    if (Status s = leaveCurrent(); !s)
        return s;
    const auto oldKeys = sortKeys_;
    sortKeys_ = std::move(keys);
    if (Status s = load(); !s) {
        sortKeys_ = oldKeys;
        return s;
    }
    sortText_ = label.isEmpty() ? describe(order) : label;
    pos_ = rowids_.empty() ? -1 : 0;
    emit rowsReset();
    emit currentChanged(pos_);
    return {};
}

}  // namespace vela
