#!/usr/bin/python3
"""What the person at the test's GNOME desktop does, through the shell's own interfaces.

grant                  pre-grants a ScreenCast of the monitor in the permission store and
                       prints the restore token
leave-overview         presses Escape until the shell reports its overview closed
answer LOG             answers every portal dialog as a person would, by keys through a
                       Mutter remote-desktop session of its own, reading the dialog as a
                       screen reader does; allows remote interaction and shares; writes the
                       dialog's title to LOG for each dialog answered
"""
import sys
import time
import uuid

import dbus
import dbus.mainloop.glib
import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402  the eyes: what a screen reader tells

MUTTER_RD = "org.gnome.Mutter.RemoteDesktop"
XK_ESCAPE, XK_TAB, XK_SPACE, XK_ALT, XK_S = 0xFF1B, 0xFF09, 0x20, 0xFFE9, 0x73


def monitor_match_string(bus):
    config = bus.get_object("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig")
    _, monitors, _, _ = config.GetCurrentState(dbus_interface="org.gnome.Mutter.DisplayConfig")
    _, vendor, product, serial = monitors[0][0]
    return f"{vendor}:{product}:{serial}"


def grant(bus):
    # The restore data xdg-desktop-portal-gnome stores for a shared monitor.
    token = str(uuid.uuid4())
    now = dbus.Int64(time.time_ns() // 1000)
    streams = dbus.Array([dbus.Struct((dbus.UInt32(0), dbus.UInt32(1),
                                       dbus.String(monitor_match_string(bus), variant_level=1)))],
                         signature="(uuv)")
    data = dbus.Struct(("GNOME", dbus.UInt32(1),
                        dbus.Struct((now, now, streams), variant_level=1)), variant_level=1)
    store = bus.get_object("org.freedesktop.impl.portal.PermissionStore",
                           "/org/freedesktop/impl/portal/PermissionStore")
    store.Set("screencast", True, token, dbus.Dictionary({"": ["yes"]}, signature="sas"), data,
              dbus_interface="org.freedesktop.impl.portal.PermissionStore")
    print(token)


class Keyboard:
    """A Mutter remote-desktop session: a keyboard of the test's own."""

    def __init__(self, bus):
        desktop = bus.get_object(MUTTER_RD, "/org/gnome/Mutter/RemoteDesktop")
        path = desktop.CreateSession(dbus_interface=MUTTER_RD)
        self.session = dbus.Interface(bus.get_object(MUTTER_RD, path), MUTTER_RD + ".Session")
        self.session.Start()
        time.sleep(0.5)  # Mutter drops what comes at once after the start

    def press(self, *keysyms):
        """Presses the keys together, then lets them go."""
        for keysym in keysyms:
            self.session.NotifyKeyboardKeysym(dbus.UInt32(keysym), True)
        for keysym in reversed(keysyms):
            self.session.NotifyKeyboardKeysym(dbus.UInt32(keysym), False)
        time.sleep(0.3)


def leave_overview(bus):
    shell = bus.get_object("org.gnome.Shell", "/org/gnome/Shell")
    active = lambda: shell.Get("org.gnome.Shell", "OverviewActive",
                               dbus_interface=dbus.PROPERTIES_IFACE)
    keyboard = None
    for _ in range(50):
        if not active():
            return
        keyboard = keyboard or Keyboard(bus)
        keyboard.press(XK_ESCAPE)
        time.sleep(0.2)
    sys.exit("desktop_user: the overview stays open")


def has(node, state):
    try:
        return node.get_state_set().contains(state)
    except gi.repository.GLib.Error:  # gone
        return False


def children(node):
    return (node.get_child_at_index(i) for i in range(node.get_child_count()))


def find(node, role):
    """The first node of the role under node, depth first."""
    for child in children(node):
        found = child if child is None or child.get_role() == role else find(child, role)
        if found is not None:
            return found
    return None


def shown_dialog():
    for app in children(Atspi.get_desktop(0)):
        if app is not None and app.get_name() == "xdg-desktop-portal-gnome":
            for window in children(app):
                if window is not None and has(window, Atspi.StateType.SHOWING):
                    return window
    return None


def turn_on(keyboard, node, state):
    """Tabs to the node (or the list item holding it) and presses Space until it has the state."""
    row = node
    while row is not None and row.get_role() != Atspi.Role.LIST_ITEM:
        row = row.get_parent()
    for _ in range(8):
        if node is None or has(node, state):
            return
        focused = has(node, Atspi.StateType.FOCUSED) or has(row, Atspi.StateType.FOCUSED)
        keyboard.press(XK_SPACE if focused else XK_TAB)


def answer(bus, log):
    keyboard = None
    while True:
        dialog = shown_dialog()
        if dialog is None:
            time.sleep(0.2)
            continue
        keyboard = keyboard or Keyboard(bus)
        title = dialog.get_name()
        # The monitor may need choosing (Tab to it, Space); remote interaction is off at
        # first (Tab to its switch, Space); "Remember this selection" is on already.
        monitor = find(dialog, Atspi.Role.LIST_ITEM)
        switch = find(dialog, Atspi.Role.CHECK_BOX)
        turn_on(keyboard, monitor, Atspi.StateType.SELECTED)
        turn_on(keyboard, switch, Atspi.StateType.CHECKED)
        keyboard.press(XK_ALT, XK_S)
        for _ in range(25):
            if not has(dialog, Atspi.StateType.SHOWING):
                with open(log, "a") as f:
                    print(title, file=f)
                break
            time.sleep(0.2)


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus, command = dbus.SessionBus(), sys.argv[1:]
    if command == ["grant"]:
        grant(bus)
    elif command == ["leave-overview"]:
        leave_overview(bus)
    elif len(command) == 2 and command[0] == "answer":
        answer(bus, command[1])
    else:
        sys.exit(__doc__)


main()
