// The forms contract against the Qt backend, driven by real mouse and keyboard events.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/forms_contract.h"
#include "platform/qt/qt_forms.h"

namespace brellix::platform::testing {

namespace {

int argc = 1;
char programName[] = "brellix_qt_tests";
char* argv[] = {programName, nullptr};

// Real widgets, driven by the mouse and keyboard events a user's hands would make.
class QtDriver : public FormsDriver {
public:
    Forms& forms() override { return forms_; }

    void ClickRowText(int list, int item) override {
        qt::CheckRow* row = List(list)->Row(item);
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(row->width() - 3, row->height() / 2));
    }
    void ClickCheckBox(int list, int item) override {
        qt::CheckRow* row = List(list)->Row(item);
        QTest::mouseClick(row, Qt::LeftButton, {}, row->IndicatorCentre());
    }
    void PressSpace(int list) override { QTest::keyClick(List(list), Qt::Key_Space); }
    void PressArrow(int list, int delta) override {
        QTest::keyClick(List(list), delta < 0 ? Qt::Key_Up : Qt::Key_Down);
    }
    // Through the drop-down list, as a keyboard user picks: open it, go to the item, Enter.
    void Choose(int picker, int item) override {
        auto* combo = static_cast<QComboBox*>(forms_.Widget(picker));
        if (!combo->isEnabled()) return;
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        view->setCurrentIndex(view->model()->index(item, 0));
        QTest::keyClick(view, Qt::Key_Return);
        QApplication::processEvents();
    }
    void ClickButton(int id) override { QTest::mouseClick(forms_.Widget(id), Qt::LeftButton); }
    void CloseBox() override { forms_.MainWidget()->close(); }
    void PopupAndChoose(int menu, std::optional<int> item) override {
        QTimer::singleShot(0, [this, item] {
            QMenu* popup = forms_.Popup();
            if (item) {
                const QPoint at = popup->actionGeometry(forms_.MenuAction(*item)).center();
                QTest::mouseMove(popup, at);
                QTest::mouseClick(popup, Qt::LeftButton, {}, at);
            }
            // A disabled item does nothing and leaves the menu open: the user then dismisses it.
            if (popup->isVisible()) popup->close();
        });
        forms_.PopupMenu(menu);
    }

private:
    qt::CheckList* List(int id) { return static_cast<qt::CheckList*>(forms_.Widget(id)); }
    qt::QtForms forms_{argc, argv};
};

INSTANTIATE_TEST_SUITE_P(Qt, FormsContract,
                         ::testing::Values(DriverFactory{"Qt", [] { return std::make_unique<QtDriver>(); }}),
                         DriverName);

}  // namespace
}  // namespace brellix::platform::testing
