#!/usr/bin/python3
# Makes the .xls fixtures of the reader's tests: one made by xlwt, the rest by a small writer of
# compound files and BIFF records below, for what xlwt cannot write. Also makes large workbooks
# for timing:   make_fixtures.py [--big PATH ROWS]
import io
import os
import struct
import sys
import zipfile

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")

END, FREE, FATSECT, DIFSECT, NOSTREAM = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFC, 0xFFFFFFFF


# ---------------------------------------------------------------- compound file


def _entry(name, kind, left=NOSTREAM, right=NOSTREAM, child=NOSTREAM, start=END, size=0,
           size_high=0):
    raw = name.encode("utf-16-le") + b"\0\0" if name else b""
    e = raw.ljust(64, b"\0")
    e += struct.pack("<HBB", len(raw), kind, 1)
    e += struct.pack("<III", left, right, child)
    e += b"\0" * 16 + b"\0" * 4 + b"\0" * 16
    e += struct.pack("<III", start, size, size_high)
    assert len(e) == 128
    return e


def cfb(streams, shift=9, truncate=False, difat_chain=False, loop=False, decoy=False,
        junk_size_high=False, all_regular=False, overstate=0):
    """A compound file with the given (name, bytes) streams in its root storage."""
    ss = 1 << shift
    big = [(n, d) for n, d in streams if len(d) >= 4096 or all_regular]
    small = [(n, d) for n, d in streams if len(d) < 4096 and not all_regular]
    if decoy:  # a storage holding a stream of the same name, which must not be read
        small.append(("Workbook", b"\x01\x02 decoy"))

    mini_stream, mini_fat, mini_start = b"", [], {}
    for n, d in small:
        mini_start[n, d] = len(mini_fat)
        count = max(1, (len(d) + 63) // 64)
        for i in range(count):
            mini_fat.append(len(mini_fat) + 1 if i < count - 1 else END)
        mini_stream += d.ljust(count * 64, b"\0")

    def sectors_for(length):
        return (length + ss - 1) // ss

    n_entries = 1 + len(streams) + (2 if decoy else 0)
    n_dir = sectors_for(n_entries * 128)
    n_minifat = sectors_for(len(mini_fat) * 4)
    n_ministream = sectors_for(len(mini_stream))
    n_big = [sectors_for(len(d)) for _, d in big]
    # The header lists 109 FAT sectors (with difat_chain only the first); DIFAT sectors the rest.
    in_header = 1 if difat_chain else 109
    per_difat = ss // 4 - 1
    rest = n_dir + n_minifat + n_ministream + sum(n_big)
    n_fat = 2 if difat_chain else 1
    while True:
        n_difat = (max(0, n_fat - in_header) + per_difat - 1) // per_difat
        if n_fat * ss // 4 >= n_fat + n_difat + rest:
            break
        n_fat += 1

    fat = []
    body = []

    def place(blob, count, marker=None):
        start = len(body)
        for i in range(count):
            body.append(blob[i * ss:(i + 1) * ss].ljust(ss, b"\0"))
            fat.append(marker if marker is not None else (start + i + 1 if i < count - 1 else END))
        return start if count else END

    fat_ids = list(range(n_fat))
    place(b"", n_fat, FATSECT)  # filled in at the end
    difat_id = place(b"", n_difat, DIFSECT) if n_difat else END
    dir_start = len(body)
    place(b"", n_dir)
    minifat_start = place(b"".join(struct.pack("<I", x) for x in mini_fat).ljust(n_minifat * ss,
                                                                              b"\xff"), n_minifat)
    ministream_start = place(mini_stream, n_ministream)
    big_start = {}
    for (n, d), count in zip(big, n_big):
        big_start[n, d] = place(d, count)
        if loop:  # the second sector leads back to the first
            fat[big_start[n, d] + 1] = big_start[n, d]

    # Directory: root, then the streams chained through right links; a decoy storage last.
    entries = []
    names = [(n, d) for n, d in streams]
    root_child = 1 if names or decoy else NOSTREAM
    entries.append(_entry("Root Entry", 5, child=root_child, start=ministream_start,
                          size=len(mini_stream)))
    total = len(names) + (1 if decoy else 0)
    for i, (n, d) in enumerate(names):
        right = i + 2 if i + 1 < total else NOSTREAM
        if (n, d) in big_start:
            start = big_start[n, d]
        else:
            start = mini_start[n, d]
        entries.append(_entry(n, 2, right=right, start=start, size=len(d) + overstate,
                              size_high=0xDEADBEEF if junk_size_high else 0))
    if decoy:
        storage = len(entries)
        entries.append(_entry("ObjectPool", 1, child=storage + 1))
        d = b"\x01\x02 decoy"
        entries.append(_entry("Workbook", 2, start=mini_start["Workbook", d], size=len(d)))
    blob = b"".join(entries)
    blob = blob.ljust(n_dir * ss, b"\0")
    for i in range(n_dir):
        body[dir_start + i] = blob[i * ss:(i + 1) * ss]

    fat_blob = b"".join(struct.pack("<I", x) for x in fat).ljust(n_fat * ss, b"\xff")
    for i in range(n_fat):
        body[fat_ids[i]] = fat_blob[i * ss:(i + 1) * ss]
    header_difat = fat_ids[:in_header]
    for i in range(n_difat):
        listed = fat_ids[in_header + i * per_difat:in_header + (i + 1) * per_difat]
        following = difat_id + i + 1 if i + 1 < n_difat else END
        body[difat_id + i] = (b"".join(struct.pack("<I", x) for x in listed).ljust(
            per_difat * 4, b"\xff") + struct.pack("<I", following))

    h = bytes([0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1]) + b"\0" * 16
    h += struct.pack("<HHHHH", 0x3E, 4 if shift == 12 else 3, 0xFFFE, shift, 6) + b"\0" * 6
    h += struct.pack("<IIII", n_dir if shift == 12 else 0, n_fat, dir_start, 0)
    h += struct.pack("<IIIII", 4096, minifat_start if n_minifat else END, n_minifat,
                     difat_id, n_difat)
    h += b"".join(struct.pack("<I", x) for x in header_difat).ljust(109 * 4, b"\xff")
    assert len(h) == 512
    data = h.ljust(ss, b"\0") + b"".join(body)
    if truncate:  # the last sector cut short right after the stream's data
        n, d = big[-1]
        end = ss * (1 + big_start[n, d]) + len(d)
        assert end > len(data) - ss
        data = data[:end]
    return data


# ---------------------------------------------------------------- BIFF records


def rec(t, data=b""):
    return struct.pack("<HH", t, len(data)) + data


def ustr(s, count_bytes=2):
    """A BIFF8 string: compressed when every character fits in Latin-1."""
    try:
        body, flags = s.encode("latin-1"), 0
    except UnicodeEncodeError:
        body, flags = s.encode("utf-16-le"), 1
    n = len(body) // (2 if flags else 1)
    return (struct.pack("<H", n) if count_bytes == 2 else bytes([n])) + bytes([flags]) + body


def bstr(s, count_bytes=2, enc="cp1252"):
    """A BIFF5 byte string in the workbook's code page."""
    b = s.encode(enc)
    return (struct.pack("<H", len(b)) if count_bytes == 2 else bytes([len(b)])) + b


def bof(biff8, kind):
    if biff8:
        return rec(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0x41, 6))
    return rec(0x0809, struct.pack("<HHHH", 0x0500, kind, 0x0DBB, 0x07CC))


EOF = rec(0x000A)


def xf(fmt, biff8=True):
    return rec(0x00E0, struct.pack("<HH", 0, fmt) + b"\0" * (16 if biff8 else 12))


def default_xfs(biff8=True):
    return b"".join(xf(0, biff8) for _ in range(16))


def cell(t, row, col, xfi, data):
    return rec(t, struct.pack("<HHH", row, col, xfi) + data)


def number(row, col, value, xfi=16):
    return cell(0x0203, row, col, xfi, struct.pack("<d", value))


def rk_int(v, div100=False):
    return ((v << 2) | 2 | (1 if div100 else 0)) & 0xFFFFFFFF


def rk(row, col, rkv, xfi=16):
    return cell(0x027E, row, col, xfi, struct.pack("<I", rkv))


def mulrk(row, first, pairs):
    body = struct.pack("<HH", row, first)
    for xfi, rkv in pairs:
        body += struct.pack("<HI", xfi, rkv)
    return rec(0x00BD, body + struct.pack("<H", first + len(pairs) - 1))


def labelsst(row, col, index, xfi=16):
    return cell(0x00FD, row, col, xfi, struct.pack("<I", index))


def boolerr(row, col, value, is_error):
    return cell(0x0205, row, col, 16, bytes([value, 1 if is_error else 0]))


def formula(row, col, result, xfi=16, number=0x0006):
    return cell(number, row, col, xfi, result + struct.pack("<HIH", 0, 0, 0))


def f_num(v):
    return struct.pack("<d", v)


def f_special(kind, value=0):
    return bytes([kind, 0, value, 0, 0, 0, 0xFF, 0xFF])


def dimensions(biff8, rows, cols):
    if biff8:
        return rec(0x0200, struct.pack("<IIHHH", 0, rows, 0, cols, 0))
    return rec(0x0200, struct.pack("<HHHHH", 0, rows, 0, cols, 0))


def workbook(globals_, sheets, biff8=True, pad_to=0, name_enc="cp1252"):
    """globals_: records after BOF; sheets: (name, type, records) with type 0 worksheet, 1 macro,
    2 chart. The sheets' BOF offsets are filled in."""
    def boundsheet(pos, name, kind):
        head = struct.pack("<IBB", pos, 0, kind)
        return rec(0x0085, head + (ustr(name, 1) if biff8 else bstr(name, 1, name_enc)))

    def glob(offsets):
        out = bof(biff8, 0x0005) + globals_
        for (name, kind, _), pos in zip(sheets, offsets):
            out += boundsheet(pos, name, kind)
        return out + EOF

    size = len(glob([0] * len(sheets)))
    offsets, substreams = [], b""
    for name, kind, records in sheets:
        offsets.append(size + len(substreams))
        substreams += bof(biff8, 0x0020 if kind == 2 else 0x0010) + records + EOF
    stream = glob(offsets) + substreams
    return stream.ljust(pad_to, b"\0")


def sst(strings):
    """An SST record whose strings all fit in it."""
    return rec(0x00FC, struct.pack("<II", len(strings), len(strings)) +
               b"".join(ustr(s) for s in strings))


# ---------------------------------------------------------------- fixtures


def biff8_cells():
    # Shared strings: "Zhang 张三" breaks into a CONTINUE that switches to 16-bit characters,
    # "Rich" has its runs split across records, "日本abc" switches back to 8-bit.
    rich_runs = struct.pack("<HHHH", 0, 1, 2, 0)
    sst_rec = rec(0x00FC, struct.pack("<II", 7, 7) + ustr("Name") + ustr("Amount") +
                  ustr("When") + struct.pack("<HB", 8, 0) + b"Zhang ")
    cont1 = rec(0x003C, b"\x01" + "张三".encode("utf-16-le") + struct.pack("<HBHI", 4, 0x0C, 2, 6) +
                b"Rich" + rich_runs[:6])
    cont2 = rec(0x003C, rich_runs[6:] + b"phon\0\0" + struct.pack("<HB", 5, 1) +
                "日本".encode("utf-16-le"))
    cont3 = rec(0x003C, b"\x00abc" + ustr("far"))
    formats = (rec(0x041E, struct.pack("<H", 164) + ustr("yyyy-mm-dd hh:mm")) +
               rec(0x041E, struct.pack("<H", 165) + ustr('0.00"d"')) +
               rec(0x041E, struct.pack("<H", 166) + ustr("[Red]0.00")) +
               rec(0x041E, struct.pack("<H", 167) + ustr("[h]:mm")))
    xfs = default_xfs() + xf(0) + xf(14) + xf(164) + xf(165) + xf(166) + xf(167)
    globals_ = (rec(0x0042, struct.pack("<H", 1200)) + rec(0x0022, struct.pack("<H", 1)) +
                formats + xfs + sst_rec + cont1 + cont2 + cont3)
    half_day_rk = struct.unpack("<Q", struct.pack("<d", 0.5))[0] >> 32
    data = (dimensions(True, 8, 256) +
            labelsst(0, 0, 0) + labelsst(0, 1, 1) + labelsst(0, 2, 2) +
            labelsst(1, 0, 3) + number(1, 1, 1200.5) + number(1, 2, 1, 17) +
            rk(2, 0, rk_int(42)) + rk(2, 1, rk_int(123, True)) +
            mulrk(2, 2, [(17, rk_int(36650, True)), (16, rk_int(-3)),
                         (19, rk_int(250, True))]) +
            rk(2, 5, half_day_rk, 21) +
            boolerr(3, 0, 1, False) + boolerr(3, 1, 0x07, True) + boolerr(3, 2, 0, False) +
            formula(4, 0, f_num(3.75)) +
            formula(4, 1, f_special(0)) + rec(0x04BC, b"\0" * 10) +
            rec(0x0207, ustr("total 合计")) +
            formula(4, 2, f_special(1, 1)) + formula(4, 3, f_special(2, 0x2A)) +
            formula(4, 4, f_special(3)) + formula(4, 5, f_num(1.25), 18) +
            cell(0x0204, 5, 0, 16, ustr("label ü")) + cell(0x0201, 5, 1, 16, b"") +
            rec(0x00BE, struct.pack("<HHHHHH", 5, 2, 16, 16, 16, 4)) + labelsst(5, 5, 4) +
            cell(0x0201, 6, 0, 16, b"") +
            labelsst(7, 1, 5) + labelsst(7, 255, 6) +
            # An embedded chart's own substream, whose cached cells are not the sheet's.
            bof(True, 0x0020) + number(0, 0, 99) + EOF)
    chart = number(0, 0, 7)
    return workbook(globals_, [("Data", 0, data), ("Chart1", 2, chart), ("Empty", 0, b"")],
                    pad_to=5000)


def biff5_gbk():
    enc = "gbk"
    globals_ = (rec(0x0042, struct.pack("<H", 936)) +
                rec(0x041E, struct.pack("<H", 164) + bstr("yyyy年m月d日", 1, enc)) +
                rec(0x041E, struct.pack("<H", 165) + bstr('0"元"', 1, enc)) +
                default_xfs(False) + xf(0, False) + xf(164, False) + xf(165, False))
    label = lambda r, c, s: cell(0x0204, r, c, 16, bstr(s, 2, enc))
    data = (dimensions(False, 3, 3) +
            label(0, 0, "姓名") + label(0, 1, "金额") + label(0, 2, "日期") +
            label(1, 0, "张三") + number(1, 1, 88.5, 18) + number(1, 2, 45000, 17) +
            formula(2, 0, f_special(0)) + rec(0x0207, bstr("合计", 2, enc)) +
            cell(0x00D6, 2, 1, 16, bstr("备注", 2, enc) + b"\x01\x00\x00\x00"))
    return workbook(globals_, [("工资表", 0, data), ("宏", 1, b"")], biff8=False,
                    name_enc=enc)


def small_workbook(rows, pad_to=0, name="S"):
    strings = sorted({v for r in rows for v in r if isinstance(v, str)})
    data = b""
    for r, values in enumerate(rows):
        for c, v in enumerate(values):
            if isinstance(v, str):
                data += labelsst(r, c, strings.index(v))
            elif v is not None:
                data += number(r, c, v)
    globals_ = default_xfs() + xf(0) + sst(strings)
    return workbook(globals_, [(name, 0, data)], pad_to=pad_to)


def out_of_order():
    strings = ["a", "b", "c", "c2"]
    data = (labelsst(2, 1, 2) + labelsst(0, 1, 1) + labelsst(0, 0, 0) + number(1, 0, 5) +
            labelsst(2, 1, 3))
    globals_ = default_xfs() + xf(0) + sst(strings)
    return workbook(globals_, [("S", 0, data)])


def old_formula_numbers():
    """A three-row table whose formulas carry the record numbers of BIFF3 (0x0206) and BIFF4
    (0x0406), as some generators still write them into BIFF8 files."""
    strings = ["Item", "Total", "a", "b"]
    data = (labelsst(0, 0, 0) + labelsst(0, 1, 1) +
            labelsst(1, 0, 2) + formula(1, 1, f_num(1.5), number=0x0206) +
            labelsst(2, 0, 3) + formula(2, 1, f_num(7), number=0x0406) +
            formula(2, 2, f_special(0), number=0x0406) + rec(0x0207, ustr("text result")))
    globals_ = default_xfs() + xf(0) + sst(strings)
    return workbook(globals_, [("S", 0, data)])


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def xlwt_fixture():
    import datetime
    import xlwt
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("客户")
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    stamp = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss")
    for c, h in enumerate(["编号", "Name", "Amount", "Date", "Stamp", "Flag"]):
        ws.write(0, c, h)
    ws.write(1, 0, "C001")
    ws.write(1, 1, "王小明")
    ws.write(1, 2, 1234.56)
    ws.write(1, 3, datetime.date(2024, 2, 29), date)
    ws.write(1, 4, datetime.datetime(2024, 3, 1, 8, 30, 5), stamp)
    ws.write(1, 5, True)
    ws.write(2, 0, "C002")
    ws.write(2, 2, 100)
    ws.write(2, 3, xlwt.Formula("1+2"))  # xlwt stores no cached result
    ws.write(2, 5, False)
    ws.write(4, 1, "after a gap")
    ws.write(4, 3, "")
    other = wb.add_sheet("Sheet 2")
    other.write(0, 0, 1)
    other.write(65535, 255, "corner")
    buf = io.BytesIO()
    wb.save(buf)
    return buf.getvalue()


def main():
    os.makedirs(HERE, exist_ok=True)
    cells = biff8_cells()
    write("xlwt_basic.xls", xlwt_fixture())
    write("biff8_cells.xls", cfb([("Workbook", cells)], junk_size_high=True))
    write("biff5_gbk.xls", cfb([("Book", biff5_gbk())]))
    tiny = small_workbook([["x", 1], [None, "y"]])
    assert len(tiny) < 4096
    write("mini_stream.xls", cfb([("\x05SummaryInformation", b"\0" * 48), ("WORKBOOK", tiny)],
                                 decoy=True))
    write("sector_4096.xls",
          cfb([("wOrKbOoK", small_workbook([["big", 2.5]], pad_to=9000))], shift=12,
              truncate=True))
    write("difat_chain.xls", cfb([("Workbook", small_workbook([["difat"]], pad_to=70000))],
                                 difat_chain=True))
    write("out_of_order.xls", cfb([("Workbook", out_of_order())]))
    write("old_formula_numbers.xls", cfb([("Workbook", old_formula_numbers())]))
    write("bare_stream.xls", small_workbook([["no container"]]))
    write("small_stream_in_big_sectors.xls",
          cfb([("Workbook", small_workbook([["regular"]]))], all_regular=True))
    write("overstated_size.xls",
          cfb([("Workbook", small_workbook([["overstated"]], pad_to=5000))], overstate=1000))

    # Hostile files.
    write("hostile_encrypted.xls",
          cfb([("Workbook", bof(True, 5) + rec(0x002F, b"\1\0" + b"\0" * 52) + EOF)]))
    write("hostile_chain_loop.xls", cfb([("Workbook", cells)], loop=True))
    whole = cfb([("Workbook", cells)])
    write("hostile_truncated.xls", whole[:len(whole) // 2])
    write("hostile_record_overrun.xls",
          cfb([("Workbook", bof(True, 5) + struct.pack("<HH", 0x00FC, 400) + b"\0" * 20)]))
    write("hostile_sst_overrun.xls",
          cfb([("Workbook", workbook(rec(0x00FC, struct.pack("<IIHB", 1, 1, 50, 0) + b"abc"),
                                     [("S", 0, b"")]))]))
    write("hostile_bad_sst_index.xls",
          cfb([("Workbook", workbook(default_xfs() + sst(["only"]),
                                     [("S", 0, labelsst(0, 0, 0) + labelsst(3, 0, 9))]))]))
    write("hostile_no_workbook.xls", cfb([("WordDocument", b"\0" * 100)]))
    write("hostile_encrypted_xlsx.xls",
          cfb([("EncryptionInfo", b"\4\0\4\0" + b"\0" * 60), ("EncryptedPackage", b"\0" * 200)]))
    write("hostile_empty.xls", b"")
    write("hostile_biff4.xls", rec(0x0409, struct.pack("<HHH", 0, 0x10, 0)) + EOF)
    write("hostile_text.xls", "账号,金额\n1,2\n".encode("gbk"))
    zipped = io.BytesIO()
    with zipfile.ZipFile(zipped, "w") as z:
        z.writestr(zipfile.ZipInfo("[Content_Types].xml", (2020, 1, 1, 0, 0, 0)), "<Types/>")
    write("hostile_xlsx_named_xls.xls", zipped.getvalue())


def big(path, rows):
    """Eight columns as a payment import has them, in the layout Excel writes: shared strings,
    numbers, RK integers and dates."""
    import random
    rnd = random.Random(4)
    surnames, given = "王李张刘陈杨黄赵吴周", "伟芳娜敏静丽强磊洋艳勇军杰娟涛明超秀霞平"
    strings, index = [], {}

    def s(v):
        if v not in index:
            index[v] = len(strings)
            strings.append(v)
        return index[v]

    for t in ("01", "02", "03"):
        s(t)
    body = []
    for r in range(rows):
        name = rnd.choice(surnames) + rnd.choice(given) + rnd.choice(given)
        account = "6222" + "".join(rnd.choice("0123456789") for _ in range(15))
        doc = "11010519" + "".join(rnd.choice("0123456789") for _ in range(10))
        amount = rnd.randrange(1, 10 ** 7) / 100
        body.append(labelsst(r, 0, s("C%08d" % r)) + labelsst(r, 1, s(name)) +
                    labelsst(r, 2, s(account)) + number(r, 3, amount) +
                    labelsst(r, 4, s(rnd.choice(("01", "02", "03")))) + labelsst(r, 5, s(doc)) +
                    rk(r, 6, rk_int(rnd.randrange(110000, 660000))) +
                    rk(r, 7, rk_int(43831 + rnd.randrange(0, 1500)), 17))
    # The shared strings, cut into CONTINUE records between strings.
    parts, current = [], struct.pack("<II", rows * 5, len(strings))
    for v in strings:
        u = ustr(v)
        if len(current) + len(u) > 8224:
            parts.append(current)
            current = b""
        current += u
    parts.append(current)
    sst_recs = rec(0x00FC, parts[0]) + b"".join(rec(0x003C, p) for p in parts[1:])
    globals_ = default_xfs() + xf(0) + xf(14) + sst_recs
    stream = workbook(globals_, [("Sheet1", 0, dimensions(True, rows, 8) + b"".join(body))])
    with open(path, "wb") as f:
        f.write(cfb([("Workbook", stream)]))


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--big":
        big(sys.argv[2], int(sys.argv[3]))
    else:
        main()
