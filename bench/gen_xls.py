#!/usr/bin/python3
# Writes the deterministic .xls benchmark workbook: 65,535 records of the same eight columns as
# the .xlsx ones, with Debian's python3-xlwt; or the TSV that wbq must print for it, so that the
# benchmark checks what it times.   gen_xls.py OUT.xls [ROWS]   gen_xls.py --expected [ROWS]
import datetime
import sys

import xlwt

SURNAMES = "王李张刘陈杨黄赵吴周"
GIVEN = ["伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛",
         "明", "超", "秀英", "霞", "平"]
TYPES = ["身份证", "护照", "军官证", "回乡证", "户口簿"]
HEADER = ["客户编号", "客户名称", "客户账号", "交易金额", "证件类型", "证件号码", "省市代码", "日期"]


def records(rows):
    """The cell values of each record, header first."""
    yield HEADER, None
    state = 88172645463325252
    mask = (1 << 64) - 1
    for i in range(rows):
        state ^= (state << 13) & mask
        state ^= state >> 7
        state ^= (state << 17) & mask
        x = state
        yield [100000 + i,
               SURNAMES[x % 10] + GIVEN[(x >> 8) % 20] + GIVEN[(x >> 16) % 20],
               "6222%015d" % (20000000000000 + i * 7919),
               ((x >> 24) % 10000000) / 100.0,
               TYPES[(x >> 48) % 5],
               "11010119%02d%02d%02d%03dX" % (70 + i % 30, 1 + i % 12, 1 + i % 28, i % 1000),
               110000 + ((x >> 40) % 34) * 10000,
               datetime.date(2023, 3, 15) + datetime.timedelta(days=i % 1000)], i + 1


def text(v):
    """A value as wbq writes it (the cell-text rule)."""
    if isinstance(v, datetime.date):
        return v.strftime("%Y-%m-%d")
    if isinstance(v, float):
        return str(int(v)) if v == int(v) and abs(v) < 1e15 else "%.15g" % v
    return str(v)


def main():
    if sys.argv[1] == "--expected":
        rows = int(sys.argv[2]) if len(sys.argv) > 2 else 65535
        out = sys.stdout
        for values, _ in records(rows):
            out.write("\t".join(text(v) for v in values) + "\n")
        return
    out = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 65535
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    date_style = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    for values, r in records(rows):
        for col, v in enumerate(values):
            if r is None:
                sheet.write(0, col, v)
            elif isinstance(v, datetime.date):
                sheet.write(r, col, v, date_style)
            else:
                sheet.write(r, col, v)
    book.save(out)


if __name__ == "__main__":
    main()
