#!/usr/bin/python3
# Writes the workbooks of the Gridport tests into the folder given as the only argument.
#   /usr/bin/python3 tests/gridport/make_fixtures.py OUT_DIR
import os
import sys
import zipfile

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def sheet_xml(rows):
    out = []
    for r, values in enumerate(rows, 1):
        cells = []
        for col, value in enumerate(values):
            if value is None:  # an empty cell
                continue
            ref = "%s%d" % (chr(ord("A") + col), r)
            if isinstance(value, (int, float)):
                cells.append('<c r="%s"><v>%s</v></c>' % (ref, value))
            else:
                cells.append('<c r="%s" t="inlineStr"><is><t xml:space="preserve">%s</t></is></c>'
                             % (ref, esc(value)))
        out.append('<row r="%d">%s</row>' % (r, "".join(cells)))
    return ('<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="%s"><sheetData>%s'
            "</sheetData></worksheet>" % (MAIN, "".join(out)))


def write_xlsx(path, sheets):
    """sheets: list of (name, rows); rows[0] are the column names."""
    parts = {
        "[Content_Types].xml":
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="xml" ContentType="application/xml"/></Types>',
        "_rels/.rels":
            '<Relationships xmlns="%s"><Relationship Id="rId1" Type="%s/officeDocument" '
            'Target="xl/workbook.xml"/></Relationships>' % (PKG, REL),
    }
    entries, rels = [], []
    for i, (name, rows) in enumerate(sheets, 1):
        entries.append('<sheet name="%s" sheetId="%d" r:id="rId%d"/>' % (esc(name), i, i))
        rels.append('<Relationship Id="rId%d" Type="%s/worksheet" Target="worksheets/sheet%d.xml"/>'
                    % (i, REL, i))
        parts["xl/worksheets/sheet%d.xml" % i] = sheet_xml(rows)
    parts["xl/workbook.xml"] = ('<workbook xmlns="%s" xmlns:r="%s"><sheets>%s</sheets></workbook>'
                                % (MAIN, REL, "".join(entries)))
    parts["xl/_rels/workbook.xml.rels"] = ('<Relationships xmlns="%s">%s</Relationships>'
                                           % (PKG, "".join(rels)))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts.items():
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data.encode("utf-8"))


def main_into(out):
    os.makedirs(out, exist_ok=True)
    # Three columns, two records; a second sheet of two columns; a sheet without records.
    write_xlsx(os.path.join(out, "people.xlsx"), [
        ("人员", [["编号", "姓名", "金额"], ["C01", "张三", 12.5], ["C02", "李四", 7]]),
        ("Other", [["A", "B"], ["a1", "b1"]]),
        ("Empty", [["编号", "姓名"]]),
    ])
    # Names that match a caption only when every byte does.
    write_xlsx(os.path.join(out, "names.xlsx"), [
        ("Sheet1", [["姓名", "amount", "编号 ", "金额"], ["张三", 1, "C01", 2]]),
    ])
    # Three records for the import run: the test hosts refuse the second one's amount, and the
    # third one's remark is an empty cell.
    write_xlsx(os.path.join(out, "three.xlsx"), [
        ("Sheet1", [["编号", "姓名", "金额", "备注"], ["C01", "张三", 10, "甲"],
                    ["C02", "李四", "坏", "乙"], ["C03", "王五", 30, None]]),
    ])
    # A package under a name that says .xls, and a file that is no workbook at all.
    write_xlsx(os.path.join(out, "renamed.xls"), [("Sheet1", [["A"], ["1"]])])
    with open(os.path.join(out, "damaged.xlsx"), "wb") as f:
        f.write(b"PK\x03\x04 this is not a workbook")


if __name__ == "__main__":
    main_into(sys.argv[1])
