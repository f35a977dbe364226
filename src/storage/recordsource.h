#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

#include "base/result.h"
#include "storage/changedrows.h"
#include "storage/columns.h"
#include "storage/query.h"

class QTimer;

namespace vela {

class Database;

// The spellings of value (its letters in either case) that occur in table's
// column, for an equality that ignores case to be found through an index;
// none when no index leads with the column (every look would read the whole
// table) or the spellings are too many.
std::optional<QStringList> columnSpellings(Database& db, const TableDef& table,
                                           const QString& column, const QString& value);

// A bound record source: the rows of one table that match a where-clause,
// in an order, with a current row that grids and fields follow.
//
// It keeps only the ordered rowids and reads the rows themselves on demand,
// a page at a time by rowid, so a million-row ledger opens at once and fits
// in memory. Edits of the current row are kept until the row is left or
// saved, then written in one statement.
//
// Every fallible member returns its Status; a move that must first write the
// row being left fails with that write's error (and writeFailed tells it).
class RecordSource : public QObject {
    Q_OBJECT
  public:
    using SortKey = OrderKey;

    explicit RecordSource(QObject* parent = nullptr);
    ~RecordSource() override;

    void setDatabase(Database* db) { db_ = db; }
    Database* database() const { return db_; }

    // The query: its table's rows that match its condition, in its order.
    // Takes effect at the next refresh.
    void setQuery(const Query& query);
    const Query& query() const { return query_; }
    const TableDef* table() const { return table_; }

    // Re-runs the query without any sort set since; the first row becomes current.
    [[nodiscard]] Status refresh();
    // Re-runs the query keeping the sort; the first row becomes current.
    [[nodiscard]] Status requery();
    void close();
    bool isOpen() const { return open_; }
    // Looks every intervalMs whether another connection has committed to the
    // database (a server tells its connections) and then re-reads the rows,
    // keeping the current row; an edit in progress is never thrown away: the
    // re-read waits until it is saved or cancelled. 0 stops looking.
    void followOthers(int intervalMs);
    // The look itself: true when the rows were read anew.
    bool rereadIfOthersWrote();
    // How often the rows were read whole (a look that read only the rows
    // another workstation changed does not count).
    int wholeReads() const { return wholeReads_; }

    int recordCount() const { return int(rowids_.size()); }
    bool bof() const { return pos_ < 0 || rowids_.empty(); }
    bool eof() const { return pos_ >= int(rowids_.size()) || rowids_.empty(); }
    int position() const { return pos_; }

    // A move past the last row (or before the first, or to no row) fails
    // and the current row stays.
    Status moveFirst();
    Status moveLast();
    Status moveNext();
    Status movePrevious();
    Status moveTo(int position);

    // Fields of the current row (pending edits included), by position or name.
    QVariant field(int column) const;
    QVariant field(const QString& name) const;
    int columnIndex(const QString& name) const;
    // Any row's value, for the grid; the current row shows its pending edit.
    QVariant valueAt(int row, int column) const;
    // The current row's value as it was read from the file, without its
    // pending edit (null for a new row).
    QVariant storedField(const QString& name) const;

    // Changes a field of the current row (an implicit Edit). The value is
    // converted to the column's type first; fails with a Hungarian reason
    // when it cannot stand there, and the row keeps its previous value.
    Status setField(int column, const QVariant& value);
    Status setField(const QString& name, const QVariant& value);

    // A rule a column's values keep wherever they come from (a bound field,
    // the grid, the window): it may rewrite the value (to capitals, say) and
    // returns false to refuse it, with refusal as the reason.
    using ColumnRule = std::function<bool(QVariant& value)>;
    void setColumnRule(const QString& column, const ColumnRule& rule, const QString& refusal);

    // Starts a new row; update() inserts it at the end of the rows.
    [[nodiscard]] Status addNew();
    // Writes the pending edit or new row. Nothing pending: success.
    [[nodiscard]] Status update();
    void cancelUpdate();
    bool editPending() const { return edit_.has_value(); }
    bool addingNew() const { return adding_; }

    // Deletes the current row; the next row becomes current (EOF after the last).
    [[nodiscard]] Status deleteCurrent();
    // Deletes the rows at positions in one transaction: all of them or, when
    // one cannot be deleted, none (the rows are then read again).
    [[nodiscard]] Status deleteRows(std::vector<int> positions);
    // Deletes every row of the query in one statement; the result is empty.
    [[nodiscard]] Status deleteAll();

    // The first row in the current order that matches condition becomes
    // current. When none does the search still succeeds, noMatch() tells
    // it and the current row stays; noMatch() also holds after a failure.
    Status findFirst(const Condition& condition);
    // Finds the first row whose column starts with prefix, letter case folded
    // the Hungarian way ("ő" finds "Ősz Kft"). Uses the column's index.
    Status findFirstPrefix(const QString& column, const QString& prefix);
    bool noMatch() const { return noMatch_; }

    // The current row's bookmark (its rowid); -1 at BOF/EOF.
    qint64 bookmark() const;
    Status setBookmark(qint64 bookmark);

    // A new result in the order of keys (each a column of the table); its
    // first row becomes current. sort() gives back label when one is given
    // (what a window compares), else the keys as "Brutto DESC, Szamlaszam".
    QString sort() const { return sortText_; }
    [[nodiscard]] Status setSort(const QList<OrderKey>& keys, const QString& label = {});
    static QString describe(const QList<OrderKey>& keys);

    // Values a new row takes only inside its insert's write transaction (a
    // sequence number one above the highest stored, say): with a hook, update()
    // of a new row takes the writer, hands the hook the row's values by column
    // name to fill in, and inserts them, all in one transaction.
    using InsertHook = std::function<Status(QHash<QString, QVariant>& values)>;
    void setInsertHook(InsertHook hook) { insertHook_ = std::move(hook); }

  signals:
    // The rows are about to be / were read anew (refresh, requery, sort, close).
    void rowsAboutToReset();
    void rowsReset();
    void rowAboutToBeInserted(int position);
    // A row of the table is about to be updated or deleted / was written
    // (updated or inserted): totals kept beside the rows follow them.
    void rowWriting(qint64 rowid);
    void rowWritten(qint64 rowid);
    void rowAboutToBeRemoved(int position);
    void currentChanged(int position);
    void rowChanged(int position);
    void rowInserted(int position);
    void rowRemoved(int position);
    // The current row is about to be left (or the rows read anew): the
    // last moment to put typed-in values into it.
    void aboutToLeaveRow();
    // A pending edit could not be written when its row was left.
    void writeFailed(const QString& error);

  private:
    using Row = std::vector<QVariant>;

    // How the rows are ordered: by clause, then by the names' Hungarian
    // alphabetical order in front.
    struct OrderPlan {
        QString clause;
        std::vector<SortKey> names;
    };
    OrderPlan orderPlan() const;
    // Reads the rows anew in the current order.
    [[nodiscard]] Status load();
    // The keys of the rows that match where, in the order of plan (about
    // expected of them).
    Result<std::vector<qint64>> readKeys(const OrderPlan& plan, const QString& where,
                                         const QVariantList& binds, size_t expected) const;
    // "key IN (?, …)" for keys, their values put in binds.
    QString keyIn(const QList<qint64>& keys, QVariantList& binds) const;
    // The given rows' keys in the current order.
    Result<std::vector<qint64>> inOrder(const QList<qint64>& keys) const;
    // Reads only the rows of keys anew: each leaves the rows or takes its
    // place in the order, as the query finds it now.
    [[nodiscard]] Status rereadRows(const QSet<qint64>& keys);
    [[nodiscard]] Status findFirstSql(const QString& condition, const QVariantList& binds);
    const Dialect& dialect() const;
    QString keySql() const;
    std::optional<QStringList> spellingsIn(const QString& column, const QString& value) const {
        return columnSpellings(*db_, *table_, column, value);
    }
    QString orderSql(const std::vector<SortKey>& keys, bool noIndex) const;
    QString effectiveOrderSql(bool noIndex) const;
    QString whereSql() const;
    [[nodiscard]] Status leaveCurrent();
    [[nodiscard]] Status insertWithHook();
    [[nodiscard]] Status setPosition(int position);
    const Row* rowAt(int row) const;
    void invalidate(qint64 rowid);
    void dropPages() const;
    // The refusal of a save of a row that another connection wrote since it
    // was read: names what changed, and takes the row as it is now under
    // the typed values, so that saving again writes them.
    Error writtenMeanwhile(qint64 rowid);
    int findRowid(qint64 rowid) const;
    const std::vector<int>& positions() const;
    bool hasIndexFor(const std::vector<SortKey>& keys) const;

    Database* db_ = nullptr;
    const TableDef* table_ = nullptr;
    Query query_;
    QString where_;  // query_'s condition as SQL, with its values in binds_
    QVariantList binds_;
    QString sortText_;
    std::vector<SortKey> sortKeys_;
    bool open_ = false;

    std::vector<qint64> rowids_;
    mutable std::vector<int> positions_;  // position by rowid, built when first needed
    int pos_ = -1;
    std::optional<Row> edit_;
    std::vector<bool> editedColumns_;
    // The row as read when the edit began, and its version then (empty
    // where the engine keeps none): a save of a row written since is refused.
    Row editBase_;
    QString editVersion_;
    bool adding_ = false;
    bool noMatch_ = false;

    static constexpr int kPageSize = 64;
    static constexpr int kMaxPages = 512;
    mutable QHash<int, std::vector<Row>> pages_;
    mutable QHash<qint64, QString> versions_;  // by rowid, for the rows of pages_
    QHash<int, std::pair<ColumnRule, QString>> rules_;
    InsertHook insertHook_;
    QTimer* follow_ = nullptr;
    qint64 followedToken_ = -1;
    ChangedRows changed_;
    int wholeReads_ = 0;
};

}  // namespace vela
