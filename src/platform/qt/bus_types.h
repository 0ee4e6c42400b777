// The D-Bus types every connection of the program may deliver, registered before the first
// connection exists.
#pragma once

namespace brellix::platform::qt {

// Call before anything connects to a bus (the application object's accessibility bridge and the
// tray do too).
void RegisterBusTypes();

}  // namespace brellix::platform::qt
