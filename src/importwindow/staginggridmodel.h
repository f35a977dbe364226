#pragma once

#include <QSet>
#include <QString>

#include "ui/recordgridmodel.h"

namespace vela {

// The staging grid's rows: the staged columns, and after them one more that
// marks the invoices whose number the receivables ledger already holds.
class StagingGridModel : public RecordGridModel {
    Q_OBJECT
  public:
    StagingGridModel(RecordSource* source, DialogService* dialogs, QObject* parent = nullptr);

    // The invoice numbers (as texts) the ledger already holds.
    void setPresent(const QSet<QString>& numbers);
    const QSet<QString>& present() const { return present_; }
    bool isPresent(int row) const;
    int markColumn() const { return RecordGridModel::columnCount(); }

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  private:
    QSet<QString> present_;
};

}  // namespace vela
