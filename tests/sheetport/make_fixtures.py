#!/usr/bin/python3
# Writes the workbooks the Sheetport end-to-end tests import, into the folder given as argument.
# Each workbook is named after what it exercises.
import os
import sys

import openpyxl
import xlwt

HEADER = ["客户编号", "客户名称", "客户账号", "交易金额", "证件类型", "证件号码", "省市代码"]


def save_xls(path, sheets):
    """sheets: list of (name, rows); a row is a list of cell values (None for an empty cell)."""
    book = xlwt.Workbook(encoding="utf-8")
    for name, rows in sheets:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.write(r, c, value)
    book.save(path)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    customers = [
        HEADER,
        ["C001", "张三", "6222000011112222", "1,200.00", "01", "110101199001011234", "11"],
        ["1234567890123456789012345", "李\u3000四", "6222000033334444", 300.5, "02",
         "310101198502021111", "310"],
        ["C003", "王五", "6222000055556666", 42, "01", "440101197003033333", "44"],
    ]
    save_xls(os.path.join(folder, "customers.xls"),
             [("Pay", customers), ("Notes", [["note"], ["not imported"]])])

    # Rows numbered by their worksheet row, to see where conversion starts.
    numbered = [["row", "value"]] + [["r%d" % n, n] for n in range(2, 8)]
    save_xls(os.path.join(folder, "numbered.xls"), [("Rows", numbered)])

    # Delimited text pasted into one column, with an empty cell between.
    single = [["data"], ["1,张三,100"], [None], ["2,李四,200"]]
    save_xls(os.path.join(folder, "single_column.xls"), [("Data", single)])

    book = openpyxl.Workbook()
    book.active.title = "Pay"
    for row in customers:
        book.active.append(row)
    book.save(os.path.join(folder, "customers.xlsx"))


if __name__ == "__main__":
    main(sys.argv[1])
