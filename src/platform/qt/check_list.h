// A check-box list as real check boxes, one per row, so screen readers read each row as a check
// box with its state. The list is the tab stop; the keyboard focus moves on to its current row,
// so that a screen reader follows the row the arrows move to, while the list handles the keys. What
// a user does is reported, and the program's own changes raise nothing.
#pragma once

#include <QAccessibleInterface>
#include <QCheckBox>
#include <QFrame>
#include <functional>
#include <vector>

namespace brellix::platform::qt {

class CheckRow : public QCheckBox {
public:
    CheckRow(const QString& text, QWidget* parent);
    // Where a click toggles the check: the box only, as in a list whose row text selects.
    QPoint IndicatorCentre() const;
    std::function<void()> onTextPressed;

protected:
    bool hitButton(const QPoint& pos) const override;
    void mousePressEvent(QMouseEvent* event) override;
    // The list handles the keys: a row passes them on.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QRect IndicatorRect() const;
};

class CheckList : public QFrame {
    Q_OBJECT

public:
    CheckList(int rowHeight, QWidget* parent);

    void AddRow(const QString& text);
    int Count() const { return static_cast<int>(rows_.size()); }
    CheckRow* Row(int item) const { return rows_[static_cast<std::size_t>(item)]; }
    bool Checked(int item) const;
    void SetChecked(int item, bool checked);
    int Current() const { return current_; }
    void SetCurrent(int item);

    // A user's toggle of a row (mouse on the box, a screen reader): the row is checked or
    // unchecked already. Changes made through SetChecked raise nothing.
    std::function<void(int item)> onUserToggled;
    // The user clicked a row's text.
    std::function<void(int item)> onUserClickedRow;
    // Space on the current row: toggled already.
    std::function<void(int item)> onSpace;
    // An arrow key moved the current row (already moved).
    std::function<void(int item)> onArrowMoved;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool HoldsFocus() const;
    void ShowCurrent(int item);
    void FocusCurrent();
    void MoveCurrentBy(int delta);
    std::vector<CheckRow*> rows_;  // owned by this widget as their parent
    int rowHeight_;
    int current_ = -1;
    bool changingFromCode_ = false;
};

// The accessibility factory that makes screen readers see a CheckList as a list of check boxes
// rather than a plain frame; null for any other object.
QAccessibleInterface* CheckListAccessible(const QString& className, QObject* object);

}  // namespace brellix::platform::qt
