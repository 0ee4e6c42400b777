#include "platform/qt/picker_accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <utility>

namespace brellix::platform::qt {

namespace {

// As Qt's combo box object (role, name and value its current text, the item list as its child,
// open and press actions), plus the Text interface over the current text, shown selected. A new
// value is told as that text replaced: readers take Qt's name change of a combo box for noise and
// speak a replaced text only when it is selected, as a picker's highlighted value is.
class PickerAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit PickerAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox), told_(Current()) {
        QObject::connect(combo, &QComboBox::currentTextChanged, combo, [this](const QString& value) { Tell(value); });
    }

    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
    QString Current() const { return Combo()->currentText(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // On Linux a label names a control through a relation; the name is the value, as Qt has it.
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name || t == QAccessible::Value) return Current();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Combo()->view()->isVisible();
        return state;
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == Combo()->view() ? 0 : -1;
    }

    QStringList actionNames() const override {
        return {QAccessibleActionInterface::showMenuAction(), QAccessibleActionInterface::pressAction()};
    }
    void doAction(const QString& name) override {
        if (name != showMenuAction() && name != pressAction()) return QAccessibleWidget::doAction(name);
        if (Combo()->view()->isVisible()) {
            Combo()->hidePopup();
        } else {
            Combo()->showPopup();
        }
    }

    // The value as read-only text, all of it selected, without a caret.
    QString text(int start, int end) const override { return Current().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Current().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int index, int* start, int* end) const override {
        *start = 0;
        *end = index == 0 ? characterCount() : 0;
    }
    int selectionCount() const override { return Current().isEmpty() ? 0 : 1; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

private:
    void Tell(const QString& value) {
        if (value == told_) return;
        QAccessibleTextUpdateEvent update(widget(), 0, std::exchange(told_, value), value);
        QAccessible::updateAccessibility(&update);
    }

    QString told_;  // the value readers last heard of
};

}  // namespace

QAccessibleInterface* PickerAccessibleFor(const QString&, QObject* object) {
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo && !combo->isEditable() ? new PickerAccessible(combo) : nullptr;
}

}  // namespace brellix::platform::qt
