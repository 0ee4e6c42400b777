// The Qt backend's tests: an offscreen window, and buses that lead nowhere, so nothing here can
// reach the machine's logind or its desktop whatever the environment says.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <string>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string nowhere = "unix:path=/nonexistent/brellix-qt-tests-" + std::to_string(getpid());
    setenv("DBUS_SYSTEM_BUS_ADDRESS", nowhere.c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", nowhere.c_str(), 1);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
