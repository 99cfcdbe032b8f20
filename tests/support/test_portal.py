#!/usr/bin/python3
"""A desktop portal for tests: org.freedesktop.portal.Desktop with ScreenCast (version 4) and
RemoteDesktop (version 1) as xdg-desktop-portal offers them, answering as the test tells it.

Its folder, $GLIMTAP_TEST_PORTAL, holds:
  answer  JSON the test writes, read at each call; every key may be left out:
          {"response": 0 given | 1 cancelled by the user | 2 failed,
           "error": a D-Bus error's message that Start raises instead,
           "streams": [{"picture": BMP, "format": "BGRx", "stride": bytes, "position": [x, y]}],
           "devices": device types offered (7)}; Start hands out "token-1" when asked to persist.
  calls   one JSON line for each call received, with its options or its values (a D-Bus
          boolean as 0 or 1).
  pid     written once the portal owns its name.
Each stream is served by $GLIMTAP_TEST_PRODUCER, started at Start. SIGUSR1 revokes every
session (Session.Closed), SIGUSR2 ends the producers of the open ones, SIGTERM ends the portal.
"""
import ctypes
import json
import os
import signal
import socket
import subprocess

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
SC, RD = "org.freedesktop.portal.ScreenCast", "org.freedesktop.portal.RemoteDesktop"
folder = os.environ["GLIMTAP_TEST_PORTAL"]


def answer():
    try:
        with open(os.path.join(folder, "answer")) as f:
            return json.load(f)
    except FileNotFoundError:
        return {}


def record(call, **values):
    with open(os.path.join(folder, "calls"), "a") as f:
        f.write(json.dumps(dict(call=call, **values), sort_keys=True) + "\n")


def handle(kind, sender, token):
    return dbus.ObjectPath(f"{PATH}/{kind}/{sender[1:].replace('.', '_')}/{token}")


class Request(dbus.service.Object):
    """Answers once, a moment after the call that made it has returned."""

    def __init__(self, bus, sender, options, response, results=None):
        super().__init__(bus, handle("request", sender, options.get("handle_token", "t")))
        self.path = self._object_path
        GLib.timeout_add(10, self.answer, response, results or {})

    def answer(self, response, results):
        self.Response(dbus.UInt32(response), dbus.Dictionary(results, signature="sv"))
        self.remove_from_connection()

    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, bus, path, portal):
        super().__init__(bus, path)
        self.portal, self.producers, self.options, self.devices = portal, [], {}, 0

    def end(self):
        for p in self.producers:
            p.terminate()
            p.wait()
        self.producers = []
        self.portal.sessions.pop(self._object_path, None)
        self.remove_from_connection()

    @dbus.service.method("org.freedesktop.portal.Session")
    def Close(self):
        record("Session.Close")
        self.end()

    @dbus.service.signal("org.freedesktop.portal.Session", signature="a{sv}")
    def Closed(self, details):
        pass


class RemoteDesktop(dbus.service.Object):
    """The RemoteDesktop half of the portal: its methods share names with ScreenCast's."""

    @dbus.service.method(RD, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        return self.create("RemoteDesktop", options, sender)

    @dbus.service.method(RD, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def SelectDevices(self, session, options, sender):
        record("RemoteDesktop.SelectDevices", options=options)
        self.sessions[session].devices = options.get("types", 0)
        return Request(self.bus, sender, options, 0).path

    @dbus.service.method(RD, in_signature="osa{sv}", out_signature="o", sender_keyword="sender")
    def Start(self, session, parent, options, sender):
        return self.start("RemoteDesktop", session, options, sender)

    @dbus.service.method(RD, in_signature="oa{sv}udd")
    def NotifyPointerMotionAbsolute(self, session, options, stream, x, y):
        record("NotifyPointerMotionAbsolute", stream=stream, x=x, y=y)

    @dbus.service.method(RD, in_signature="oa{sv}dd")
    def NotifyPointerMotion(self, session, options, dx, dy):
        record("NotifyPointerMotion", dx=dx, dy=dy)

    @dbus.service.method(RD, in_signature="oa{sv}iu")
    def NotifyPointerButton(self, session, options, button, state):
        record("NotifyPointerButton", button=button, state=state)

    @dbus.service.method(RD, in_signature="oa{sv}uudd")
    def NotifyTouchDown(self, session, options, stream, slot, x, y):
        record("NotifyTouchDown", stream=stream, slot=slot, x=x, y=y)

    @dbus.service.method(RD, in_signature="oa{sv}u")
    def NotifyTouchUp(self, session, options, slot):
        record("NotifyTouchUp", slot=slot)


class Portal(RemoteDesktop):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus, self.sessions, self.revoked = bus, {}, []

    def create(self, interface, options, sender):
        record(interface + ".CreateSession", options=options)
        path = handle("session", sender, options["session_handle_token"])
        self.sessions[path] = Session(self.bus, path, self)
        return Request(self.bus, sender, options, 0, {"session_handle": str(path)}).path

    def start(self, interface, session, options, sender):
        a = answer()
        if "error" in a:
            record(interface + ".Start", options=options)
            raise dbus.exceptions.DBusException(a["error"], name="org.freedesktop.DBus.Error.Failed")
        response, results, streams = a.get("response", 0), {}, []
        for s in a.get("streams", []) if response == 0 else []:
            producer = subprocess.Popen(  # which ends with the portal (PR_SET_PDEATHSIG)
                [os.environ["GLIMTAP_TEST_PRODUCER"], s["picture"], s.get("format", "BGRx"),
                 str(s.get("stride", 0))],
                stdout=subprocess.PIPE, preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM))
            self.sessions[session].producers.append(producer)
            node, width, height = map(int, producer.stdout.readline().split())
            streams.append((dbus.UInt32(node), dbus.Dictionary({
                "position": dbus.Struct(s.get("position", [0, 0]), signature="ii"),
                "size": dbus.Struct((width, height), signature="ii"), "source_type": dbus.UInt32(1)},
                signature="sv")))
        if response == 0:
            results["streams"] = dbus.Array(streams, signature="(ua{sv})")
            if interface == "RemoteDesktop":
                results["devices"] = dbus.UInt32(self.sessions[session].devices & a.get("devices", 7))
            if self.sessions[session].options.get("persist_mode", 0) != 0:
                results["restore_token"] = "token-1"
        record(interface + ".Start", options=options, streams=[int(n) for n, _ in streams])
        return Request(self.bus, sender, options, response, results).path

    @dbus.service.method(SC, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        return self.create("ScreenCast", options, sender)

    @dbus.service.method(SC, in_signature="oa{sv}", out_signature="o", sender_keyword="sender")
    def SelectSources(self, session, options, sender):
        record("ScreenCast.SelectSources", options=options)
        self.sessions[session].options.update(options)
        return Request(self.bus, sender, options, 0).path

    @dbus.service.method(SC, in_signature="osa{sv}", out_signature="o", sender_keyword="sender")
    def Start(self, session, parent, options, sender):
        return self.start("ScreenCast", session, options, sender)

    @dbus.service.method(SC, in_signature="oa{sv}", out_signature="h")
    def OpenPipeWireRemote(self, session, options):
        record("ScreenCast.OpenPipeWireRemote", options=options)
        with socket.socket(socket.AF_UNIX) as s:
            s.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], "pipewire-0"))
            return dbus.types.UnixFd(s)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        a = answer()
        return {SC: {"version": dbus.UInt32(4), "AvailableSourceTypes": dbus.UInt32(3),
                     "AvailableCursorModes": dbus.UInt32(7)},
                RD: {"version": dbus.UInt32(1), "AvailableDeviceTypes": dbus.UInt32(a.get("devices", 7))}
                }.get(interface, dbus.Dictionary({}, signature="sv"))

    def revoke(self):
        """Closes every session; their streams go on until the portal ends, so that the
        consumer learns of the end from the portal alone."""
        for session in list(self.sessions.values()):
            session.Closed(dbus.Dictionary({}, signature="sv"))
            self.revoked += session.producers
            session.producers = []
            session.end()
        return True

    def end_streams(self):
        for p in (p for session in self.sessions.values() for p in session.producers):
            p.terminate()
        return True


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    portal = Portal(bus)
    bus.set_exit_on_disconnect(False)  # its streams outlive a lost bus until the runner ends it
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, portal.revoke)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR2, portal.end_streams)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    with open(os.path.join(folder, "pid"), "w") as f:
        f.write(str(os.getpid()))
    loop.run()
    for p in portal.revoked + [p for s in portal.sessions.values() for p in s.producers]:
        p.terminate()
    del name


main()
