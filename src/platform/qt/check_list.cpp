#include "platform/qt/check_list.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <algorithm>

namespace brellix::platform::qt {

CheckRow::CheckRow(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    // Never a tab stop (the list is one): a row gets the focus only from its list and a click.
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
}

QRect CheckRow::IndicatorRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
}

QPoint CheckRow::IndicatorCentre() const { return IndicatorRect().center(); }

bool CheckRow::hitButton(const QPoint& pos) const { return IndicatorRect().contains(pos); }

void CheckRow::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton && !hitButton(event->position().toPoint())) {
        if (onTextPressed) onTextPressed();
        event->accept();
        return;
    }
    QCheckBox::mousePressEvent(event);
}

void CheckRow::keyPressEvent(QKeyEvent* event) { event->ignore(); }

void CheckRow::keyReleaseEvent(QKeyEvent* event) { event->ignore(); }

CheckList::CheckList(int rowHeight, QWidget* parent) : QFrame(parent), rowHeight_(rowHeight) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void CheckList::AddRow(const QString& text) {
    const int item = Count();
    auto* row = new CheckRow(text, this);
    const int frame = frameWidth();
    row->setGeometry(frame, frame + item * rowHeight_, width() - 2 * frame, rowHeight_);
    row->setBackgroundRole(QPalette::Base);
    row->onTextPressed = [this, item] {
        if (onUserClickedRow) onUserClickedRow(item);
    };
    // Every toggle but the list's own: the mouse on the box, and a screen reader's Toggle action,
    // which toggles without a click.
    connect(row, &QCheckBox::toggled, this, [this, item] {
        if (!changingFromCode_ && onUserToggled) onUserToggled(item);
    });
    rows_.push_back(row);
    row->show();
}

bool CheckList::Checked(int item) const { return Row(item)->isChecked(); }

void CheckList::SetChecked(int item, bool checked) {
    const QScopedValueRollback quiet(changingFromCode_, true);
    Row(item)->setChecked(checked);
}

void CheckList::SetCurrent(int item) {
    const bool focused = HoldsFocus();
    ShowCurrent(item);
    if (focused) FocusCurrent();
}

bool CheckList::HoldsFocus() const {
    const QWidget* focus = window()->focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

// The current row is drawn selected whether or not the list has the focus, as a list box does,
// and is where the list's focus goes.
void CheckList::ShowCurrent(int item) {
    current_ = item;
    for (int i = 0; i < Count(); ++i) {
        CheckRow* row = Row(i);
        const bool current = i == current_;
        row->setBackgroundRole(current ? QPalette::Highlight : QPalette::Base);
        row->setForegroundRole(current ? QPalette::HighlightedText : QPalette::WindowText);
    }
}

void CheckList::FocusCurrent() {
    QWidget* target = current_ >= 0 && current_ < Count() ? static_cast<QWidget*>(Row(current_)) : this;
    target->setFocus(Qt::OtherFocusReason);
}

// The focus that comes to the list goes on to its current row: once the toolkit has announced the
// list itself, so that a screen reader reads the list, then the row.
void CheckList::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    QTimer::singleShot(0, this, [this] {
        if (window()->focusWidget() == this) FocusCurrent();
    });
}

void CheckList::MoveCurrentBy(int delta) {
    if (rows_.empty()) return;
    const int target = std::clamp(current_ < 0 ? 0 : current_ + delta, 0, Count() - 1);
    if (target == current_) return;
    const bool focused = HoldsFocus();
    ShowCurrent(target);
    if (onArrowMoved) onArrowMoved(target);
    // The focus moves once the program has answered the move (a single-choice list moves its
    // check along): a screen reader then reads the new row with its new state.
    if (focused) FocusCurrent();
}

// The rows are no tab stops, wherever the focus chain has them: Tab on a row moves on from the
// list, as from any control.
bool CheckList::focusNextPrevChild(bool next) {
    const QWidget* focus = window()->focusWidget();
    if (!focus || !isAncestorOf(focus)) return QFrame::focusNextPrevChild(next);
    for (QWidget* w = next ? nextInFocusChain() : previousInFocusChain(); w != this;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (w != window() && w->window() == window() && !isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) &&
            w->isEnabled() && w->isVisibleTo(window())) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void CheckList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up: return MoveCurrentBy(-1);
        case Qt::Key_Down: return MoveCurrentBy(1);
        case Qt::Key_Home: return MoveCurrentBy(-Count());
        case Qt::Key_End: return MoveCurrentBy(Count());
        case Qt::Key_Space:
            if (current_ < 0 || current_ >= Count()) return;
            SetChecked(current_, !Checked(current_));
            if (onSpace) onSpace(current_);
            return;
        default: QFrame::keyPressEvent(event);
    }
}

QAccessibleInterface* CheckListAccessible(const QString&, QObject* object) {
    auto* list = qobject_cast<CheckList*>(object);
    return list ? new QAccessibleWidget(list, QAccessible::List) : nullptr;
}

}  // namespace brellix::platform::qt
