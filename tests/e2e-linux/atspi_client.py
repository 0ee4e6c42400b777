#!/usr/bin/python3
"""What a screen reader sees of the running brellix, over AT-SPI on the session's accessibility bus:
  atspi_client.py tree          one line per control: role "name" and its states that matter
                                (checked, disabled, focused); the pickers' item lists are left out
  atspi_client.py press NAME    runs the first action of the control with that name (a check box's
                                toggle, a button's press), as a screen reader's user would"""
import sys

import pyatspi

SHOWN_STATES = ((pyatspi.STATE_CHECKED, 'checked'), (pyatspi.STATE_FOCUSED, 'focused'))


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower() == 'brellix':
            return app
    return None


def describe(node):
    states = node.getState()
    marks = [text for state, text in SHOWN_STATES if states.contains(state)]
    if not states.contains(pyatspi.STATE_ENABLED):
        marks.append('disabled')
    return f'{node.getRoleName()} "{node.name}"' + (f' [{" ".join(marks)}]' if marks else '')


def walk(node, depth, out):
    out.append('  ' * depth + describe(node))
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        return  # its drop-down list of numbers says nothing new
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), depth + 1, out)


def find(node, name):
    if node.name == name and node.getRole() != pyatspi.ROLE_APPLICATION:
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), name)
        if found is not None:
            return found
    return None


def main():
    app = application()
    if app is None:
        print('brellix is not on the accessibility bus', file=sys.stderr)
        return 1
    if sys.argv[1] == 'tree':
        out = []
        for i in range(app.childCount):
            walk(app.getChildAtIndex(i), 0, out)
        print('\n'.join(out))
        return 0
    if sys.argv[1] == 'press':
        node = find(app, sys.argv[2])
        if node is None:
            print(f'no control named {sys.argv[2]}', file=sys.stderr)
            return 1
        node.queryAction().doAction(0)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


sys.exit(main())
