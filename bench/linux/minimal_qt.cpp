// The yardstick for brellix's start-up and memory: a Qt 6 Widgets program that shows one empty
// window of brellix's size and does nothing else. Built in the same build, with the same flags.
// With --controls the window also holds brellix's kinds and numbers of controls with Chinese
// text (labels, drop-down lists, check boxes, buttons), unconnected: what any program showing
// this window pays for text and widgets before doing anything of its own.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <cstring>

namespace {

void AddControls(QWidget& window) {
    const char* labels[] = {"时钟(&H):", "分钟(&M):", "秒钟(&S):", "时制(&T):", "选项(&O):", "执行(&E):", "电脑程序", "By"};
    int y = 4;
    for (const char* text : labels) {
        auto* label = new QLabel(QString::fromUtf8(text), &window);
        label->move(4, y);
        y += 12;
    }
    for (int i = 0; i < 4; ++i) {
        auto* combo = new QComboBox(&window);
        for (int item = 0; item < 60; ++item) combo->addItem(QString::number(item));
        combo->setGeometry(16 + 72 * i, 24, 57, 24);
    }
    const char* checks[] = {"关闭系统", "关闭电源", "重启", "注销", "自动断电", "让用户断电"};
    y = 72;
    for (const char* text : checks) {
        auto* check = new QCheckBox(QString::fromUtf8(text), &window);
        check->move(16, y);
        y += 18;
    }
    const char* buttons[] = {"运行(&N)", "取消(&F)", "退出(&E)"};
    y = 72;
    for (const char* text : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(text), &window);
        button->setGeometry(216, y, 73, 33);
        y += 44;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal Qt window"));
    window.setFixedSize(302, 249);
    if (argc > 1 && std::strcmp(argv[1], "--controls") == 0) AddControls(window);
    window.show();
    return app.exec();
}
