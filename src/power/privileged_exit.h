// The one road by which the program ends the session.
#pragma once

#include <cstdint>

#include "platform/os.h"

namespace brellix::power {

inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;

// Fills osvInfo through GetVersionExA; true for the NT family. A refused query leaves osvInfo as
// it was, so before any successful call the answer is false.
bool IsWinNT(platform::Os& os, platform::OsVersionInfo& osvInfo);

// Grants the process the right to end the session where the system asks for one. Not reported.
void EnableShutdownPrivilege(platform::Os& os);

// Enables the privilege where the system needs it, then asks for the end of the session with the
// flags unchanged. Returns in every case; the outcome is not looked at.
void PerformPowerAction(platform::Os& os, platform::OsVersionInfo& osvInfo, std::uint32_t flags);

}  // namespace brellix::power
