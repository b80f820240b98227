# SPDX-License-Identifier: GPL-3.0-or-later
"""What a window manager and a keyboard do to the application's window, for
the screenshot script and the end-to-end tests, through libX11 and libXtst
(no extra tools needed).

    python3 x11_client.py close PID            # the close button: WM_DELETE_WINDOW
    python3 x11_client.py keys PID ctrl+2 ...  # focus the window, press the keys
    python3 x11_client.py shoot PID OUT.png    # the window alone, as a PNG

Exits 0 when done, 1 when the process shows no window.
"""
import ctypes
import ctypes.util
import struct
import sys
import time
import zlib

x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
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
x.XSetInputFocus.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_ulong]
x.XStringToKeysym.restype = ctypes.c_ulong
x.XStringToKeysym.argtypes = [ctypes.c_char_p]
x.XKeysymToKeycode.restype = ctypes.c_ubyte
x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
# A window (another program's, or one the application is taking down) can go
# between listing the windows and asking about one: the call then just fails,
# where Xlib's own handler would end this client.
IGNORE_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, event: 0)
x.XSetErrorHandler.restype = ctypes.c_void_p
x.XSetErrorHandler.argtypes = [ctypes.c_void_p]
x.XSetErrorHandler(IGNORE_ERRORS)
x.XFlush.argtypes = [ctypes.c_void_p]
x.XFree.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

MODIFIERS = {"ctrl": "Control_L", "shift": "Shift_L", "alt": "Alt_L"}


class WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", Window), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(WindowAttributes)]


class Image(ctypes.Structure):
    # The leading fields of XImage, as far as reading its pixels needs.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


x.XGetImage.restype = ctypes.POINTER(Image)
x.XGetImage.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                        ctypes.c_ulong, ctypes.c_int]


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


def shown_windows_of(display, pid):
    """The process's mapped top-level windows, largest first: not its hidden
    leader window, nor the tool tips and menus that bypass window managers."""
    net_wm_pid = x.XInternAtom(display, b"_NET_WM_PID", 0)
    root_ret, parent, children, count = Window(), Window(), ctypes.POINTER(Window)(), ctypes.c_uint()
    x.XQueryTree(display, x.XDefaultRootWindow(display), ctypes.byref(root_ret), ctypes.byref(parent),
                 ctypes.byref(children), ctypes.byref(count))
    found = []
    for i in range(count.value):
        attributes = WindowAttributes()
        if pid_of(display, children[i], net_wm_pid) != pid:
            continue
        if not x.XGetWindowAttributes(display, children[i], ctypes.byref(attributes)):
            continue
        if attributes.map_state == 2 and not attributes.override_redirect:  # IsViewable
            found.append((attributes.width * attributes.height, children[i]))
    if children:
        x.XFree(children)
    return [window for _, window in sorted(found, reverse=True)]


def windows_of(display, pid):
    # The window maps a little after the application is on the bus; the limit
    # only stops a hang.
    deadline = time.monotonic() + 60
    while True:
        found = shown_windows_of(display, pid)
        if found or time.monotonic() > deadline:
            return found
        time.sleep(0.05)


def close(display, windows):
    for window in windows:
        event = Event()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.l[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        x.XSendEvent(display, window, 0, 0, ctypes.byref(event))


def press(display, windows, combos):
    for combo in combos:
        # Without a window manager nobody gives the window the focus; take it,
        # again for each key, as a window another program presents on the same
        # display meanwhile takes it for itself.
        x.XSetInputFocus(display, windows[0], 2, 0)  # RevertToParent, CurrentTime
        x.XSync(display, 0)
        names = [MODIFIERS.get(part.lower(), part) for part in combo.split("+")]
        codes = [x.XKeysymToKeycode(display, x.XStringToKeysym(name.encode())) for name in names]
        if not all(codes):
            sys.exit(f"no key for {combo}")
        for code in codes:
            xtst.XTestFakeKeyEvent(display, code, 1, 0)
        for code in reversed(codes):
            xtst.XTestFakeKeyEvent(display, code, 0, 0)
        x.XSync(display, 0)
        time.sleep(0.05)


def shoot(display, window, path):
    """Writes what the window shows (its own area, nothing around it) as an RGB PNG."""
    attributes = WindowAttributes()
    x.XGetWindowAttributes(display, window, ctypes.byref(attributes))
    image = x.XGetImage(display, window, 0, 0, attributes.width, attributes.height, 0xFFFFFFFF, 2)  # ZPixmap
    if not image or image.contents.bits_per_pixel != 32:
        sys.exit("cannot read the window's pixels")
    img = image.contents
    data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
    rows = bytearray()
    for y in range(img.height):
        line = data[y * img.bytes_per_line:y * img.bytes_per_line + img.width * 4]
        rgb = bytearray(img.width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]  # from BGRX
        rows += b"\0" + rgb

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", img.width, img.height, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
    print(f"{path}: {img.width}x{img.height}")


def main():
    command, pid, rest = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    windows = windows_of(display, pid)
    if not windows:
        return 1
    if command == "close":
        close(display, windows)
    elif command == "keys":
        press(display, windows, rest)
    elif command == "shoot":
        shoot(display, windows[0], rest[0])
    else:
        sys.exit(f"unknown command {command}")
    x.XFlush(display)
    return 0


sys.exit(main())
