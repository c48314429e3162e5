#!/usr/bin/python3
# Drives libgridport.so's import dialog through real windows under its own Xvfb: a workbook is
# chosen in the file dialog, a worksheet in the sheet list, and a mapping changed through the
# grid's drop-down.
#   drive_gridport.py HOST LIBRARY dialog
#   drive_gridport.py HOST LIBRARY wx-parent            the same over a wx host's frame
#   drive_gridport.py HOST LIBRARY import               an import run, then the close button
#   drive_gridport.py HOST LIBRARY screenshots FOLDER   pictures of both pages
import os
import shutil
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gridport"))
import drive_windows as dw  # noqa: E402
import make_fixtures  # noqa: E402

FORM = "Tfrm_Import"


def choose_workbook(s, name):
    s.click(s.control(FORM, "Button1")["rect"])
    s.wait("the file dialog", lambda st: st["file_dialog"])
    time.sleep(1)  # the native dialog maps itself after it is listed
    s.xdotool("mousemove", dw.SCREEN[0] // 2, dw.SCREEN[1] // 2)
    s.key("ctrl+l")
    time.sleep(0.3)
    s.type(name)
    time.sleep(0.3)
    s.key("Return")


def choose_sheet(s, downs):
    combo = s.control(FORM, "ComboBox1")
    x, y, w, h = combo["rect"]
    s.click(combo["rect"], dx=w - 8)
    time.sleep(0.5)
    s.key(*(["Down"] * downs + ["Return"]))


def grid_cell(s, row, column):
    """The screen rectangle of a cell of the mapping grid (row labels 16 wide, columns 160, the
    title row about 32 high)."""
    x, y, w, h = s.control(FORM, "DataViewGrid")["rect"]
    return (x + 16 + 160 * column + 4, y + 34 + 22 * row, 150, 18)


def change_mapping(s, row, downs):
    """Opens the drop-down of a row's Excel column and picks an entry with the keyboard."""
    s.click(grid_cell(s, row, 1))
    time.sleep(0.3)
    s.key("F2")
    time.sleep(0.5)
    s.key("alt+Down")
    time.sleep(0.5)
    s.key(*(["Down"] * downs))
    s.key("Return")
    time.sleep(0.3)
    s.key("Return")


def drive(s, folder=None):
    s.control_state(FORM, "Button2", ["disabled"], "the import to wait for a workbook")
    choose_workbook(s, "people.xlsx")
    s.control_state(FORM, "Label2", ['caption="Excel文件记录数：2"'], "the first sheet to open")
    s.control_state(FORM, "DataViewGrid",
                    ['rows=[["编号","编号"],["姓名","姓名"],["金额","金额"]]'],
                    "the mapping pre-filled by name")
    choose_sheet(s, 1)
    s.control_state(FORM, "ComboBox1", ["index=1"], "the second sheet to be chosen")
    s.control_state(FORM, "DataViewGrid", ['pick1=["A","B"]'], "the second sheet's columns")
    change_mapping(s, 0, 1)
    grid = s.control_state(FORM, "DataViewGrid", ['rows=[["编号","B"],["姓名",""],["金额",""]]'],
                           "the mapping chosen in the drop-down")
    if folder:
        dialog = s.wait("the dialog", lambda st: st["forms"].get(FORM))["rect"]
        dw.screenshot(s, [dialog], os.path.join(folder, "import-dialog.png"))
    pages = s.control(FORM, "PageControl1")["rect"]
    s.xdotool("mousemove", pages[0] + 110, pages[1] + 12, "click", "1")
    s.control_state(FORM, "PageControl1", ['active="错误日志"'], "the error log page")
    if folder:
        dialog = s.wait("the dialog", lambda st: st["forms"].get(FORM))["rect"]
        dw.screenshot(s, [dialog], os.path.join(folder, "import-error-log.png"))
    s.xdotool("mousemove", pages[0] + 36, pages[1] + 12, "click", "1")
    s.control_state(FORM, "PageControl1", ['active="导入操作"'], "the import page")
    s.click(s.control(FORM, "Button3")["rect"])
    s.wait_output("the dialog closed", "done")
    s.finish()
    dw.expect("result 2" in s.stdout().splitlines(), "host output:\n" + s.stdout())
    return grid


def run_import(s):
    choose_workbook(s, "people.xlsx")
    s.control_state(FORM, "Label2", ['caption="Excel文件记录数：2"'], "the sheet to open")
    s.control_state(FORM, "Button2", [], "the import button")
    s.wait("the import to be possible", lambda st: "disabled" not in st["forms"][FORM]
           ["controls"]["Button2"]["state"].split())
    s.click(s.control(FORM, "Button2")["rect"])
    s.control_state(FORM, "ProgressBar1", ["position=2", "max=12"], "the run to end")
    s.wait_output("the second record", "set F2=7\npost\n")
    s.control_state(FORM, "Button1", [], "the dialog idle again")
    s.click(s.control(FORM, "Button3")["rect"])
    s.wait_output("the dialog closed", "done")
    s.finish()
    out = s.stdout()
    dw.expect(out.count("append") == 2 and "set F0=C01" in out and "set F1=李四" in out,
              "host output:\n" + out)
    dw.expect("result 2" in out.splitlines(), "host output:\n" + out)


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    host, library, scenario = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
    workdir = tempfile.mkdtemp(prefix="gridport-windows-")
    xvfb = None
    session = None
    try:
        make_fixtures.main_into(workdir)
        xvfb, display = dw.start_xvfb()
        command = [host, library] + (["--wx-parent"] if scenario == "wx-parent" else [])
        session = dw.Session(host, library, workdir, display, [], command=command)
        if scenario in ("dialog", "wx-parent"):
            drive(session)
        elif scenario == "import":
            run_import(session)
        elif scenario == "screenshots":
            drive(session, os.path.abspath(sys.argv[4]))
        else:
            raise dw.Failure("unknown scenario " + scenario)
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
