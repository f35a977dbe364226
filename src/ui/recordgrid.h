#pragma once

#include <QHash>
#include <QStyledItemDelegate>
#include <QTableView>

#include "ui/fieldrules.h"

namespace vela {

class RecordGridModel;
class DialogService;

// A grid over a record source: clicking a row makes it the current row, the
// current row is kept selected and in view, and cells are edited in place
// under per-column key rules.
class RecordGrid : public QTableView {
    Q_OBJECT
  public:
    explicit RecordGrid(QWidget* parent = nullptr);

    void setRecordModel(RecordGridModel* model, DialogService* dialogs);
    RecordGridModel* recordModel() const { return model_; }
    void setKeyRules(int gridColumn, KeyRules::Allowed allowed, int lengthLimit);
    // Shows the record source's current row.
    void followCurrent();

  signals:
    void headerClicked(int gridColumn);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    class Delegate;
    RecordGridModel* model_ = nullptr;
    DialogService* dialogs_ = nullptr;
    Delegate* delegate_ = nullptr;
    bool following_ = false;
};

}  // namespace vela
