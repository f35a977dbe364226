#include "ui/recordgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>

#include "storage/recordsource.h"
#include "storage/values.h"
#include "ui/recordgridmodel.h"

namespace vela {

class RecordGrid::Delegate : public QStyledItemDelegate {
  public:
    explicit Delegate(QObject* parent) : QStyledItemDelegate(parent) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        const auto it = rules.constFind(index.column());
        if (it != rules.constEnd() && editor)
            KeyRules::install(editor, dialogs, it->first, it->second);
        // A paste into a cell is held to the column as one into its field.
        auto* line = qobject_cast<QLineEdit*>(editor);
        const RecordGridModel* model = static_cast<RecordGrid*>(this->parent())->model_;
        const int column = model ? model->tableColumn(index.column()) : -1;
        if (line && column >= 0 && model->source()->table()) {
            const ColumnDef& c = model->source()->table()->columns[size_t(column)];
            TextGuard::install(line, dialogs, std::min(values::maxTextLength(c), 32767));
        }
        return editor;
    }

    QHash<int, std::pair<KeyRules::Allowed, int>> rules;
    DialogService* dialogs = nullptr;
};

RecordGrid::RecordGrid(QWidget* parent) : QTableView(parent) {
    delegate_ = new Delegate(this);
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &RecordGrid::headerClicked);
}

void RecordGrid::setRecordModel(RecordGridModel* model, DialogService* dialogs) {
    model_ = model;
    dialogs_ = dialogs;
    delegate_->dialogs = dialogs;
    setModel(model);
    RecordSource* source = model->source();
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, source](const QModelIndex& current) {
                if (following_ || !current.isValid() || current.row() == source->position())
                    return;
                if (!source->moveTo(current.row()))
                    followCurrent();  // the row could not be left: stay on it
            });
    connect(source, &RecordSource::currentChanged, this, &RecordGrid::followCurrent);
    connect(model, &QAbstractItemModel::modelReset, this, &RecordGrid::followCurrent);
    followCurrent();
}

void RecordGrid::setKeyRules(int gridColumn, KeyRules::Allowed allowed, int lengthLimit) {
    delegate_->rules.insert(gridColumn, {allowed, lengthLimit});
}

void RecordGrid::followCurrent() {
    if (!model_)
        return;
    const int row = model_->source()->position();
    following_ = true;
    if (row >= 0 && row < model_->rowCount()) {
        const int col = std::max(0, currentIndex().column());
        const QModelIndex idx = model_->index(row, col);
        selectionModel()->setCurrentIndex(
            idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(idx);
    } else {
        selectionModel()->clearSelection();
    }
    following_ = false;
}

void RecordGrid::focusInEvent(QFocusEvent* event) {
    // Alternate rows are painted with AlternateBase: both take the colour,
    // or every other row would not show the focus.
    QPalette p = palette();
    p.setColor(QPalette::Base, focusColor());
    p.setColor(QPalette::AlternateBase, focusColor());
    setPalette(p);
    QTableView::focusInEvent(event);
}

void RecordGrid::focusOutEvent(QFocusEvent* event) {
    QPalette p = palette();
    const QPalette system = QApplication::palette(this);
    p.setColor(QPalette::Base, system.color(QPalette::Base));
    p.setColor(QPalette::AlternateBase, system.color(QPalette::AlternateBase));
    setPalette(p);
    QTableView::focusOutEvent(event);
}

}  // namespace vela
