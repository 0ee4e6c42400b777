// The Win32 test exe: GoogleTest, plus probe modes in which a test starts this exe as a second
// process to look at the system from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>

#include "platform/win32/win32_os.h"

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"--probe-single-instance") == 0) {
        brellix::platform::win32::Win32Os os;
        return os.AnotherInstanceRunning() ? 10 : 11;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
