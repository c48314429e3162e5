#!/usr/bin/python3
# Runs one import of the benchmark workbook through real windows under an Xvfb of its own: the
# workbook is chosen in the file dialog, "导入" pressed, and the dialog closed once the run has
# ended. Prints the host's output, then the host's "elapsed user sys maxrss_kb" line.
#   drive_import.py HOST LIBRARY WORKBOOK DATABASE ROWS
# BENCH_WRAP, when set, goes before the host's command ("perf record -g", to profile it).
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wx"))
import drive_windows as dw  # noqa: E402

FORM = "Tfrm_Import"
dw.WAIT = 900  # opening and importing a million rows on a loaded machine


def main():
    host, library, workbook, database = (os.path.abspath(a) for a in sys.argv[1:5])
    rows = sys.argv[5]
    workdir = tempfile.mkdtemp(prefix="gridport-bench-")
    times = os.path.join(workdir, "time.txt")
    xvfb = None
    session = None
    try:
        xvfb, display = dw.start_xvfb()
        command = (["/usr/bin/time", "-f", "%e %U %S %M", "-o", times] +
                   os.environ.get("BENCH_WRAP", "").split() + [host, library, database])
        session = dw.Session(host, library, workdir, display, [], command=command)
        s = session
        s.click(s.control(FORM, "Button1")["rect"])
        s.wait("the file dialog", lambda st: st["file_dialog"])
        time.sleep(1)  # the native dialog maps itself after it is listed
        s.xdotool("mousemove", dw.SCREEN[0] // 2, dw.SCREEN[1] // 2)
        s.key("ctrl+l")
        time.sleep(0.3)
        s.type(workbook)
        time.sleep(0.3)
        s.key("Return")
        s.wait("the worksheet to open", lambda st: "Excel文件记录数：" + rows in st["forms"]
               .get(FORM, {}).get("controls", {}).get("Label2", {}).get("state", ""))
        # The import button is enabled at the next idle refresh.
        s.wait("the import to be possible", lambda st: "disabled" not in st["forms"]
               .get(FORM, {}).get("controls", {}).get("Button2", {}).get("state", "disabled"))
        s.click(s.control(FORM, "Button2")["rect"])
        # A complete run leaves the bar at the record count (of a maximum 10 beyond).
        s.control_state(FORM, "ProgressBar1", ["position=" + rows], "the run to end")
        s.click(s.control(FORM, "Button3")["rect"])
        s.wait_output("the dialog closed", "result ")
        s.finish()
        print(s.stdout().strip())
        with open(times) as f:
            print(f.read().strip().splitlines()[-1])
        return 0
    except dw.Failure as e:
        print("FAILED:", e, file=sys.stderr)
        if session is not None:
            print("host stdout:\n" + session.stdout(), file=sys.stderr)
            print("host stderr:\n" + session.stderr()[-3000:], file=sys.stderr)
        return 1
    finally:
        if session is not None and session.proc.poll() is None:
            session.proc.kill()
        if xvfb is not None:
            xvfb.kill()
            xvfb.wait()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
