#!/usr/bin/env python3
"""The real quellix.exe on an X display, driven with the mouse and the keyboard as a person would.

Runs under xvfb-run (a bare X server, no window manager) with Wine's X11 test prefix. The mouse and
keys come from xdotool, the screen from ImageMagick's `import`; window_probe.exe reports the
program's windows and controls (texts, positions, enabled state, focus). Screenshots land in the
artefact folder; with QUELLIX_UPDATE_DOCS=1 the settings window and the About box are also copied
to docs/.

Usage: xvfb_test.py <bin folder> <artefact folder>
"""
import contextlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from xvfb_support import (
    BIN, WINE_RUN, ENV, DESKTOP, PDIGI_DIR, BUTTON_PAUSE, BUTTON_STOP, BUTTON_PLAY, BUTTONS, BUTTON_HOME,
    BUTTON_ABOUT, BUTTON_FILE, LABEL_SETTING, LABEL1, TITLE_POINT, wine, PREFIX, kill_prefix, windows_path, probe,
    wait_for, EVENT_LIMIT, find, child, xdotool, click, press, Screen, WINDOW_BITMAP)


class QuellixOnX(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="quellix-x11-", dir=os.environ.get("TMPDIR", "/tmp"))
        self.root = os.path.join(self.work, "root")
        os.makedirs(self.root)
        code, _ = wine("reg", "add", "HKCU\\software\\Morvane\\Pexlan2\\etc", "/v", "RootPath", "/d",
                       windows_path(self.root), "/f")
        self.assertEqual(code, 0)
        self.assertEqual(find(probe(), "TFormPdigi", visible=False), [], "a program window is left over")
        self.process = None

    def tearDown(self):
        if self.process is not None and self.process.poll() is None:
            kill_prefix()  # a test that failed half-way leaves the program running
            self.process.wait(timeout=30)
        shutil.rmtree(self.work, ignore_errors=True)

    def start(self, *arguments):
        self.process = subprocess.Popen([WINE_RUN, os.path.join(BIN, "quellix.exe"), *arguments], env=ENV,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return wait_for("the main window", lambda: (find(probe(), "TFormPdigi") or [None])[0])

    def main_window(self):
        return (find(probe(), "TFormPdigi") or [None])[0]

    def wait_painted(self, window, name):
        """A screenshot once the window's bitmap is on the screen."""
        left, top = window["rect"][:2]

        def painted():
            screen = Screen(name)
            return screen if screen.pixel(left + 420, top + 90) == WINDOW_BITMAP[90][420] else None

        return wait_for("the window's bitmap on the screen", painted)

    def click_control(self, window, control_id):
        left, top = window["rect"][:2]
        x, y, width, height = BUTTONS[control_id]
        click(left + x + width // 2, top + y + height // 2)

    def wait_ended(self, timeout=EVENT_LIMIT):
        self.assertEqual(self.process.wait(timeout=timeout), 0)
        self.process = None

    def log_lines(self):
        with open(os.path.join(self.root, "pex.log"), "rb") as f:
            return f.read().decode("cp932").splitlines()

    def differs(self, screen, window, area):
        """How many pixels of the area (client left, top, width, height) differ from the bitmap."""
        left, top = window["rect"][:2]
        x0, y0, width, height = area
        return sum(1 for y in range(y0, y0 + height) for x in range(x0, x0 + width)
                   if screen.pixel(left + x, top + y) != WINDOW_BITMAP[y][x])

    def label_setting_differs(self, screen, window):
        return self.differs(screen, window, LABEL_SETTING)

    def application_window(self, pid):
        return [w for w in probe() if w["class"] == "TApplication" and w["pid"] == pid][0]

    def test_settings_window_has_the_bitmaps_shape_and_its_keys_work(self):
        window = self.start()
        left, top, right, bottom = window["rect"]
        self.assertEqual((right - left, bottom - top), (445, 183), "no frame, no title bar")
        screen = self.wait_painted(window, "settings-window-screen")
        screen.crop("settings-window", window["rect"])
        # See-through: the corners, and the strip right of the tab above the body.
        for x, y in ((0, 0), (444, 0), (0, 182), (444, 182), (1, 1), (300, 10), (440, 20), (160, 25)):
            self.assertEqual(screen.pixel(left + x, top + y), DESKTOP, "(%d, %d) shows the desktop" % (x, y))
        # The bitmap itself where nothing is drawn over it: tab, body, edges.
        for x, y in ((100, 6), (1, 100), (443, 100), (420, 90), (220, 124), (20, 175), (300, 33)):
            self.assertEqual(screen.pixel(left + x, top + y), WINDOW_BITMAP[y][x], "(%d, %d)" % (x, y))
        self.assertGreater(self.label_setting_differs(screen, window), 50, "the directory caption is drawn")
        wait_for("Stop holding the focus", lambda: child(self.main_window(), BUTTON_STOP)["focus"])

        def focused(control_id):
            return wait_for("the focus on control %d" % control_id,
                            lambda: child(self.main_window(), control_id)["focus"])

        # Tab passes the disabled Skip and Resume; Enter presses the focused button.
        press("Tab", left + 300, top + 40)
        focused(BUTTON_HOME)
        press("Tab", left + 300, top + 40)
        focused(BUTTON_ABOUT)
        press("Return", left + 300, top + 40)
        about = wait_for("the About box opened by Enter", lambda: find(probe(), "TAboutForm"))[0]
        self.assertTrue(child(about, 2)["focus"], "OK holds the focus")
        press("Return", about["rect"][0] + 150, about["rect"][1] + 60)
        wait_for("the About box closed by Enter", lambda: not find(probe(), "TAboutForm"))
        # In the directory field Enter does nothing: no box, no dialog, the window stays.
        focused(BUTTON_ABOUT)
        press("Tab", left + 300, top + 40)
        focused(PDIGI_DIR)
        press("Return", left + 300, top + 40)
        time.sleep(1)
        self.assertEqual(find(probe(), "TAboutForm") + find(probe(), "#32770"), [])
        self.assertIsNotNone(self.main_window())
        self.assertIsNone(self.process.poll())

        press("Escape", left + 300, top + 40)
        self.wait_ended()
        self.assertIn("停止ボタン押下", self.log_lines())

    def test_dragging_moves_the_window_and_a_click_on_a_button_clicks_it(self):
        window = self.start()
        self.wait_painted(window, "before-drag")
        for point in (TITLE_POINT, (300, 95)):  # the title label, then the background
            left, top = window["rect"][:2]
            xdotool("mousemove", left + point[0], top + point[1])
            xdotool("mousedown", 1)
            for _ in range(6):
                time.sleep(0.05)
                xdotool("mousemove_relative", "--", 10, -6)
            xdotool("mouseup", 1)
            expected = [left + 60, top - 36]
            window = wait_for("the window moved by (60, -36)",
                              lambda: (lambda w: w if w and w["rect"][:2] == expected else None)(self.main_window()))
        self.click_control(window, BUTTON_STOP)
        self.wait_ended()
        self.assertIn("停止ボタン押下", self.log_lines())

    def test_about_box_opens_once_and_shows_the_version(self):
        window = self.start()
        self.wait_painted(window, "before-about")
        self.click_control(window, BUTTON_ABOUT)
        about = wait_for("the About box", lambda: find(probe(), "TAboutForm"))[0]
        texts = [c["text"] for c in about["children"]]
        version = os.environ["QUELLIX_FILE_VERSION"]  # the project's version, which ctest passes on
        for text in ("Quellix", "バージョン " + version, "作者 Quellix Project", "OK"):
            self.assertIn(text, texts)
        self.assertTrue(any(t.startswith("https://") for t in texts))
        left, top, right, bottom = about["rect"]
        # Owned by the application window, which also owns the main window and carries the
        # application title; still centred on the main window.
        application = self.application_window(window["pid"])
        self.assertEqual(application["text"], "Quellix")
        self.assertEqual(about["owner"], application["handle"])
        self.assertEqual(self.main_window()["owner"], application["handle"])
        main_left, main_top, main_right, main_bottom = window["rect"]
        self.assertLessEqual(abs((left + right) - (main_left + main_right)), 2, "centred across")
        self.assertLessEqual(abs((top + bottom) - (main_top + main_bottom)), 2, "centred down")
        screen = wait_for("the About box on the screen",
                          lambda: (lambda s: s if s.pixel(right - 10, bottom - 10) == (240, 251, 255) else None)(
                              Screen("about-box-screen")))
        screen.crop("about-box", about["rect"])

        # Out of the way by its title bar, then About again while it is open.
        xdotool("mousemove", left + 60, top + 8)
        xdotool("mousedown", 1)
        for _ in range(5):
            time.sleep(0.05)
            xdotool("mousemove_relative", "--", -30, 0)
        xdotool("mouseup", 1)
        wait_for("the About box moved", lambda: find(probe(), "TAboutForm")[0]["rect"][0] == left - 150)
        self.click_control(window, BUTTON_ABOUT)
        time.sleep(1)
        boxes = find(probe(), "TAboutForm", visible=False)
        self.assertEqual(len(boxes), 1, "one About box")
        self.assertTrue(boxes[0]["visible"])

        # Esc hides it; About shows the same box again.
        about = boxes[0]
        press("Escape", about["rect"][0] + 150, about["rect"][1] + 60)
        wait_for("the About box hidden", lambda: not find(probe(), "TAboutForm"))
        self.click_control(window, BUTTON_ABOUT)
        about = wait_for("the About box again", lambda: find(probe(), "TAboutForm"))[0]
        self.assertEqual(len(find(probe(), "TAboutForm", visible=False)), 1)
        ok = child(about, 2)["rect"]
        click((ok[0] + ok[2]) // 2, (ok[1] + ok[3]) // 2)
        wait_for("the About box hidden by OK", lambda: not find(probe(), "TAboutForm"))

        self.click_control(window, BUTTON_STOP)
        self.wait_ended()

    def test_channel_file_dialog_sets_the_directory_or_leaves_it(self):
        for name, file in (("chan1", "13_ChFile.txt"), ("chan2", "27_ChFile.txt")):
            os.makedirs(os.path.join(self.work, name))
            open(os.path.join(self.work, name, file), "w").close()
        window = self.start()
        self.wait_painted(window, "before-dialog")

        def choose(typed):
            self.click_control(window, BUTTON_FILE)
            dialog = wait_for("the open-file dialog", lambda: find(probe(), "#32770"))[0]
            x, y = dialog["rect"][0] + 100, dialog["rect"][1] + 100
            xdotool("mousemove", x, y)
            if typed is None:
                xdotool("key", "Escape")
            else:
                xdotool("type", "--delay", 20, typed)
                xdotool("key", "Return")
            wait_for("the dialog closed", lambda: not find(probe(), "#32770"))
            return child(self.main_window(), PDIGI_DIR)["text"]

        chan1 = windows_path(os.path.join(self.work, "chan1")) + "\\"
        chan2 = windows_path(os.path.join(self.work, "chan2")) + "\\"
        self.assertEqual(choose(chan1 + "13_ChFile.txt"), chan1)
        # The dialog opens in the field's directory: a name relative to it lands next door.
        self.assertEqual(choose("..\\chan2\\27_ChFile.txt"), chan2)
        self.assertEqual(choose(None), chan2, "Cancel leaves the field")

        self.click_control(window, BUTTON_STOP)
        self.wait_ended()

    @contextlib.contextmanager
    def stand_in_schtasks(self):
        """The system's Task Scheduler tool replaced by the stand-in, which prints the listing that
        QUELLIX_SCHTASKS_LISTING names, else the tool's note that there are no tasks. A 32-bit
        program's system directory is SysWOW64, a 64-bit one's System32: into both."""
        stand_in = os.path.join(BIN, "schtasks.exe")
        if not os.path.exists(stand_in):
            self.skipTest("no stand-in for the Task Scheduler tool")
        systems = [os.path.join(PREFIX, "drive_c", "windows", folder, "schtasks.exe")
                   for folder in ("system32", "syswow64")]
        for system in systems:
            saved = system + ".quellix-saved"
            if os.path.exists(system) and not os.path.exists(saved):
                os.rename(system, saved)
            shutil.copyfile(stand_in, system)
        overrides = "HKCU\\Software\\Wine\\DllOverrides"
        wine("reg", "add", overrides, "/v", "schtasks.exe", "/d", "native", "/f")
        try:
            yield
        finally:
            wine("reg", "delete", overrides, "/v", "schtasks.exe", "/f")
            for system in systems:
                os.remove(system)
                if os.path.exists(system + ".quellix-saved"):
                    os.rename(system + ".quellix-saved", system)

    def test_import_run_hides_the_directory_caption(self):
        reserve = os.path.join(self.work, "reserve", "GigaPocket")
        os.makedirs(reserve)
        for i in range(8000):  # enough to delete for a pause to catch the run
            open(os.path.join(reserve, "%05d.tvpi" % i), "w").close()
        # The previous run's files go once the tool has listed the tasks (here: none).
        with self.stand_in_schtasks():
            window = self.start(windows_path(reserve))
            self.click_control(window, BUTTON_PAUSE)
            paused = wait_for("the pause", lambda: (lambda w: w if w and child(w, BUTTON_PLAY)["enabled"] and not child(
                w, BUTTON_PAUSE)["enabled"] else None)(self.main_window()))
            screen = self.wait_painted(paused, "import-run-paused")
            screen.crop("import-run-paused-window", paused["rect"])
            # The status line shows over the caption's place by now: only the caption's start,
            # left of it, tells.
            self.assertEqual(self.differs(screen, paused, (16, 56, 8, 12)), 0, "no directory caption")
            self.assertGreater(len(os.listdir(reserve)), 0, "held by the pause")

            self.click_control(paused, BUTTON_PLAY)
            self.wait_ended()
        self.assertEqual(os.listdir(reserve), [])
        self.assertIn("Quellix", self.log_lines())

    def test_import_run_shows_the_status_in_place_of_the_caption(self):
        # The stand-in waits before it prints an empty listing: the harvest's wait keeps the
        # window live with its status line showing.
        with self.stand_in_schtasks():
            reserve = os.path.join(self.work, "reserve", "GigaPocket")
            os.makedirs(reserve)
            ENV["QUELLIX_SCHTASKS_DELAY_MS"] = "8000"
            try:
                window = self.start(windows_path(reserve))
            finally:
                del ENV["QUELLIX_SCHTASKS_DELAY_MS"]

            def status_shown():
                screen = Screen("import-run-status")
                return screen if self.differs(screen, window, LABEL1) > 30 else None

            screen = wait_for("the status line", status_shown)
            screen.crop("import-run-status-window", window["rect"])
            # Where the caption would begin, left of the status line, only the bitmap shows.
            self.assertEqual(self.differs(screen, window, (16, 56, 8, 12)), 0, "no directory caption")
            self.wait_ended()
            lines = self.log_lines()
            self.assertIn("Quellix開始", lines)
            self.assertIn("Quellix終了", lines)

    def test_check_report_opens_in_notepad(self):
        """The check's report in Notepad (named as the viewer: this prefix's shell opens no .txt file)."""
        reserve = os.path.join(self.root, "reserve", "GigaPocket")
        os.makedirs(reserve)
        env = dict(ENV, QUELLIX_CHECK_VIEWER="C:\\windows\\notepad.exe")
        try:
            code = subprocess.run([WINE_RUN, os.path.join(BIN, "quellix.exe"), windows_path(reserve) + "\\", "/check"],
                                  env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120).returncode
            self.assertEqual(code, 0)
            notepad = wait_for("Notepad with the report", lambda: (find(probe(), "Notepad") or [None])[0])
            self.assertIn("quellix-check", notepad["text"])
            left, top, right, bottom = notepad["rect"]
            rect = (max(left, 0), max(top, 0), min(right, 1024), min(bottom, 768))
            time.sleep(1)  # the text drawn
            Screen("check-report").crop("check-report", rect)
            # The report is Shift_JIS, for Japanese Windows: Notepad under another code page shows
            # only its ASCII as written.
            japanese = os.environ.get("QUELLIX_WINE_LOCALE", "ja") == "ja"
            self.assertTrue(child(notepad, 0)["text"].startswith("Quellix の点検" if japanese else "Quellix "))
            self.assertFalse(os.path.exists(os.path.join(self.root, "pex.log")), "the check logs nothing")
        finally:
            kill_prefix()  # Notepad, which the user would close


if __name__ == "__main__":
    # Programs of an earlier run lost their display: start and end with a clean prefix.
    kill_prefix()
    try:
        unittest.main(argv=sys.argv[:1], verbosity=2)
    finally:
        kill_prefix()
