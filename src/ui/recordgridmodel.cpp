#include "ui/recordgridmodel.h"

#include "storage/recordsource.h"
#include "storage/values.h"
#include "ui/dialogservice.h"
#include "ui/fieldrules.h"

namespace vela {

RecordGridModel::RecordGridModel(RecordSource* source, QVector<int> columns, DialogService* dialogs,
                                 QObject* parent)
    : QAbstractTableModel(parent),
      source_(source),
      columns_(std::move(columns)),
      dialogs_(dialogs) {
    for (int c : columns_)
        captions_ << (source_->table() ? source_->table()->columns[size_t(c)].name : QString());
    rows_ = source_->recordCount();
    // The row count is kept here and changed inside the begin/end pairs, so
    // views see a consistent model while the source changes under it.
    connect(source_, &RecordSource::rowsAboutToReset, this, [this] {
        if (!resetting_) {
            resetting_ = true;
            beginResetModel();
        }
    });
    connect(source_, &RecordSource::rowsReset, this, &RecordGridModel::sourceReset);
    connect(source_, &RecordSource::rowAboutToBeInserted, this,
            [this](int position) { beginInsertRows({}, position, position); });
    connect(source_, &RecordSource::rowInserted, this, [this] {
        ++rows_;
        endInsertRows();
    });
    connect(source_, &RecordSource::rowAboutToBeRemoved, this,
            [this](int position) { beginRemoveRows({}, position, position); });
    connect(source_, &RecordSource::rowRemoved, this, [this] {
        --rows_;
        endRemoveRows();
    });
    connect(source_, &RecordSource::rowChanged, this, [this](int position) {
        if (position >= 0 && position < rows_)
            emit dataChanged(index(position, 0), index(position, columnCount() - 1));
    });
}

void RecordGridModel::sourceReset() {
    if (!resetting_)
        beginResetModel();
    rows_ = source_->recordCount();
    resetting_ = false;
    endResetModel();
}

int RecordGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int RecordGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QString RecordGridModel::columnName(int gridColumn) const {
    const int c = tableColumn(gridColumn);
    return c < 0 || !source_->table() ? QString() : source_->table()->columns[size_t(c)].name;
}

void RecordGridModel::setHeaderCaption(int gridColumn, const QString& caption) {
    if (gridColumn < 0 || gridColumn >= captions_.size())
        return;
    captions_[gridColumn] = caption;
    emit headerDataChanged(Qt::Horizontal, gridColumn, gridColumn);
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const QVariant v = source_->valueAt(index.row(), columns_[index.column()]);
    return values::toText(v);
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return captions_.value(section);
    return section + 1;
}

Qt::ItemFlags RecordGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (readOnly_)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool RecordGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (readOnly_ || !index.isValid() || role != Qt::EditRole || index.row() >= rows_)
        return false;
    if (source_->position() != index.row() && !source_->moveTo(index.row()))
        return false;
    const int column = columns_[index.column()];
    std::optional<QString> refusal;
    if (const TableDef* table = source_->table())
        refusal = refuseOutOfRange(table->columns[size_t(column)], value);
    if (!refusal) {
        if (const Status set = source_->setField(column, value); !set)
            refusal = set.errorText();
    }
    if (refusal) {
        if (dialogs_) {
            dialogs_->alert(*refusal, QString::fromUtf8(refusedValueTitle()),
                            DialogService::Icon::Warning);
        }
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

}  // namespace vela
