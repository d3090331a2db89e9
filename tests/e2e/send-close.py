#!/usr/bin/env python3
"""Sends WINDOW the close request that a window manager sends when the title bar's close button is
clicked (a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW), on the display in $DISPLAY.
Without a window manager nothing else can press that button; xdotool of Debian 12 has no command
for it.

    send-close.py WINDOW        (WINDOW as 0x... or decimal)
"""
import ctypes
import ctypes.util
import sys

CLIENT_MESSAGE = 33
NO_EVENT_MASK = 0


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    window = int(sys.argv[1], 0)
    xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.restype = ctypes.c_int
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = xlib.XOpenDisplay(None)
    if not display:
        print("send-close.py: cannot open the display", file=sys.stderr)
        return 1
    event = XEvent()
    event.xclient.type = CLIENT_MESSAGE
    event.xclient.window = window
    event.xclient.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    sent = xlib.XSendEvent(display, window, 0, NO_EVENT_MASK, ctypes.byref(event))
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)
    if not sent:
        print("send-close.py: the X server refused the message", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
