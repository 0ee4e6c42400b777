#!/usr/bin/python3
"""The StatusNotifierWatcher side of a tray for tests: owns org.kde.StatusNotifierWatcher on the
session bus, says a host is registered, and logs each item's registration to the file it is given.
The test then acts as the host's user by calling the item's methods itself."""
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = 'org.kde.StatusNotifierWatcher'
log = open(sys.argv[1], 'a', buffering=1) if len(sys.argv) > 1 else sys.stdout


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, '/StatusNotifierWatcher')
        self.items = []
        bus.add_signal_receiver(self.owner_changed, 'NameOwnerChanged', 'org.freedesktop.DBus')

    def owner_changed(self, name, _old, new):
        if new:
            return
        for item in [i for i in self.items if i.split('/')[0] == name]:
            self.items.remove(item)
            log.write(f'unregistered {item}\n')
            self.StatusNotifierItemUnregistered(item)

    @dbus.service.method(WATCHER, in_signature='s', sender_keyword='sender')
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item may pass its bus name or only its object path: keep "name/path".
        item = sender + service if service.startswith('/') else service + '/StatusNotifierItem'
        if item not in self.items:
            self.items.append(item)
        log.write(f'registered {item} sender={sender}\n')
        self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER, in_signature='s')
    def RegisterStatusNotifierHost(self, service):
        log.write(f'host {service}\n')

    @dbus.service.signal(WATCHER, signature='s')
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature='s')
    def StatusNotifierItemUnregistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature='')
    def StatusNotifierHostRegistered(self):
        pass

    # dbus-python leaves properties out of its introspection; Qt reads them from there and takes
    # a watcher without IsStatusNotifierHostRegistered for no tray at all.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, out_signature='s',
                         path_keyword='object_path', connection_keyword='connection')
    def Introspect(self, object_path, connection):
        xml = super().Introspect(object_path, connection)
        properties = ('<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
                      '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
                      '<property name="ProtocolVersion" type="i" access="read"/>')
        return xml.replace(f'<interface name="{WATCHER}">', f'<interface name="{WATCHER}">' + properties)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature='ss', out_signature='v')
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature='s', out_signature='a{sv}')
    def GetAll(self, _interface):
        return {'RegisteredStatusNotifierItems': dbus.Array(self.items, signature='s'),
                'IsStatusNotifierHostRegistered': True,
                'ProtocolVersion': dbus.Int32(0)}


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
session = dbus.SessionBus()
watcher = Watcher(session)
session.request_name(WATCHER)
host = dbus.service.BusName(f'org.kde.StatusNotifierHost-{os.getpid()}', session)
watcher.StatusNotifierHostRegistered()
log.write('watcher ready\n')
GLib.MainLoop().run()
