#!/usr/bin/python3
"""Differential test at size: workbooks written by libxlsxwriter, openpyxl and xlwt are read by
wbq --raw and by an independent reader (openpyxl for .xlsx, xlrd for .xls), and every cell of
the two dumps must agree.

    differential_test.py WBQ GEN_XLSXWRITER WORKDIR [SCALE]

The reference dumps apply the cell-text rule of workbook/cell_text.h to the values the other
reader returns; a difference is printed with its row and both texts."""
import datetime
import os
import random
import subprocess
import sys
import time


# ---------------------------------------------------------------- the cell-text rule


def number_text(v):
    if v == int(v) and abs(v) < 1e15:
        return str(int(v))
    return "%.15g" % v


def date_text(v):
    if isinstance(v, datetime.datetime):
        if v.microsecond >= 500000:
            v += datetime.timedelta(seconds=1)
        v = v.replace(microsecond=0)
        if v.time() == datetime.time(0):
            return v.strftime("%Y-%m-%d")
        return v.strftime("%Y-%m-%d %H:%M:%S")
    if isinstance(v, datetime.date):
        return v.strftime("%Y-%m-%d")
    if isinstance(v, datetime.time):
        return v.strftime("%H:%M:%S")
    raise TypeError(v)


def value_text(v):
    if v is None:
        return ""
    if isinstance(v, bool):
        return "TRUE" if v else "FALSE"
    if isinstance(v, (int, float)):
        return number_text(v)
    if isinstance(v, (datetime.datetime, datetime.date, datetime.time)):
        return date_text(v)
    return str(v)


def tsv_escaped(text):
    return (text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def box_lines(cells):
    """cells: {(row, col): text} of non-empty texts -> the TSV lines of their bounding box."""
    if not cells:
        return []
    rows = [r for r, _ in cells]
    cols = [c for _, c in cells]
    c0, c1 = min(cols), max(cols)
    return ["\t".join(tsv_escaped(cells.get((r, c), "")) for c in range(c0, c1 + 1))
            for r in range(min(rows), max(rows) + 1)]


# ---------------------------------------------------------------- reference readers


def openpyxl_lines(path, sheet):
    import openpyxl
    wb = openpyxl.load_workbook(path, read_only=True, data_only=True)
    cells = {}
    for r, row in enumerate(wb[sheet].iter_rows(min_row=1, min_col=1, values_only=True), 1):
        for c, v in enumerate(row, 1):
            t = value_text(v)
            if t:
                cells[r, c] = t
    wb.close()
    return box_lines(cells)


def xlrd_lines(path, sheet):
    import xlrd
    book = xlrd.open_workbook(path)
    ws = book.sheet_by_name(sheet)
    cells = {}
    for r in range(ws.nrows):
        for c, cell in enumerate(ws.row(r)):
            if cell.ctype == xlrd.XL_CELL_DATE:
                t = date_text(xlrd.xldate.xldate_as_datetime(cell.value, book.datemode))
            elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                t = "TRUE" if cell.value else "FALSE"
            elif cell.ctype == xlrd.XL_CELL_NUMBER:
                t = number_text(cell.value)
            elif cell.ctype == xlrd.XL_CELL_TEXT:
                t = cell.value
            else:
                t = ""
            if t:
                cells[r, c] = t
    return box_lines(cells)


# ---------------------------------------------------------------- workbooks


def random_text(rnd, long=False, astral=True):
    # astral: xlwt cuts a surrogate pair apart where a string crosses into a CONTINUE record,
    # which xlrd cannot decode, so its workbook has characters of the basic plane only.
    words = ["王", "欧阳", "合计", "账户", "Прайс", "землетрясение", "№", "alpha", "a,b",
             "say \"hi\"", "x\\y", "tab\there", "line\nbreak", "  padded "]
    if astral:
        words.append("😀")
    n = rnd.randrange(500, 4000) if long else rnd.randrange(1, 4)
    return " ".join(rnd.choice(words) for _ in range(n))


def write_openpyxl(path, rows):
    import openpyxl
    rnd = random.Random(11)
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet("Sheet 1")
    ws.append(["Name", None, "Name", "Заголовок", "When", "Day", "Flag", "Amount", "Text"])
    for r in range(rows):
        if r % 501 == 500:
            ws.append([])
            continue
        when = datetime.datetime(1995, 1, 1) + datetime.timedelta(seconds=rnd.randrange(10 ** 9))
        ws.append([random_text(rnd), rnd.randrange(-10 ** 6, 10 ** 6) if r % 3 else None,
                   "id%06d" % r, random_text(rnd), when, when.date(), rnd.random() < 0.5,
                   (rnd.random() - 0.5) * 10 ** rnd.randrange(-8, 18),
                   random_text(rnd, long=r % 97 == 0)])
    wb.save(path)


def write_xlwt(path, rows):
    import xlwt
    rnd = random.Random(12)
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("客户")
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    stamp = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss")
    for c, h in enumerate(["编号", "", "Name", "Amount", "Date", "Stamp", "Flag"]):
        if h:
            ws.write(0, c, h)
    for r in range(1, rows + 1):
        if r % 1001 == 0:
            continue
        when = datetime.datetime(1995, 1, 1) + datetime.timedelta(seconds=rnd.randrange(10 ** 9))
        ws.write(r, 0, "C%05d" % r)
        if r % 5:
            ws.write(r, 1, rnd.randrange(-10 ** 5, 10 ** 5))
        ws.write(r, 2, random_text(rnd, long=r % 211 == 0, astral=False)[:30000])
        ws.write(r, 3, (rnd.random() - 0.5) * 10 ** rnd.randrange(-6, 16))
        ws.write(r, 4, when.date(), date)
        ws.write(r, 5, when, stamp)
        ws.write(r, 6, rnd.random() < 0.5)
    wb.save(path)


# ---------------------------------------------------------------- comparison


def wbq_lines(wbq, path, sheet):
    out = subprocess.run([wbq, path, "--sheet", sheet, "--raw"], capture_output=True)
    if out.returncode != 0:
        return None, out.stderr.decode("utf-8", "replace").strip()
    text = out.stdout.decode("utf-8")
    return text.split("\n")[:-1] if text else [], ""


def compare(label, expected, actual, error):
    if actual is None:
        print("FAIL %s: wbq failed: %s" % (label, error))
        return False
    if actual == expected:
        print("ok   %s: %d lines agree" % (label, len(expected)))
        return True
    print("FAIL %s: %d lines from wbq, %d from the reference" % (label, len(actual), len(expected)))
    shown = 0
    for i in range(max(len(actual), len(expected))):
        a = actual[i] if i < len(actual) else "<none>"
        e = expected[i] if i < len(expected) else "<none>"
        if a != e:
            print("  line %d\n    wbq:       %s\n    reference: %s" % (i + 1, a[:300], e[:300]))
            shown += 1
            if shown == 5:
                break
    return False


def main():
    wbq, gen, work = sys.argv[1:4]
    scale = float(sys.argv[4]) if len(sys.argv) > 4 else 1.0
    os.makedirs(work, exist_ok=True)
    cases = []
    for kind in ("shared", "inline"):
        path = os.path.join(work, "xlsxwriter_%s.xlsx" % kind)
        subprocess.run([gen, path, str(int(15000 * scale)), kind], check=True)
        cases.append(("libxlsxwriter %s strings" % kind, path, "Data", openpyxl_lines))
    path = os.path.join(work, "openpyxl.xlsx")
    write_openpyxl(path, int(12000 * scale))
    cases.append(("openpyxl", path, "Sheet 1", openpyxl_lines))
    path = os.path.join(work, "xlwt.xls")
    write_xlwt(path, min(65535, int(65535 * scale)))
    cases.append(("xlwt 65,535 rows", path, "客户", xlrd_lines))

    ok = True
    for label, path, sheet, reference in cases:
        start = time.time()
        actual, error = wbq_lines(wbq, path, sheet)
        expected = reference(path, sheet)
        ok = compare("%s (%.1f MB)" % (label, os.path.getsize(path) / 1e6), expected, actual,
                     error) and ok
        print("     %.1f s" % (time.time() - start))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
