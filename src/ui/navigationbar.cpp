#include "ui/navigationbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "storage/recordsource.h"

namespace vela {

NavigationBar::NavigationBar(RecordSource* source, const QString& caption, QWidget* parent)
    : QWidget(parent), source_(source) {
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(2);
    auto button = [this, lay](const QString& text, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setAutoRaise(false);
        lay->addWidget(b);
        return b;
    };
    first_ = button(QStringLiteral("|◀"), QStringLiteral("Első adatsor"));
    previous_ = button(QStringLiteral("◀"), QStringLiteral("Előző adatsor"));
    caption_ = new QLabel(caption, this);
    caption_->setMinimumWidth(120);
    caption_->setFrameShape(QFrame::StyledPanel);
    lay->addWidget(caption_, 1);
    next_ = button(QStringLiteral("▶"), QStringLiteral("Következő adatsor"));
    last_ = button(QStringLiteral("▶|"), QStringLiteral("Utolsó adatsor"));
    // A move fails only when the row being left cannot be written; the
    // source's writeFailed tells the window that, and the row stays.
    connect(first_, &QToolButton::clicked, this, [this] { source_->moveFirst(); });
    connect(previous_, &QToolButton::clicked, this, [this] {
        if (source_->position() > 0)
            source_->movePrevious();
    });
    connect(next_, &QToolButton::clicked, this, [this] {
        if (source_->position() < source_->recordCount() - 1)
            source_->moveNext();
    });
    connect(last_, &QToolButton::clicked, this, [this] { source_->moveLast(); });
}

void NavigationBar::setCaption(const QString& caption) {
    caption_->setText(caption);
}

}  // namespace vela
