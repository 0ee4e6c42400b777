// The yardstick for brellix's start-up and memory: a Qt 6 Widgets program that shows one empty
// window of brellix's size and does nothing else. Built in the same build, with the same flags.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal Qt window"));
    window.setFixedSize(302, 249);
    window.show();
    return app.exec();
}
