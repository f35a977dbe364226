#pragma once

#include <QList>

#include "storage/history.h"
#include "ui/windowbase.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace vela {

class Database;
struct TableDef;

// "Változások": the history of one row of a ledger, newest first, and the
// ledger's deleted rows, of which the chosen ones are brought back exactly
// as they were. Both lists print.
class ValtozasokFormX : public WindowBase {
    Q_OBJECT
  public:
    // rowKey: the row whose history is shown (none: -1, only the deleted rows).
    ValtozasokFormX(AppContext& ctx, Database& db, const TableDef& ledger, qint64 rowKey,
                    QWidget* parent = nullptr);
    // Opens the window modally over parent; false when nothing was restored.
    static bool open(AppContext& ctx, Database& db, const TableDef& ledger, qint64 rowKey,
                     QWidget* parent);

    // The rows restored while the window was open.
    int restoredRows() const { return restored_; }

  public slots:
    void Form_Load();
    void Nyomtatas_Click();
    void Visszaallitas_Click();
    void Kilepes_Click();

  protected:
    void exitAction() override { Kilepes_Click(); }
    // The restore of deleted rows.
    QStringList writingControls() const override { return {QStringLiteral("Command2")}; }

  private:
    void fillHistory();
    void fillDeleted();
    QString shown(const QString& column, const QVariant& value) const;

    Database& db_;
    const TableDef& ledger_;
    qint64 rowKey_;
    QList<history::Entry> entries_;
    QList<history::DeletedRow> deleted_;
    int restored_ = 0;

    QLabel* Label1 = nullptr;  // which row
    QTabWidget* Tab1 = nullptr;
    QTableWidget* Grid1 = nullptr;  // the row's changes
    QTableWidget* Grid2 = nullptr;  // the deleted rows
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
};

}  // namespace vela
