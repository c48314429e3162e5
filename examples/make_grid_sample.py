#!/usr/bin/python3
# Writes the grid host's samples: grid-sample.xlsx, a sheet of receipts whose headings are the
# grid's captions (so mapping by name pairs them), with rows that the typed fields and the
# table's UNIQUE rule refuse; and grid-sample.db, the table those rows go into, with three rows
# already in it and its caption table (Chinese captions, a hidden id, a column captioned "打印").
#   make_grid_sample.py [FOLDER]     (default: the folder of this script)
import datetime
import os
import sqlite3
import sys

import openpyxl

HEADER = ["客户编号", "客户名称", "金额", "付款日期", "数量", "备注", "经办人"]
ROWS = [
    ["C1001", "张三", 1200.5, datetime.datetime(2024, 3, 5), 3, "首付", "小王"],
    ["C1002", "李四", "一千二百元", datetime.datetime(2024, 3, 6), 1, "金额写成了汉字", "小王"],
    ["C1003", "欧阳明华", 88, "2024/3/7", 1, None, "小李"],
    ["C1004", "王五", 0.75, datetime.datetime(2024, 3, 8, 14, 30), 2, "下午到账", "小李"],
    ["C1005", "赵六", 560, "2024-02-30", 5, "日期不存在", "小王"],
    ["C0001", "孙七", 99.9, datetime.datetime(2024, 3, 9), 1, "编号已有", "小张"],
    ["C1006", "周八", 3000, "2024年3月10日", 10, None, "小张"],
]

SCHEMA = """
CREATE TABLE receipts (
  id INTEGER PRIMARY KEY,
  code VARCHAR(8) NOT NULL UNIQUE,
  name VARCHAR(10) NOT NULL,
  amount DECIMAL(12,2) NOT NULL CHECK (amount > 0),
  paid_on DATE,
  quantity INTEGER,
  note VARCHAR(20),
  printed INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE grid_columns (table_name TEXT, field_name TEXT, caption TEXT, visible INTEGER,
                           position INTEGER);
"""
EXISTING = [
    ("C0001", "钱一", "150.00", "2024-03-01", 1, None, 1),
    ("C0002", "陈二", "2400.00", "2024-03-02", 4, "老客户", 1),
    ("C0003", "林三", "36.50", "2024-03-04", 2, None, 0),
]
CAPTIONS = [
    ("id", "序号", 0, 0), ("code", "客户编号", 1, 1), ("name", "客户名称", 1, 2),
    ("paid_on", "付款日期", 1, 3), ("amount", "金额", 1, 4), ("quantity", "数量", 1, 5),
    ("note", "备注", 1, 6), ("printed", "打印", 1, 7),
]


def write_workbook(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "收款"
    sheet.append(HEADER)
    for row in ROWS:
        sheet.append(row)
    for cell in sheet["D"][1:]:
        if isinstance(cell.value, datetime.datetime):
            cell.number_format = "yyyy-mm-dd hh:mm" if cell.value.hour else "yyyy-mm-dd"
    other = book.create_sheet("说明")
    other.append(["这一页不导入"])
    book.save(path)


def write_database(path):
    for suffix in ("", "-wal", "-shm"):
        if os.path.exists(path + suffix):
            os.unlink(path + suffix)
    db = sqlite3.connect(path)
    db.executescript(SCHEMA)
    db.executemany("INSERT INTO receipts (code, name, amount, paid_on, quantity, note, printed) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?)", EXISTING)
    db.executemany("INSERT INTO grid_columns VALUES ('receipts', ?, ?, ?, ?)", CAPTIONS)
    db.commit()
    db.close()


def main(folder):
    os.makedirs(folder, exist_ok=True)
    write_workbook(os.path.join(folder, "grid-sample.xlsx"))
    write_database(os.path.join(folder, "grid-sample.db"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
