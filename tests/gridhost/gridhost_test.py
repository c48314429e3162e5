#!/usr/bin/python3
# gridhost headless, end to end through the built plug-in: exit statuses, the grid the plug-in
# is given, and (class HeadlessImport) the sample import with its refused rows.
# Usage: gridhost_test.py GRIDHOST REPO_ROOT [unittest arguments, e.g. Headless]
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import unittest

GRIDHOST = None
ROOT = None

OPEN_AND_CLOSE = ["click Tfrm_Import.Button1", 'choose-file "examples/grid-sample.xlsx"',
                  "dump Tfrm_Import", "click Tfrm_Import.Button3"]


class Run:
    def __init__(self, workdir, args, script_lines, env_extra=None):
        script = os.path.join(workdir, "dialog.script")
        self.transcript_path = os.path.join(workdir, "transcript.txt")
        with open(script, "w", encoding="utf-8") as f:
            f.write("\n".join(script_lines) + "\n")
        env = dict(os.environ)
        env.update({"PORT_UI_SCRIPT": script, "PORT_UI_TRANSCRIPT": self.transcript_path})
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        env.update(env_extra or {})
        r = subprocess.run([GRIDHOST] + args, capture_output=True, env=env, cwd=ROOT, timeout=120)
        self.status = r.returncode
        self.out = r.stdout.decode()
        self.err = r.stderr.decode()

    def transcript(self):
        with open(self.transcript_path, encoding="utf-8") as f:
            return f.read()


class Case(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="gridhost_test_")
        self.db = os.path.join(self.dir, "grid-sample.db")
        shutil.copy(os.path.join(ROOT, "examples", "grid-sample.db"), self.db)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def run_host(self, extra, script, table="receipts", env_extra=None):
        return Run(self.dir, ["--db", self.db, "--table", table] + extra, script, env_extra)

    def codes(self):
        with sqlite3.connect(self.db) as db:
            return [r[0] for r in db.execute("SELECT code FROM receipts ORDER BY id")]


class Headless(Case):
    def test_help_documents_every_exit_status(self):
        r = subprocess.run([GRIDHOST, "--help"], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0)
        for status in ("0  ", "1  ", "2  ", "3  ", "4  ", "5  "):
            self.assertIn("\n  " + status, r.stdout)

    def test_usage_loading_and_database_errors_have_their_own_statuses(self):
        for args, status, words in [
                ([], 2, "--db FILE and --table NAME are required"),
                (["--db", self.db, "--table", "receipts", "--format", "xml"], 2, "--format"),
                (["--db", self.db, "--table", "receipts", "--auto-map", "x"], 2, "whole number"),
                (["--db", self.db, "--table", "receipts", "--library", "/nonexistent.so"], 3,
                 "libgridport.so not found"),
                (["--db", self.db, "--table", "nosuch"], 4, "no table nosuch"),
                (["--db", os.path.join(ROOT, "README.md"), "--table", "receipts"], 4,
                 "file is not a database"),
                (["--db", self.db, "--table", "receipts", "--window"], 5, "needs a display")]:
            r = Run(self.dir, args, ["# nothing"])
            self.assertEqual(r.status, status, (args, r.err))
            self.assertIn(words, r.err)

    def test_closing_without_importing_exits_1_and_the_grid_is_the_visible_columns(self):
        r = self.run_host(["--format", "csv"], OPEN_AND_CLOSE)
        self.assertEqual(r.status, 1, r.err)
        self.assertEqual(r.out, "code,name,paid_on,amount,quantity,note,printed\n")
        self.assertIn("0 rows added to receipts, which has 3 rows now", r.err)
        # The hidden id and the column captioned 打印 get no mapping row; the others come in
        # the caption table's order, pre-filled by name from the worksheet's headings.
        self.assertIn('rows=[["客户编号","客户编号"],["客户名称","客户名称"],["付款日期","付款日期"],'
                      '["金额","金额"],["数量","数量"],["备注","备注"]]', r.transcript())
        self.assertEqual(self.codes(), ["C0001", "C0002", "C0003"])

    def test_exec1_maps_by_position_when_asked(self):
        r = self.run_host(["--auto-map", "1", "--error-mode", "0"], OPEN_AND_CLOSE)
        self.assertEqual(r.status, 1, r.err)
        self.assertIn('rows=[["客户编号","客户编号"],["客户名称","客户名称"],["付款日期","金额"],'
                      '["金额","付款日期"],["数量","数量"],["备注","备注"]]', r.transcript())

    def test_a_missing_table_is_created_from_the_given_columns(self):
        r = self.run_host(["--create", "code VARCHAR(8), amount DECIMAL(12,2)"], OPEN_AND_CLOSE,
                          table="fresh")
        self.assertEqual(r.status, 1, r.err)
        self.assertIn('rows=[["code",""],["amount",""]]', r.transcript())


# The host's side of an import, through a stand-in plug-in (fake_gridport.cpp) that appends the
# sample's rows as the import run does.
class FakeRun(Case):
    def run_fake(self, extra, env_extra=None):
        env = {"FAKE_GRIDPORT_ROWS": os.path.join(os.path.dirname(__file__), "sample_rows.tsv")}
        env.update(env_extra or {})
        return self.run_host(["--library", os.environ["FAKE_GRIDPORT"]] + extra, ["# unused"],
                             env_extra=env)

    def test_added_rows_are_printed_and_stored_and_refusals_reach_the_plugin(self):
        r = self.run_fake(["--format", "csv"])
        self.assertEqual(r.status, 0, r.err)
        with open(os.path.join(ROOT, "examples", "grid-sample.expected.csv"),
                  encoding="utf-8") as f:
            self.assertEqual(r.out, f.read())
        self.assertIn("fake run log: 字段“金额”不接受“一千二百元”：不是数字\n"
                      "fake run log: 字段“付款日期”不接受“2024-02-30”：不是有效的日期（例如2024-03-05或"
                      "2024/3/5）\n"
                      "fake run log: 字段“客户编号”的值“C0001”已经存在（数据库：UNIQUE constraint "
                      "failed: receipts.code）\n", r.err)
        self.assertIn("4 rows added to receipts, which has 7 rows now", r.err)
        self.assertEqual(self.codes(), ["C0001", "C0002", "C0003", "C1001", "C1003", "C1004",
                                        "C1006"])

    def test_an_abort_and_a_stop_keep_the_rows_posted_before_them(self):
        r = self.run_fake(["--error-mode", "1", "--format", "json"])
        self.assertEqual(r.status, 0, r.err)
        self.assertIn("fake run aborted: 字段“金额”不接受“一千二百元”：不是数字", r.err)
        self.assertIn('"code": "C1001", "name": "张三", "paid_on": "2024-03-05", '
                      '"amount": "1200.50"', r.out)
        self.assertEqual(self.codes(), ["C0001", "C0002", "C0003", "C1001"])

        r = self.run_fake([], {"FAKE_GRIDPORT_STOP_AFTER": "3"})
        self.assertEqual(r.status, 0, r.err)
        self.assertEqual(self.codes(), ["C0001", "C0002", "C0003", "C1001", "C1003"])

    def test_the_plugin_gets_every_column_with_its_caption_in_utf8_through_exec(self):
        r = self.run_fake([], {"FAKE_GRIDPORT_ROWS": "/nonexistent"})
        self.assertEqual(r.status, 1, r.err)
        self.assertIn("fake exec1 2 2 utf8=1\ncolumn id 序号 hidden\ncolumn code 客户编号 visible\n"
                      "column name 客户名称 visible\ncolumn paid_on 付款日期 visible\n"
                      "column amount 金额 visible\ncolumn quantity 数量 visible\n"
                      "column note 备注 visible\ncolumn printed 打印 visible\n", r.err)


# The import run of the plug-in is its own issue; until it lands, ctest keeps this class
# disabled (tests/gridhost/CMakeLists.txt).
class HeadlessImport(Case):
    SAMPLE = ["click Tfrm_Import.Button1", 'choose-file "examples/grid-sample.xlsx"',
              "click Tfrm_Import.Button2", "answer-message OK", "dump Tfrm_Import",
              "click Tfrm_Import.Button3"]

    def test_the_sample_imports_its_good_rows_and_logs_the_refused_ones(self):
        r = self.run_host(["--format", "csv"], self.SAMPLE)
        self.assertEqual(r.status, 0, r.err)
        with open(os.path.join(ROOT, "examples", "grid-sample.expected.csv"),
                  encoding="utf-8") as f:
            self.assertEqual(r.out, f.read())
        self.assertIn("4 rows added to receipts, which has 7 rows now", r.err)
        log = r.transcript()
        self.assertIn("字段“金额”不接受“一千二百元”：不是数字", log)
        self.assertIn("字段“付款日期”不接受“2024-02-30”：不是有效的日期", log)
        self.assertIn("字段“客户编号”的值“C0001”已经存在（数据库：UNIQUE constraint failed: "
                      "receipts.code）", log)
        # Another connection reads every added row.
        self.assertEqual(self.codes(), ["C0001", "C0002", "C0003", "C1001", "C1003", "C1004",
                                        "C1006"])

    def test_an_aborted_import_keeps_the_rows_posted_before_the_failing_one(self):
        script = ["click Tfrm_Import.Button1", 'choose-file "examples/grid-sample.xlsx"',
                  "click Tfrm_Import.Button2", "answer-message OK", "click Tfrm_Import.Button3"]
        r = self.run_host(["--error-mode", "1", "--auto-map", "2", "--format", "json"], script)
        self.assertEqual(r.status, 0, r.err)
        self.assertIn('"code": "C1001"', r.out)
        self.assertEqual(self.codes(), ["C0001", "C0002", "C0003", "C1001"])


if __name__ == "__main__":
    GRIDHOST, ROOT = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
