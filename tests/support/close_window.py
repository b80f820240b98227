"""Asks the X window of a process to close, as a window manager's close
button does: a WM_DELETE_WINDOW message.

    python3 close_window.py PID

Exits 0 once the message is sent, 1 when the process shows no window.
"""
import ctypes
import ctypes.util
import sys

x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
Window = Atom = ctypes.c_ulong
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = Window
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XInternAtom.restype = Atom
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                         ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
x.XGetWindowProperty.argtypes = [ctypes.c_void_p, Window, Atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, Atom,
                                 ctypes.POINTER(Atom), ctypes.POINTER(ctypes.c_int),
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_void_p)]
x.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XFree.argtypes = [ctypes.c_void_p]


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


def pid_of(display, window, atom):
    kind, fmt, n, after, data = Atom(), ctypes.c_int(), ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
    if x.XGetWindowProperty(display, window, atom, 0, 1, 0, 6, ctypes.byref(kind), ctypes.byref(fmt),
                            ctypes.byref(n), ctypes.byref(after), ctypes.byref(data)) != 0 or not data.value:
        return None
    pid = ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))[0] if n.value else None
    x.XFree(data)
    return pid


def main():
    pid = int(sys.argv[1])
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    root = x.XDefaultRootWindow(display)
    net_wm_pid = x.XInternAtom(display, b"_NET_WM_PID", 0)
    root_ret, parent, children, count = Window(), Window(), ctypes.POINTER(Window)(), ctypes.c_uint()
    x.XQueryTree(display, root, ctypes.byref(root_ret), ctypes.byref(parent), ctypes.byref(children),
                 ctypes.byref(count))
    windows = [children[i] for i in range(count.value) if pid_of(display, children[i], net_wm_pid) == pid]
    if children:
        x.XFree(children)
    if not windows:
        return 1
    for window in windows:
        event = Event()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.l[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x.XFlush(display)
    return 0


sys.exit(main())
