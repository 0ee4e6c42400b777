#include "power/privileged_exit.h"

namespace brellix::power {

bool IsWinNT(platform::Os& os, platform::OsVersionInfo& osvInfo) {
    osvInfo.dwOSVersionInfoSize = sizeof(platform::OsVersionInfo);
    os.GetVersionExA(osvInfo);
    return osvInfo.dwPlatformId == kVerPlatformWin32Nt;
}

void EnableShutdownPrivilege(platform::Os& os) { os.EnableShutdownPrivilege(); }

void PerformPowerAction(platform::Os& os, platform::OsVersionInfo& osvInfo, std::uint32_t flags) {
    if (IsWinNT(os, osvInfo)) EnableShutdownPrivilege(os);
    os.ExitWindowsEx(flags, 0);
}

}  // namespace brellix::power
