"""The X display, Wine and the program's windows for xvfb_test.py: running Windows programs in the
X11 test prefix, reading the windows with window_probe.exe, the mouse and keys with xdotool, and
screenshots with ImageMagick.

Reads the bin folder and the artefact folder from the command line of the test script.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BIN = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(REPO, "build", "windows", "bin")
LOCALE = os.environ.get("QUELLIX_WINE_LOCALE", "ja")
ARTEFACTS = os.path.join(os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.path.join(REPO, "build", "xvfb"),
                         LOCALE)
WINE_RUN = os.path.join(REPO, "scripts", "wine-run.sh")
ENV = dict(os.environ, QUELLIX_WINE_GRAPHICS="x11")
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"
DESKTOP = (0, 0, 0)  # the X server's root window (-br)

# Control ids and positions (client pixels) of the main window.
PDIGI_DIR = 107
BUTTON_PAUSE, BUTTON_STOP, BUTTON_PLAY = 101, 102, 104
BUTTONS = {  # id: (left, top, width, height)
    101: (320, 138, 81, 25), 102: (232, 136, 81, 27), 104: (56, 138, 81, 25),
    106: (392, 48, 25, 25), 108: (328, 64, 25, 25),
}
BUTTON_HOME, BUTTON_ABOUT, BUTTON_FILE = 105, 106, 108
LABEL_SETTING = (16, 56, 186, 12)
LABEL1 = (24, 48, 345, 25)
TITLE_POINT = (20, 24)  # on the title label "Quellix"


def wine(*args, timeout=60):
    """Runs a Windows program to its end; returns its exit code and standard output.

    The output goes to a file, not a pipe: Wine's own background processes, started by whichever
    program comes first, inherit its handles and would hold a pipe open after the program ended.
    """
    with tempfile.TemporaryFile() as out:
        result = subprocess.run([WINE_RUN, *args], env=ENV, stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        return result.returncode, out.read()


PREFIX = os.path.join(os.environ.get("QUELLIX_WINE_ROOT", os.path.join(REPO, "build", "wine")),
                      "prefix-%s-x11" % LOCALE)


def kill_prefix():
    """Ends every process of the X11 test prefix (used by these tests alone)."""
    subprocess.run(["wineserver", "-k"], env=dict(ENV, WINEPREFIX=PREFIX), capture_output=True, timeout=60)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def probe():
    out = wine(os.path.join(BIN, "window_probe.exe"))[1].decode("utf-8", "replace")
    return [json.loads(line) for line in out.splitlines() if line.strip()]


# One limit for every wait: it only ends a test whose event never comes, far beyond what a loaded
# two-core machine takes (the test bed ends the whole test at 300 s).
EVENT_LIMIT = 120.0


def wait_for(what, condition, timeout=EVENT_LIMIT):
    """Polls `condition` until it gives a true value, which is returned."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)


def find(windows, cls, visible=True):
    return [w for w in windows if w["class"] == cls and (w["visible"] or not visible)]


def child(window, control_id):
    for c in window["children"]:
        if c["id"] == control_id:
            return c
    raise AssertionError("no control %d in %s" % (control_id, window["class"]))


def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True, timeout=30)


def click(x, y):
    xdotool("mousemove", x, y)
    time.sleep(0.1)
    xdotool("click", 1)


def press(key, x, y):
    # No window manager gives the keyboard focus: keys go to the window under the pointer.
    xdotool("mousemove", x, y)
    time.sleep(0.1)
    xdotool("key", key)


class Screen:
    """A screenshot of the whole display, saved as an artefact."""

    def __init__(self, name):
        os.makedirs(ARTEFACTS, exist_ok=True)
        self.path = os.path.join(ARTEFACTS, name + ".png")
        subprocess.run(["import", "-window", "root", self.path], check=True, timeout=30)
        raw = subprocess.run([CONVERT, self.path, "-depth", "8", "ppm:-"], check=True, capture_output=True,
                             timeout=30).stdout
        magic, width, height, maximum, rest = raw.split(maxsplit=4)
        assert magic == b"P6" and maximum == b"255"
        self.width, self.height, self.pixels = int(width), int(height), rest

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.pixels[at:at + 3])

    def crop(self, name, rect):
        left, top, right, bottom = rect
        path = os.path.join(ARTEFACTS, name + ".png")
        subprocess.run([CONVERT, self.path, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                        "+repage", path], check=True, timeout=30)
        if os.environ.get("QUELLIX_UPDATE_DOCS") == "1" and LOCALE == "ja":
            os.makedirs(os.path.join(REPO, "docs"), exist_ok=True)
            shutil.copyfile(path, os.path.join(REPO, "docs", name + ".png"))
        return path


def read_window_bitmap():
    """The window bitmap's pixels as (r, g, b), rows top-down."""
    with open(os.path.join(REPO, "assets", "window.bmp"), "rb") as f:
        data = f.read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little")
    height = int.from_bytes(data[22:26], "little")
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height):
        line = data[offset + (height - 1 - y) * stride:]
        rows.append([(line[x * 3 + 2], line[x * 3 + 1], line[x * 3]) for x in range(width)])
    return rows


WINDOW_BITMAP = read_window_bitmap()
