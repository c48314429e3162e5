#!/usr/bin/python3
# Writes examples/sample.xls, the workbook the README's main job imports: a payment sheet with
# Chinese names, amounts (one written with a thousands comma), a payment date, and a name that
# holds a full-width blank; plus a second sheet that is not imported.
import datetime
import os
import sys

import xlwt

HEADER = ["客户编号", "客户名称", "客户账号", "交易金额", "证件类型", "证件号码", "省市代码", "付款日期"]
ROWS = [
    ["C0001", "张三", "6222020200112233445", 1200.5, "01", "110101199001011234", "11",
     datetime.date(2026, 12, 1)],
    ["C0002", "李\u3000四", "6222020200112233446", "1,200.00", "01", "310101198502021111", "31",
     datetime.date(2026, 12, 2)],
    ["C0003", "欧阳明华", "6217000010002000300", 88, "02", "E12345678", "44",
     datetime.date(2026, 12, 3)],
    ["C0004", "王五", "6228480010101010101", 0.75, "01", "440101197003033333", "44",
     datetime.date(2026, 12, 4)],
]


def main(path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Payments")
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    for c, title in enumerate(HEADER):
        sheet.write(0, c, title)
    for r, row in enumerate(ROWS, start=1):
        for c, value in enumerate(row):
            if isinstance(value, datetime.date):
                sheet.write(r, c, value, date_style)
            else:
                sheet.write(r, c, value)
    notes = book.add_sheet("Notes")
    notes.write(0, 0, "说明")
    notes.write(1, 0, "This sheet is not imported.")
    book.save(path)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "sample.xls"))
