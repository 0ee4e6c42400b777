#include "platform/qt/bus_types.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusSignature>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QMetaType>

namespace brellix::platform::qt {

// Qt 6.4 makes its registry of metatypes on the first registration. Made only once QtDBus's
// connection manager (a global static with a thread of its own) exists, the registry is destroyed
// before it at exit, while that thread may still hand on a reply or an error by type id: "Trying
// to construct an instance of an invalid type". Registered here first, the registry outlives the
// manager, and every type the bus hands on has its id before a connection could deliver it.
void RegisterBusTypes() {
    qRegisterMetaType<QDBusMessage>();
    qRegisterMetaType<QDBusError>();
    qRegisterMetaType<QDBusArgument>();
    qRegisterMetaType<QDBusObjectPath>();
    qRegisterMetaType<QDBusSignature>();
    qRegisterMetaType<QDBusVariant>();
    qRegisterMetaType<QDBusUnixFileDescriptor>();
    qRegisterMetaType<QDBusPendingCallWatcher*>();
}

}  // namespace brellix::platform::qt
