#include "importwindow/staginggridmodel.h"

#include <cmath>

#include "importwindow/importtexts.h"
#include "storage/columns.h"
#include "storage/recordsource.h"

namespace vela {

namespace {
QVector<int> stagingColumns() {
    QVector<int> cols;
    const TableDef& t = schema::osszesSzamla();
    for (int i = 0; i < int(t.columns.size()); ++i) {
        if (t.columns[size_t(i)].name != QLatin1String(schema::kKeyColumn))
            cols << i;
    }
    return cols;
}
}  // namespace

StagingGridModel::StagingGridModel(RecordSource* source, DialogService* dialogs, QObject* parent)
    : RecordGridModel(source, stagingColumns(), dialogs, parent) {}

void StagingGridModel::setPresent(const QSet<QString>& numbers) {
    present_ = numbers;
    if (rowCount() > 0)
        emit dataChanged(index(0, markColumn()), index(rowCount() - 1, markColumn()));
}

bool StagingGridModel::isPresent(int row) const {
    const QVariant v = source()->valueAt(row, source()->columnIndex(QStringLiteral("Számlaszám")));
    if (v.isNull())
        return false;
    const double d = v.toDouble();
    const QString key = d == std::floor(d) ? QString::number(qint64(d)) : v.toString();
    return present_.contains(key);
}

int StagingGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RecordGridModel::columnCount() + 1;
}

QVariant StagingGridModel::data(const QModelIndex& index, int role) const {
    if (index.isValid() && index.column() == markColumn()) {
        if (role != Qt::DisplayRole || index.row() >= rowCount())
            return {};
        return isPresent(index.row()) ? importtext::kPresentMark : QString();
    }
    return RecordGridModel::data(index, role);
}

QVariant StagingGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == markColumn())
        return role == Qt::DisplayRole ? QVariant(importtext::kPresentColumn) : QVariant();
    return RecordGridModel::headerData(section, orientation, role);
}

Qt::ItemFlags StagingGridModel::flags(const QModelIndex& index) const {
    if (index.isValid() && index.column() == markColumn())
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return RecordGridModel::flags(index);
}

bool StagingGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (index.isValid() && index.column() == markColumn())
        return false;
    return RecordGridModel::setData(index, value, role);
}

}  // namespace vela
