#!/usr/bin/env python3
# Taps the evdev key codes given, in order, through the RemoteDesktop portal's keyboard, as a
# remote-desktop client of the desktop would.
import sys
import dbus
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = bus.get_object('org.freedesktop.portal.Desktop', '/org/freedesktop/portal/desktop')
remote = dbus.Interface(portal, 'org.freedesktop.portal.RemoteDesktop')
sender = bus.get_unique_name()[1:].replace('.', '_')

def ask(method, *args, **options):  # a call that answers through a Request: its results
    loop, answers = GLib.MainLoop(), []
    path = '/org/freedesktop/portal/desktop/request/%s/%s' % (sender, method)
    bus.add_signal_receiver(lambda *answer: (answers.append(answer), loop.quit()), 'Response',
                            'org.freedesktop.portal.Request', path=path)
    getattr(remote, method)(*args, dict(options, handle_token=method))
    GLib.timeout_add_seconds(20, loop.quit)
    loop.run()
    if not answers or answers[0][0] != 0:
        sys.exit('press_keys: %s was not granted: %s' % (method, answers))
    return answers[0][1]

session = ask('CreateSession', session_handle_token='press')['session_handle']
ask('SelectDevices', session, types=dbus.UInt32(1))  # the keyboard
ask('Start', session, '')
for code, state in ((code, state) for code in sys.argv[1:] for state in (1, 0)):
    remote.NotifyKeyboardKeycode(session, {}, int(code), dbus.UInt32(state))
