#!/usr/bin/python3
"""What a StatusNotifierItem host does with an item, for tests, on the session bus:
  sni_client.py NAME/PATH labels        the menu's entries in order, a disabled one marked "-"
  sni_client.py NAME/PATH click LABEL   clicks the entry with that label (after AboutToShow)
  sni_client.py NAME/PATH activate      a left click on the icon
  sni_client.py NAME/PATH tooltip       the tooltip's title, as a host shows it on hover"""
import sys

import dbus

ITEM = 'org.kde.StatusNotifierItem'
MENU = 'com.canonical.dbusmenu'


def menu_of(bus, name, path):
    item = bus.get_object(name, path)
    menu_path = item.Get(ITEM, 'Menu', dbus_interface=dbus.PROPERTIES_IFACE)
    return dbus.Interface(bus.get_object(name, menu_path), MENU)


def entries(menu):
    """The root's children as (id, label, enabled), after the host's AboutToShow."""
    menu.AboutToShow(dbus.Int32(0))
    _revision, (_id, _props, children) = menu.GetLayout(dbus.Int32(0), dbus.Int32(-1), dbus.Array([], signature='s'))
    result = []
    for child in children:
        child_id, props, _grandchildren = child
        if props.get('type') == 'separator' or not props.get('visible', True):
            continue
        result.append((int(child_id), str(props.get('label', '')), bool(props.get('enabled', True))))
    return result


def main():
    name, _slash, path = sys.argv[1].partition('/')
    path = '/' + path
    bus = dbus.SessionBus()
    command = sys.argv[2]
    if command == 'activate':
        dbus.Interface(bus.get_object(name, path), ITEM).Activate(dbus.Int32(0), dbus.Int32(0))
        return 0
    if command == 'tooltip':
        item = bus.get_object(name, path)
        _icon, _pixmaps, title, _text = item.Get(ITEM, 'ToolTip', dbus_interface=dbus.PROPERTIES_IFACE)
        print(str(title))
        return 0
    menu = menu_of(bus, name, path)
    if command == 'labels':
        print(' '.join(('' if enabled else '-') + label for _id, label, enabled in entries(menu)))
        return 0
    if command == 'click':
        for entry_id, label, _enabled in entries(menu):
            if label == sys.argv[3]:
                menu.Event(dbus.Int32(entry_id), 'clicked', dbus.Int32(0, variant_level=1), dbus.UInt32(0))
                return 0
        print(f'no entry labelled {sys.argv[3]}', file=sys.stderr)
        return 1
    print(__doc__, file=sys.stderr)
    return 2


sys.exit(main())
