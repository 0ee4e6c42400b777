// The controls' properties of the Qt forms runtime: captions, enabled states, items, checks.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "platform/qt/qt_forms.h"

namespace brellix::platform::qt {

namespace {

QString QtText(std::wstring_view text) { return QString::fromStdWString(std::wstring(text)); }

}  // namespace

std::wstring QtForms::ControlCaption(int id) const {
    const Control* control = Find(id);
    if (!control) return {};
    if (control->action) return control->action->text().toStdWString();
    if (auto* button = qobject_cast<QPushButton*>(control->widget)) return button->text().toStdWString();
    if (auto* label = qobject_cast<QLabel*>(control->widget)) return label->text().toStdWString();
    return control->spec.caption;
}

void QtForms::SetControlCaption(int id, std::wstring_view caption) {
    Control* control = Find(id);
    if (!control) return;
    control->spec.caption = caption;
    if (control->action) control->action->setText(QtText(caption));
    if (auto* button = qobject_cast<QPushButton*>(control->widget)) button->setText(QtText(caption));
    if (auto* label = qobject_cast<QLabel*>(control->widget)) {
        label->setText(QtText(caption));
        if (control->spec.autoSize) label->adjustSize();
    }
}

bool QtForms::Enabled(int id) const {
    const Control* control = Find(id);
    return control && control->enabled;
}

// A focused control that is disabled hands the focus on to the next one in tab order (Qt does).
void QtForms::SetEnabled(int id, bool enabled) {
    Control* control = Find(id);
    if (!control) return;
    control->enabled = enabled;
    if (control->timer) {
        if (enabled && loaded_) control->timer->start();
        if (!enabled) control->timer->stop();
    }
    if (control->action) control->action->setEnabled(enabled);
    if (control->widget) control->widget->setEnabled(enabled);
}

void QtForms::AddItem(int id, std::wstring_view text) {
    if (CheckList* list = CheckListOf(id)) list->AddRow(QtText(text));
    if (QComboBox* combo = ComboOf(id)) {
        const QSignalBlocker quiet(combo);
        const int current = combo->currentIndex();
        combo->addItem(QtText(text));
        // A drop-down list gets no current item from being filled.
        combo->setCurrentIndex(current);
    }
}

int QtForms::ListCount(int id) const {
    if (const CheckList* list = CheckListOf(id)) return list->Count();
    if (const QComboBox* combo = ComboOf(id)) return combo->count();
    return 0;
}

std::wstring QtForms::List(int id, int item) const {
    if (item < 0 || item >= ListCount(id)) return {};
    if (const CheckList* list = CheckListOf(id)) return list->Row(item)->text().toStdWString();
    if (const QComboBox* combo = ComboOf(id)) return combo->itemText(item).toStdWString();
    return {};
}

int QtForms::ListIndex(int id) const {
    if (const CheckList* list = CheckListOf(id)) return list->Current();
    if (const QComboBox* combo = ComboOf(id)) return combo->currentIndex();
    return -1;
}

void QtForms::SetListIndex(int id, int item) {
    if ((item != -1 && (item < 0 || item >= ListCount(id))) || ListIndex(id) == item) return;
    if (CheckList* list = CheckListOf(id)) list->SetCurrent(item);
    if (QComboBox* combo = ComboOf(id)) combo->setCurrentIndex(item);
    RaiseClick(id);
}

bool QtForms::Selected(int id, int item) const {
    const CheckList* list = CheckListOf(id);
    return list && item >= 0 && item < list->Count() && list->Checked(item);
}

// Checking from code makes the row current: ItemCheck for the changed check, then Click for the
// moved row, as a user's click on the box reports them.
void QtForms::SetSelected(int id, int item, bool checked) {
    CheckList* list = CheckListOf(id);
    if (!list || item < 0 || item >= list->Count()) return;
    const bool changed = list->Checked(item) != checked;
    list->SetChecked(item, checked);
    const bool moved = checked && list->Current() != item;
    if (moved) list->SetCurrent(item);
    if (changed) RaiseItemCheck(id, item);
    if (moved) RaiseClick(id);
}

std::wstring QtForms::Text(int id) const { return List(id, ListIndex(id)); }

bool QtForms::SetText(int id, std::wstring_view text) {
    QComboBox* combo = ComboOf(id);
    if (!combo) return false;
    const int item = combo->findText(QtText(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (item < 0) return false;
    SetListIndex(id, item);
    return true;
}

// The window's own focus: the control that has the keyboard, or gets it back when the window is
// activated again (arming from the tray menu happens while another window is active).
int QtForms::FocusedControl() const {
    const QWidget* focus = window_ ? window_->focusWidget() : nullptr;
    for (const auto& [id, control] : controls_) {
        if (!control.widget || !focus) continue;
        if (control.widget == focus || control.widget->isAncestorOf(focus)) return id;
    }
    return 0;
}

void QtForms::SetFocus(int id) {
    const Control* control = Find(id);
    if (control && control->widget && control->enabled && control->spec.tabIndex >= 0 &&
        control->widget->focusPolicy() != Qt::NoFocus) {
        control->widget->setFocus(Qt::TabFocusReason);
    }
}

bool QtForms::Checked(int id) const {
    const Control* control = Find(id);
    return control && control->action && control->action->isChecked();
}

void QtForms::SetChecked(int id, bool checked) {
    const Control* control = Find(id);
    if (!control || !control->action) return;
    control->action->setCheckable(true);
    control->action->setChecked(checked);
}

}  // namespace brellix::platform::qt
