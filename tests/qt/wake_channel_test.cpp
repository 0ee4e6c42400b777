#include "platform/qt/wake_channel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "settings/scratch_dir.h"

namespace brellix::platform::qt {
namespace {

using namespace std::chrono_literals;

// A socket path that fits in an address, and one under a runtime directory so deep that it does
// not: the second start reaches the running instance either way, and only while it listens.
TEST(WakeChannel, TheRequestArrivesWhateverThePathsLength) {
    test::ScratchDir runtime;
    for (const std::size_t depth : {0u, 3u}) {
        std::filesystem::path directory = runtime.path();
        for (std::size_t i = 0; i < depth; ++i) directory /= std::string(60, 'd');
        std::filesystem::create_directories(directory);
        const std::string path = (directory / "brellix-session-default.wake").string();
        SCOPED_TRACE(std::to_string(path.size()) + " bytes");
        int wakes = 0;
        {
            WakeListener listener(path, [&] { ++wakes; });
            EXPECT_TRUE(SendWakeRequest(path, 0ms));
            QElapsedTimer waited;
            waited.start();
            while (wakes == 0 && waited.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            EXPECT_EQ(wakes, 1);
        }
        EXPECT_FALSE(SendWakeRequest(path, 100ms)) << "nobody listens any more";
    }
}

}  // namespace
}  // namespace brellix::platform::qt
