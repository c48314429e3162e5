#!/usr/bin/python3
# gridhost's window under an Xvfb of its own: the grid over the sample database, the import
# command clicked with xdotool, the plug-in's dialog answered by a script, and the grid's
# refreshed rows read from gridhost's window log.
#   drive_gridhost.py GRIDHOST REPO_ROOT open     the dialog opens over the grid and closes
#   drive_gridhost.py GRIDHOST REPO_ROOT import   the sample import adds rows the grid shows
#   drive_gridhost.py GRIDHOST REPO_ROOT fake-import LIBRARY   the same through a stand-in
#                                                  plug-in that appends the sample's rows itself
#   drive_gridhost.py GRIDHOST REPO_ROOT screenshots FOLDER   the window, and the dialog over it
#                                                  worked by hand (scripts/screenshots)
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wx"))
from drive_windows import Failure, parse_log, screenshot, start_xvfb  # noqa: E402

WAIT = 30
OPEN = ["click Tfrm_Import.Button1", 'choose-file "examples/grid-sample.xlsx"',
        "click Tfrm_Import.Button3"]
IMPORT = ["click Tfrm_Import.Button1", 'choose-file "examples/grid-sample.xlsx"',
          "click Tfrm_Import.Button2", "answer-message OK", "click Tfrm_Import.Button3"]


class Host:
    def __init__(self, gridhost, root, workdir, display, script_lines, extra_args=()):
        self.workdir = workdir
        self.display = display
        self.screen_log = os.path.join(workdir, "screen.log")
        self.log = os.path.join(workdir, "window.log")
        db = os.path.join(workdir, "grid-sample.db")
        shutil.copy(os.path.join(root, "examples", "grid-sample.db"), db)
        script = os.path.join(workdir, "dialog.script")
        with open(script, "w", encoding="utf-8") as f:
            f.write("\n".join(script_lines or []) + "\n")
        self.transcript = os.path.join(workdir, "transcript.txt")
        env = dict(os.environ)
        env.pop("WAYLAND_DISPLAY", None)
        env.update({"DISPLAY": display, "HOME": workdir, "XDG_RUNTIME_DIR": workdir,
                    "NO_AT_BRIDGE": "1", "GSETTINGS_BACKEND": "memory", "GTK_THEME": "Adwaita",
                    "GRIDHOST_WINDOW_LOG": self.log, "PORT_UI_SCRIPT": script,
                    "PORT_UI_TRANSCRIPT": self.transcript, "PORT_UI_SCREEN_LOG": self.screen_log})
        if script_lines is None:  # the plug-in's dialog in a real window
            del env["PORT_UI_SCRIPT"]
        self.env = env
        self.err = open(os.path.join(workdir, "host.err"), "w+")
        env["FAKE_GRIDPORT_ROWS"] = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                 "sample_rows.tsv")
        self.proc = subprocess.Popen([gridhost, "--window", "--db", db, "--table", "receipts"] +
                                     list(extra_args),
                                     env=env, cwd=root, stdout=self.err, stderr=self.err)

    def stderr(self):
        with open(self.err.name, errors="replace") as f:
            return f.read()

    def window_log(self):
        try:
            with open(self.log, encoding="utf-8") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def wait_log(self, what, text):
        deadline = time.time() + WAIT
        while time.time() < deadline:
            if text in self.window_log():
                return self.window_log()
            if self.proc.poll() is not None:
                break
            time.sleep(0.1)
        raise Failure("no %r in the window log (%s):\n%s\n%s" %
                      (text, what, self.window_log(), self.stderr()[-2000:]))

    def wait_screen(self, what, predicate):
        deadline = time.time() + WAIT
        while time.time() < deadline:
            try:
                with open(self.screen_log, encoding="utf-8") as f:
                    state = parse_log(f.read())
            except FileNotFoundError:
                state = parse_log("")
            found = predicate(state)
            if found:
                return found
            time.sleep(0.1)
        raise Failure("timed out waiting for %s:\n%s" % (what, self.stderr()[-2000:]))

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       timeout=WAIT)

    def click_import(self):
        for line in self.window_log().splitlines():
            if line.startswith("button ImportButton "):
                x, y, w, h = map(int, line.split()[2:6])
                self.xdotool("mousemove", x + w // 2, y + h // 2, "click", "1")
                return (x, y, w, h)
        raise Failure("the window log names no import button:\n" + self.window_log())

    def close(self, button):
        # Without a window manager the keyboard follows the pointer, which is over the window.
        x, y, w, h = button
        self.xdotool("mousemove", x + w // 2, y + h + 40, "key", "ctrl+q")
        try:
            return self.proc.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise Failure("gridhost did not close:\n" + self.stderr()[-2000:])


def expect(condition, message):
    if not condition:
        raise Failure(message)


def run(gridhost, root, scenario, workdir, display):
    extra = ["--library", sys.argv[4]] if scenario == "fake-import" else []
    host = Host(gridhost, root, workdir, display, OPEN if scenario == "open" else IMPORT, extra)
    try:
        log = host.wait_log("the window shown", "status 共3行")
        expect("column 0 客户编号\ncolumn 1 客户名称\ncolumn 2 付款日期\ncolumn 3 金额\n"
               "column 4 数量\ncolumn 5 备注\ncolumn 6 打印\nrow 0" in log, log)
        expect("row 0 | C0001 | 钱一 | 2024-03-01 | 150.00 | 1 |  | 1" in log, log)
        button = host.click_import()
        if scenario == "open":
            host.wait_log("the dialog closed", "本次导入新增0行")
            with open(host.transcript, encoding="utf-8") as f:
                transcript = f.read()
            expect('show Tfrm_Import "从Excel导入数据"' in transcript, transcript)
            status = host.close(button)
            expect(status == 1, "gridhost exited with %d:\n%s" % (status, host.stderr()))
        else:
            log = host.wait_log("the import's rows in the grid", "本次导入新增4行")
            expect("rows 7\nstatus 共7行" in log, log)
            expect("row 6 | C1006 | 周八 | 2024-03-10 | 3000.00 | 10 |  | 0" in log, log)
            status = host.close(button)
            expect(status == 0, "gridhost exited with %d:\n%s" % (status, host.stderr()))
    finally:
        if host.proc.poll() is None:
            host.proc.kill()


def take_screenshots(gridhost, root, workdir, display, folder):
    host = Host(gridhost, root, workdir, display, None)
    try:
        host.wait_log("the window shown", "status 共3行")
        screenshot(host, [(0, 0, 800, 500)], os.path.join(folder, "gridhost-window.png"))
        button = host.click_import()
        form = host.wait_screen("the import dialog", lambda st: st["forms"].get("Tfrm_Import"))
        x, y, w, h = form["controls"]["Button1"]["rect"]
        host.xdotool("mousemove", x + w // 2, y + h // 2, "click", "1")
        host.wait_screen("the file dialog", lambda st: st["file_dialog"])
        time.sleep(1)
        host.xdotool("key", "ctrl+l")
        time.sleep(0.3)
        host.xdotool("type", "--delay", "40", os.path.join(root, "examples", "grid-sample.xlsx"))
        time.sleep(0.3)
        host.xdotool("key", "Return")
        form = host.wait_screen("the worksheet opened", lambda st: st["forms"].get(
            "Tfrm_Import") if "记录数：7" in st["forms"].get("Tfrm_Import", {}).get(
                "controls", {}).get("Label2", {}).get("state", "") else None)
        screenshot(host, [(0, 0, 800, 500), form["rect"]],
                   os.path.join(folder, "gridhost-import-dialog.png"))
        x, y, w, h = form["controls"]["Button3"]["rect"]
        host.xdotool("mousemove", x + w // 2, y + h // 2, "click", "1")
        host.wait_log("the dialog closed", "本次导入新增0行")
        host.close(button)
    finally:
        if host.proc.poll() is None:
            host.proc.kill()


def main():
    gridhost, root, scenario = sys.argv[1:4]
    workdir = tempfile.mkdtemp(prefix="gridhost_window_")
    xvfb = None
    try:
        xvfb, display = start_xvfb()
        if scenario == "screenshots":
            take_screenshots(gridhost, root, workdir, display, os.path.abspath(sys.argv[4]))
        else:
            run(gridhost, root, scenario, workdir, display)
        return 0
    except Failure as e:
        print("FAILED:", e, file=sys.stderr)
        return 1
    finally:
        if xvfb is not None:
            xvfb.kill()
            xvfb.wait()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
