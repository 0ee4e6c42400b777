// The one road by which the program ends the session.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace brellix::power {

inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;
inline constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
inline constexpr std::uint32_t kTokenQuery = 0x08;
inline constexpr std::uint32_t kSePrivilegeEnabled = 2;
inline constexpr char kShutdownPrivilegeName[] = "SeShutdownPrivilege";

// Fills osvInfo through GetVersionExA; true for the NT family. A refused query leaves osvInfo as
// it was, so before any successful call the answer is false.
bool IsWinNT(platform::Os& os, platform::OsVersionInfo& osvInfo);

// The computer name, cut at its first NUL; empty when the query is refused.
std::string GetLocalComputerName(platform::Os& os);

// Enables "SeShutdownPrivilege" in the process token. Nothing is reported; the token is closed.
void EnableShutdownPrivilege(platform::Os& os);

// Enables the privilege where the system needs it, then asks for the end of the session with the
// flags unchanged. Returns in every case; the outcome is not looked at.
void PerformPowerAction(platform::Os& os, platform::OsVersionInfo& osvInfo, std::uint32_t flags);

}  // namespace brellix::power
