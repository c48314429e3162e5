#!/usr/bin/python3
# Drives libsheetport.so's dialogs through real windows: starts its own Xvfb, runs the window
# host, and types and clicks with xdotool where the toolkit's screen log says each control is.
#   drive_windows.py HOST LIBRARY import       configuration dialog, then an import
#   drive_windows.py HOST LIBRARY wx-host      the same plug-in inside a host that is a wx program
#   drive_windows.py HOST LIBRARY no-display   no display and no script: a clear failure
#   drive_windows.py HOST LIBRARY screenshots FOLDER   pictures of the dialogs (scripts/screenshots)
#   drive_windows.py under-xvfb COMMAND...     runs a command with its own Xvfb as the display
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

WAIT = 20  # seconds any one step may take
SCREEN = (1024, 768)
# The Windows build's host runs under this emulator (wine), on the display the test run has.
EMULATOR = os.environ.get("PORT_TEST_EMULATOR", "")


class Failure(Exception):
    pass


def start_xvfb():
    """Starts Xvfb on a free display number it picks itself; returns (process, ":N")."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN,
         "-nolisten", "tcp"], pass_fds=[write_end],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.time() + WAIT
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.time()))
        if not ready:
            proc.kill()
            raise Failure("Xvfb did not start")
        chunk = os.read(read_end, 16)
        if not chunk:
            raise Failure("Xvfb ended before naming its display")
        number += chunk
    os.close(read_end)
    return proc, ":" + number.decode().strip()


def parse_log(text):
    """The screen log as {"forms": {name: {...}}, "message": {...} or None, "file_dialog": bool}."""
    import shlex
    state = {"forms": {}, "message": None, "file_dialog": False}
    form = None
    for line in text.splitlines():
        if not line.strip():
            continue
        words = shlex.split(line)
        if line.startswith("form "):
            form = {"caption": words[2], "rect": tuple(map(int, words[3:7])), "controls": {}}
            state["forms"][words[1]] = form
        elif line.startswith("message "):
            state["message"] = {"caption": words[1], "text": words[2], "icon": words[3],
                                "rect": tuple(map(int, words[4:8])), "icon_rect": None,
                                "buttons": {}}
            form = None
        elif line.startswith("file-dialog "):
            state["file_dialog"] = True
        elif line.startswith("  icon ") and state["message"]:
            state["message"]["icon_rect"] = tuple(map(int, words[1:5]))
        elif line.startswith("  button ") and state["message"] and form is None:
            state["message"]["buttons"][words[1]] = tuple(map(int, words[2:6]))
        elif line.startswith("  ") and form is not None:
            form["controls"][words[0]] = {"kind": words[1], "rect": tuple(map(int, words[2:6])),
                                          "state": line.split(None, 6)[6] if len(words) > 6 else ""}
    return state


class Session:
    def __init__(self, host, library, workdir, display, extra_args, command=None):
        self.workdir = workdir
        self.display = display
        self.log_path = os.path.join(workdir, "screen.log")
        self.ini = os.path.join(workdir, "Unfixed.ini")
        env = dict(os.environ)
        env.pop("PORT_UI_SCRIPT", None)
        env.pop("PORT_UI_TRANSCRIPT", None)
        env.pop("WAYLAND_DISPLAY", None)
        env.update({"HOME": workdir, "XDG_RUNTIME_DIR": workdir, "NO_AT_BRIDGE": "1",
                    "GSETTINGS_BACKEND": "memory", "GTK_THEME": "Adwaita",
                    "PORT_UI_SCREEN_LOG": self.log_path,
                    "PORT_DEBUG_LOG": os.path.join(workdir, "debug.log")})
        if display:
            env["DISPLAY"] = display
        else:
            env.pop("DISPLAY", None)
        self.env = env
        self.out = open(os.path.join(workdir, "host.out"), "w+")
        self.err = open(os.path.join(workdir, "host.err"), "w+")
        # Run in the work folder, where the file dialog opens. A host of another plug-in
        # brings its own command line.
        command = command or [host, library, self.ini] + extra_args
        if EMULATOR:
            command = [EMULATOR] + command
        self.proc = subprocess.Popen(command, env=env, cwd=workdir, stdout=self.out,
                                     stderr=self.err)

    def stdout(self):
        with open(self.out.name) as f:
            return f.read()

    def stderr(self):
        with open(self.err.name, errors="replace") as f:
            return f.read()

    def screen(self):
        try:
            with open(self.log_path, encoding="utf-8") as f:
                return parse_log(f.read())
        except FileNotFoundError:
            return parse_log("")

    def wait(self, what, predicate):
        deadline = time.time() + WAIT
        while time.time() < deadline:
            state = self.screen()
            result = predicate(state)
            if result:
                return result
            if self.proc.poll() is not None and not predicate(self.screen()):
                raise Failure("the host ended while waiting for %s:\n%s\n%s" %
                              (what, self.stdout(), self.stderr()[-2000:]))
            time.sleep(0.1)
        raise Failure("timed out waiting for %s; screen log:\n%s" % (what, open(self.log_path).read()
                      if os.path.exists(self.log_path) else "(none)"))

    def wait_output(self, what, text):
        deadline = time.time() + WAIT
        while time.time() < deadline:
            if text in self.stdout():
                return
            if self.proc.poll() is not None and text not in self.stdout():
                break
            time.sleep(0.1)
        raise Failure("the host never wrote %r (%s):\n%s\n%s" %
                      (text, what, self.stdout(), self.stderr()[-2000:]))

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       timeout=WAIT)

    def click(self, rect, dx=None):
        x, y, w, h = rect
        self.xdotool("mousemove", x + (w // 2 if dx is None else dx), y + h // 2, "click", "1")

    def type(self, text):
        self.xdotool("type", "--delay", "40", text)

    def key(self, *names):
        self.xdotool("key", "--delay", "40", *names)

    def control(self, form, name):
        return self.wait("%s.%s" % (form, name),
                         lambda s: s["forms"].get(form, {}).get("controls", {}).get(name))

    def control_state(self, form, name, wanted, what):
        return self.wait(what, lambda s: all(
            w in s["forms"].get(form, {}).get("controls", {}).get(name, {}).get("state", "").split()
            for w in wanted))

    def choose_file(self, name):
        """Types name into the native file dialog once it is up, and confirms it. Windows'
        dialog opens in a folder of its own choice: there the whole path is typed, as wine
        names the work folder."""
        if EMULATOR:
            name = "Z:" + os.path.join(self.workdir, name).replace("/", "\\")
        self.wait("the file dialog", lambda st: st["file_dialog"])
        time.sleep(1)  # the native dialog maps itself after it is listed
        self.xdotool("mousemove", SCREEN[0] // 2, SCREEN[1] // 2)
        if not EMULATOR:  # GTK's dialog types names into its location field; Windows' has one
            self.key("ctrl+l")
            time.sleep(0.3)
        self.type(name)
        time.sleep(0.3)
        if os.environ.get("SHOTS"):
            subprocess.run(["import", "-display", self.display, "-window", "root",
                            os.environ["SHOTS"]])
        self.key("Return")

    def finish(self):
        try:
            self.proc.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise Failure("the host did not end:\n" + self.stdout())
        if self.proc.returncode != 0:
            raise Failure("the host failed with status %d:\n%s\n%s" %
                          (self.proc.returncode, self.stdout(), self.stderr()[-3000:]))


def expect(condition, message):
    if not condition:
        raise Failure(message)


def icon_drawn(session, rect, red):
    """True when the screen inside rect holds a picture (not plain background), red for an
    error icon."""
    x, y, w, h = rect
    shot = os.path.join(session.workdir, "icon.png")
    subprocess.run(["import", "-display", session.display, "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (w, h, x, y), shot], check=True, timeout=WAIT)
    measure = subprocess.run(
        ["convert", shot, "-format", "%[fx:standard_deviation] %[fx:mean.r] %[fx:mean.g]", "info:"],
        check=True, capture_output=True, text=True, timeout=WAIT).stdout.split()
    spread, r, g = map(float, measure)
    return spread > 0.05 and (not red or r > g + 0.1)


def screenshot(s, rects, path):
    """The part of the screen that holds all of rects, as a PNG."""
    left = min(r[0] for r in rects)
    top = min(r[1] for r in rects)
    right = max(r[0] + r[2] for r in rects)
    bottom = max(r[1] + r[3] for r in rects)
    time.sleep(0.5)  # let the last paint reach the screen
    subprocess.run(["import", "-display", s.display, "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage", path],
                   check=True, timeout=WAIT)


def take_screenshots(s, workbook, folder):
    with open(s.ini, "w") as f:
        f.write("[CHANGCOL]\nDELIMITER=2\nKHBHORDER=1\nKHBHNAME=KHBH\nKHXMORDER=2\n"
                "KHXMNAME=KHXM\nKHZHORDER=3\nKHZHNAME=KHZH\nJYJORDER=4\nJYJNAME=JYJE\n"
                "[PUBLICPROPERTY]\nNONCETYPENAME=CHANGCOL\nCOUNT=4\n")
    form = "TFrmSetExcelINI"
    s.control_state(form, "EdJYJ", ['text="4"'], "the loaded settings")
    dialog = s.wait("the dialog", lambda st: st["forms"].get(form))["rect"]
    screenshot(s, [dialog], os.path.join(folder, "configuration-dialog.png"))
    s.click(s.control(form, "EdKHMC")["rect"])
    s.key("BackSpace")
    s.type("1")
    s.click(s.control(form, "BuOk")["rect"])
    message = s.wait("the duplicate message", lambda st: st["message"])
    screenshot(s, [dialog, message["rect"]], os.path.join(folder, "message-box.png"))
    s.click(message["buttons"]["确定"])
    s.wait("the message box to close", lambda st: st["message"] is None)
    s.click(s.control(form, "EdKHMC")["rect"])
    s.key("BackSpace")
    s.type("2")
    s.click(s.control(form, "BuOk")["rect"])
    s.wait_output("the dialog saved", "config 0")
    s.choose_file(os.path.basename(workbook))
    combo = s.control("TUSelSheet", "ComboBox1")
    x, y, w, h = combo["rect"]
    s.click(combo["rect"], dx=w - 8)
    time.sleep(0.5)
    s.key("Down", "Return")
    s.control_state("TUSelSheet", "ComboBox1", ["index=1"], "the first worksheet to be chosen")
    dialog = s.wait("the dialog", lambda st: st["forms"].get("TUSelSheet"))["rect"]
    screenshot(s, [dialog], os.path.join(folder, "sheet-selection-dialog.png"))
    s.click(s.control("TUSelSheet", "Button1")["rect"])
    s.wait_output("the import", "done")
    s.finish()


def make_workbook(path):
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    pay = book.add_sheet("Pay")
    rows = [["no", "name", "account", "amount"],
            ["C001", "Zhang", "6222000011112222", "100.5"],
            ["C002", "Li", "6222000033334444", "42"]]
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            pay.write(r, c, value)
    book.add_sheet("Notes").write(0, 0, "not imported")
    book.save(path)


def configure(s):
    form = "TFrmSetExcelINI"
    s.control_state(form, "EdKHBH", ["focus"], "the first position edit to have the focus")
    s.control_state(form, "EdSign", ['text="2"'], "the default start row")

    # A letter as the first key switches the digits-only style on and is refused itself.
    s.click(s.control(form, "EdKHBH")["rect"])
    s.type("a")
    s.control_state(form, "EdKHBH", ['text=""', "digits-only"], "the letter to be refused")
    s.type("1")
    s.control_state(form, "EdKHBH", ['text="1"'], "a digit to be taken")

    # The same column twice: the check's message box, with its error icon.
    s.click(s.control(form, "EdKHMC")["rect"])
    s.key("KP_1")
    s.control_state(form, "EdKHMC", ['text="1"'], "a keypad digit to be taken")
    s.click(s.control(form, "BuOk")["rect"])
    message = s.wait("the duplicate message", lambda st: st["message"])
    expect(message["caption"] == "输入出错", "caption " + message["caption"])
    expect(message["text"] == "客户编号位置不能有重复,请修改．", "text " + message["text"])
    expect(message["icon"] == "error" and message["icon_rect"], "no icon in " + str(message))
    expect(icon_drawn(s, message["icon_rect"], red=True), "the error icon is not drawn")
    s.click(message["buttons"]["确定"])
    s.wait("the message box to close", lambda st: st["message"] is None)
    s.control_state(form, "EdKHBH", ["focus"], "the focus on the edit the message names")

    s.click(s.control(form, "EdKHMC")["rect"])
    s.key("BackSpace")
    s.type("2")
    s.click(s.control(form, "EdKHZH")["rect"])
    s.type("3")
    s.click(s.control(form, "EdJYJ")["rect"])
    s.type("4")
    s.control_state(form, "EdJYJ", ['text="4"'], "the amount column")
    s.click(s.control(form, "BuOk")["rect"])
    s.wait_output("the dialog saved", "config 0")
    with open(s.ini, encoding="latin-1") as f:
        ini = f.read()
    for line in ["DELIMITER=2", "COUNT=4", "KHBHORDER=1", "KHXMORDER=2", "KHZHORDER=3",
                 "JYJORDER=4"]:
        expect(line in ini.split(), "%s missing from the configuration file:\n%s" % (line, ini))


def run_import(s, workbook):
    # The dialog opens in the host's folder; a name without folders leaves GTK's inline
    # completion of folder names nothing to race with.
    s.choose_file(os.path.basename(workbook))
    form = "TUSelSheet"
    combo = s.control(form, "ComboBox1")
    expect('items=["不选择","Pay$","Notes$"]' in combo["state"], "sheet list " + combo["state"])
    # Opened with its arrow and chosen with the keyboard, as a person might; on Windows with
    # the mouse, the list's second line.
    x, y, w, h = combo["rect"]
    if EMULATOR:
        s.click(combo["rect"], dx=w - 8)
        time.sleep(0.5)
        s.xdotool("mousemove", x + w // 2, y + h + 13 + 6, "click", "1")
    else:
        s.click(combo["rect"], dx=w - 8)
        time.sleep(0.5)
        s.key("Down", "Return")
    s.control_state(form, "ComboBox1", ["index=1"], "the first worksheet to be chosen")
    s.click(s.control(form, "Button1")["rect"])
    s.wait_output("the import", "done")
    s.finish()
    out = s.stdout().splitlines()
    expect(out.count("callback 0") == 2 and "callback 2 2" in out, "callbacks:\n" + "\n".join(out))
    expect("record 1 C001|Zhang|6222000011112222|100.5|||" in out, "records:\n" + "\n".join(out))
    expect("record 2 C002|Li|6222000033334444|42|||" in out, "records:\n" + "\n".join(out))


class Run:
    """One driver run: a work folder, an Xvfb once a display is asked for, and the host session
    the scenario puts in `session`."""

    def __init__(self, prefix):
        self.workdir = tempfile.mkdtemp(prefix=prefix)
        self.xvfb = None
        self.session = None

    def display(self):
        if EMULATOR:
            return os.environ["DISPLAY"]
        self.xvfb, display = start_xvfb()
        return display


def run(prefix, scenario):
    """Runs scenario(run); a Failure is reported with the host's output and gives status 1. The
    host, the Xvfb and the work folder go in any case."""
    r = Run(prefix)
    try:
        scenario(r)
        return 0
    except Failure as e:
        print("FAILED:", e, file=sys.stderr)
        if r.session is not None:
            print("host stdout:\n" + r.session.stdout(), file=sys.stderr)
            print("host stderr:\n" + r.session.stderr()[-3000:], file=sys.stderr)
        return 1
    finally:
        if r.session is not None and r.session.proc.poll() is None:
            r.session.proc.kill()
        if r.xvfb is not None:
            r.xvfb.kill()
            r.xvfb.wait()
        shutil.rmtree(r.workdir, ignore_errors=True)


def under_xvfb(command):
    xvfb, display = start_xvfb()
    try:
        env = dict(os.environ, DISPLAY=display, NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory")
        env.pop("WAYLAND_DISPLAY", None)
        return subprocess.run(command, env=env, timeout=100).returncode
    finally:
        xvfb.kill()
        xvfb.wait()


def scenario(r):
    host, library, name = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
    workdir = r.workdir
    if name == "no-display":
        # Neither a display named, nor one named that cannot be opened.
        for display, why in [(None, "there is no display"),
                             (":65000", "the display cannot be opened")]:
            r.session = Session(host, library, workdir, display, [])
            r.session.finish()
            out = r.session.stdout().splitlines()
            expect("config 1" in out and "list 0" in out, "host output:\n" + "\n".join(out))
            expect("no user interface is available: " + why in r.session.stderr(),
                   "no word on stderr:\n" + r.session.stderr())
        return
    display = r.display()
    if name == "import":
        workbook = os.path.join(workdir, "book.xls")
        make_workbook(workbook)
        r.session = Session(host, library, workdir, display, [])
        configure(r.session)
        run_import(r.session, workbook)
    elif name == "screenshots":
        workbook = os.path.join(workdir, "book.xls")
        make_workbook(workbook)
        r.session = Session(host, library, workdir, display, [])
        take_screenshots(r.session, workbook, os.path.abspath(sys.argv[4]))
    elif name == "wx-host":
        s = r.session = Session(host, library, workdir, display, ["--wx-app", "--config-only"])
        s.wait_output("the host's own application", "host app started")
        s.click(s.control("TFrmSetExcelINI", "BuCancel")["rect"])
        s.wait_output("the dialog cancelled", "config 1")
        s.finish()
        expect("host app kept" in s.stdout(), "host output:\n" + s.stdout())
    else:
        raise Failure("unknown scenario " + name)


def main():
    # A test runner's timeout ends the driver with SIGTERM: Xvfb and the host still go.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    if sys.argv[1] == "under-xvfb":
        return under_xvfb(sys.argv[2:])
    return run("sheetport-windows-", scenario)


if __name__ == "__main__":
    sys.exit(main())
