#pragma once

#include <QFile>
#include <QHash>
#include <QSet>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "base/result.h"

namespace velarep {

// Reads table rows straight from the pages of an SQLite file that SQLite
// itself refuses to read to the end (a damaged page). Every table b-tree is
// walked from its root; a page that does not parse is skipped with the rowid
// range its parent gave it, and leaf pages cut off from their tree by a
// damaged interior page are found by a scan of the whole file and given back
// to the table whose lost range holds their rows. A page is taken whole or
// not at all, so no garbage row comes across. The file is only read.
class PageSalvage {
  public:
    struct Tree {
        QString name;
        quint32 root = 0;
        int columns = 0;
        int rowidColumn = -1;  // an INTEGER PRIMARY KEY column: stored as the rowid
    };
    struct Row {
        qint64 rowid;
        QVariantList values;
    };
    struct Salvaged {
        qint64 rowsRead = 0;
        int damagedPages = 0;
        // Rowids in the lost ranges that no page gave back: the rows that
        // could not be read when rowids are dense (an upper bound otherwise);
        // -1 when the range has no bounds (the root page itself is lost).
        qint64 unreadable = 0;
    };

    // Maps the file and checks its header; an Error when it cannot be read
    // as an SQLite file at all.
    static vela::Result<std::unique_ptr<PageSalvage>> open(const QString& path);

    // Walks the trees of every table of the file; call once before rows().
    void survey(const std::vector<Tree>& trees);
    // Hands every readable row of the table to `row`, in rowid order, each
    // rowid once; a page at a time, so a large table does not fill memory.
    Salvaged read(const QString& table, const std::function<void(const Row&)>& row) const;

  private:
    explicit PageSalvage(const QString& path) : file_(path) {}
    struct Range {
        qint64 lo, hi;  // (lo, hi]; lo = min / hi = max for no bound
    };
    struct TreeState {
        Tree tree;
        std::vector<std::pair<quint32, Range>> leaves;
        std::vector<Range> lost;
        int damagedPages = 0;
        std::vector<quint32> orphans;
    };

    const uchar* page(quint32 n) const;
    int headerOffset(quint32 n) const { return n == 1 ? 100 : 0; }
    void walk(TreeState& t, quint32 n, Range range, int depth);
    // Parses a table leaf page; false when any cell of it does not parse.
    bool readLeaf(quint32 n, int columns, int rowidColumn, std::vector<Row>* out,
                  int* maxFields = nullptr) const;
    bool readPayload(const uchar* cell, int room, qint64 size, QByteArray* out) const;
    void markFreelist();

    QFile file_;
    const uchar* data_ = nullptr;
    qint64 size_ = 0;
    quint32 pageSize_ = 0;
    quint32 usable_ = 0;
    quint32 pageCount_ = 0;
    QSet<quint32> reached_;
    QHash<QString, TreeState> trees_;
};

}  // namespace velarep
