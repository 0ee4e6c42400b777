// The Linux desktop's answers to questions Windows answers itself, as plain rules: the command
// line text, where the settings live, the single-instance lock. No Qt here, so tests read them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brellix::platform::qt {

// The command line as Windows would hand it over: the program's name in quotes (quotes inside it
// dropped, they cannot be part of a Windows name either), then the arguments joined with single
// blanks, untouched, so the portable keyword search sees every argument's text.
std::wstring JoinCommandLine(const std::vector<std::wstring>& argv);

struct SettingsPlace {
    std::string executableDirectory;
    bool executableDirectoryWritable = false;
    bool fileBesideExecutable = false;   // Brellix.ini exists there already
    std::optional<std::string> xdgConfigHome;
    std::optional<std::string> home;
};

// Beside the executable when that directory is writable (and no system directory such as /usr/bin,
// which root could write) or already holds the file (a portable copy); otherwise $XDG_CONFIG_HOME/Brellix, an unset or relative one meaning ~/.config. Empty
// when none of these can be known.
std::string ChooseSettingsDirectory(const SettingsPlace& place);

// The lock file that makes one instance per user session: in a private directory of the user,
// named for the session when the session has an id, and for the machine when one is given (a
// directory in the home may be shared by the machines that mount it).
std::string InstanceLockPath(const std::string& directory, const std::optional<std::string>& sessionId,
                             const std::optional<std::string>& host = std::nullopt);

// The user's own directory for the lock where the runtime directory cannot take it (su, ssh or
// cron without a login session): $XDG_CACHE_HOME/brellix, an unset or relative one meaning
// ~/.cache. Empty when neither can be known. Never a shared directory such as /tmp, where another
// user could make and hold the lock first.
std::string PrivateLockDirectory(const std::optional<std::string>& xdgCacheHome,
                                 const std::optional<std::string>& home);

// The login entry of the XDG autostart rules: $XDG_CONFIG_HOME/autostart/brellix.desktop (an unset
// or relative one meaning ~/.config); empty when neither is known.
std::string AutostartEntryPath(const std::optional<std::string>& xdgConfigHome, const std::optional<std::string>& home);

// The entry's text: the executable, quoted as desktop entries quote, started with --autostart.
std::string AutostartEntryText(const std::string& executable);

// The socket on which the lock's holder hears a second start: beside the lock, named alike.
std::string WakeSocketPath(const std::string& lockPath);

}  // namespace brellix::platform::qt
