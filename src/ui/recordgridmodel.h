#pragma once

#include <QAbstractTableModel>
#include <QVector>

namespace vela {

class RecordSource;
class DialogService;

// The rows of a record source as a table for a grid: columns by table
// position, captions equal to the column names, cells edited in place into
// the record source (stored when the row is left). Only the rows on screen
// are ever read.
class RecordGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    RecordGridModel(RecordSource* source, QVector<int> columns, DialogService* dialogs,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    RecordSource* source() const { return source_; }
    // The table position of a grid column.
    int tableColumn(int gridColumn) const { return columns_.value(gridColumn, -1); }
    QString columnName(int gridColumn) const;
    void setHeaderCaption(int gridColumn, const QString& caption);
    // No cell is edited any more (a login that may only read the data).
    void setReadOnly(bool on) { readOnly_ = on; }
    bool isReadOnly() const { return readOnly_; }

  private:
    void sourceReset();

    RecordSource* source_;
    QVector<int> columns_;
    QVector<QString> captions_;
    DialogService* dialogs_;
    int rows_ = 0;
    bool resetting_ = false;
    bool readOnly_ = false;
};

}  // namespace vela
