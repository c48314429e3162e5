/* Writes a deterministic .xlsx of N records of eight columns (customer number, Chinese name,
 * 19-digit account text, amount, type, 18-character document number, province code, date),
 * with inline strings or with a shared-string table; or the TSV that wbq must print for it, so
 * that the benchmark checks what it times.
 *   bench_gen_xlsx OUT.xlsx ROWS inline|shared
 *   bench_gen_xlsx --expected ROWS > EXPECTED.tsv */
#include <minizip/zip.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周"};
static const char* kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊",   "军", "洋",
                               "勇", "艳", "杰", "娟", "涛", "明", "超", "秀英", "霞", "平"};
static const char* kTypes[] = {"身份证", "护照", "军官证", "回乡证", "户口簿"};

typedef struct {
  zipFile zip;
  char buf[1 << 16];
  size_t len;
} Out;

static void flush(Out* o) {
  if (o->len && zipWriteInFileInZip(o->zip, o->buf, (unsigned)o->len) != ZIP_OK) {
    fprintf(stderr, "write failed\n");
    exit(1);
  }
  o->len = 0;
}

static void put(Out* o, const char* s) {
  size_t n = strlen(s);
  if (o->len + n > sizeof o->buf) flush(o);
  memcpy(o->buf + o->len, s, n);
  o->len += n;
}

static void begin(Out* o, const char* name) {
  zip_fileinfo info;
  memset(&info, 0, sizeof info);
  info.tmz_date.tm_year = 2024;
  info.tmz_date.tm_mday = 1;
  if (zipOpenNewFileInZip64(o->zip, name, &info, NULL, 0, NULL, 0, NULL, Z_DEFLATED, 6, 1) !=
      ZIP_OK) {
    fprintf(stderr, "cannot add %s\n", name);
    exit(1);
  }
}

static void end(Out* o) {
  flush(o);
  zipCloseFileInZip(o->zip);
}

static void part(Out* o, const char* name, const char* text) {
  begin(o, name);
  put(o, text);
  end(o);
}

/* Deterministic pseudo-random numbers (xorshift). */
static uint64_t state = 88172645463325252ull;
static uint64_t next(void) {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return state;
}

typedef struct {
  char name[32], account[32], doc[32], amount[48];
  int name_index, type_index;
  long customer, province;
  int date;
} Record;

static void name_text(int k, char* out, size_t size) {
  snprintf(out, size, "%s%s%s", kSurnames[k / 400], kGiven[k / 20 % 20], kGiven[k % 20]);
}

/* Document numbers repeat every 1000 records. */
static void doc_text(long i, char* out, size_t size) {
  snprintf(out, size, "11010119%02d%02d%02d%03dX", (int)(70 + i % 30), (int)(1 + i % 12),
           (int)(1 + i % 28), (int)(i % 1000));
}

static void make_record(long i, Record* r) {
  uint64_t x = next();
  r->customer = 100000 + i;
  r->name_index = (int)(x % 10) * 400 + (int)((x >> 8) % 20) * 20 + (int)((x >> 16) % 20);
  name_text(r->name_index, r->name, sizeof r->name);
  snprintf(r->account, sizeof r->account, "6222%015ld", 20000000000000L + i * 7919L);
  /* Amounts as a writer stores them: shortest form, no trailing zeros. */
  snprintf(r->amount, sizeof r->amount, "%.2f", (double)((x >> 24) % 10000000) / 100.0);
  size_t len = strlen(r->amount);
  while (r->amount[len - 1] == '0') r->amount[--len] = 0;
  if (r->amount[len - 1] == '.') r->amount[--len] = 0;
  r->type_index = (int)((x >> 48) % 5);
  doc_text(i % 1000, r->doc, sizeof r->doc);
  r->province = 110000 + (long)((x >> 40) % 34) * 10000;
  r->date = 45000 + (int)(i % 1000);
}

static void text_cell(Out* o, char col, long row, const char* text, int shared_index) {
  char cell[160];
  if (shared_index >= 0)
    snprintf(cell, sizeof cell, "<c r=\"%c%ld\" t=\"s\"><v>%d</v></c>", col, row, shared_index);
  else
    snprintf(cell, sizeof cell, "<c r=\"%c%ld\" t=\"inlineStr\"><is><t>%s</t></is></c>", col, row,
             text);
  put(o, cell);
}

/* The records as wbq prints them: header, then one line per record; the date serial (1900
 * system, past February 1900) as YYYY-MM-DD. */
static int print_expected(long rows) {
  static const char* kHeader[] = {"客户编号", "客户名称", "客户账号", "交易金额",
                                  "证件类型", "证件号码", "省市代码", "日期"};
  for (int i = 0; i < 8; ++i) printf("%s%c", kHeader[i], i < 7 ? '\t' : '\n');
  for (long i = 0; i < rows; ++i) {
    Record r;
    make_record(i, &r);
    time_t t = (time_t)(r.date - 25569) * 86400;
    struct tm tm;
    char date[16];
    gmtime_r(&t, &tm);
    strftime(date, sizeof date, "%Y-%m-%d", &tm);
    printf("%ld\t%s\t%s\t%s\t%s\t%s\t%ld\t%s\n", r.customer, r.name, r.account, r.amount,
           kTypes[r.type_index], r.doc, r.province, date);
  }
  return fflush(stdout) == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--expected") == 0) return print_expected(atol(argv[2]));
  if (argc != 4) {
    fprintf(stderr, "usage: bench_gen_xlsx OUT.xlsx ROWS inline|shared\n");
    return 2;
  }
  long rows = atol(argv[2]);
  int shared = strcmp(argv[3], "shared") == 0;
  Out o;
  o.len = 0;
  o.zip = zipOpen64(argv[1], APPEND_STATUS_CREATE);
  if (!o.zip) {
    fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }
  part(&o, "[Content_Types].xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
       "Extension=\"xml\" ContentType=\"application/xml\"/></Types>");
  part(&o, "_rels/.rels",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
       "Id=\"rId1\" "
       "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
       "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
  part(&o, "xl/workbook.xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook "
       "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
       "<sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
  part(&o, "xl/_rels/workbook.xml.rels",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" "
       "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
       "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
       "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
       "Target=\"styles.xml\"/><Relationship Id=\"rId3\" "
       "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
       "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>");
  part(&o, "xl/styles.xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet "
       "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><cellXfs "
       "count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>");

  /* Shared strings: the header's 8 names, then the pools (names, types), then one account
   * number per record: about a million distinct texts. */
  static const char* kHeader[] = {"客户编号", "客户名称", "客户账号", "交易金额",
                                  "证件类型", "证件号码", "省市代码", "日期"};
  enum {
    kNames = 10 * 20 * 20,
    kPoolBase = 8,
    kTypeBase = kPoolBase + kNames,
    kDocBase = kTypeBase + 5
  };
  int account_base = kDocBase + 1000;
  if (shared) {
    begin(&o, "xl/sharedStrings.xml");
    put(&o,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst "
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">");
    char si[128];
    for (int i = 0; i < 8; ++i) {
      snprintf(si, sizeof si, "<si><t>%s</t></si>", kHeader[i]);
      put(&o, si);
    }
    char text[32];
    for (int i = 0; i < kNames; ++i) {
      name_text(i, text, sizeof text);
      snprintf(si, sizeof si, "<si><t>%s</t></si>", text);
      put(&o, si);
    }
    for (int i = 0; i < 5; ++i) {
      snprintf(si, sizeof si, "<si><t>%s</t></si>", kTypes[i]);
      put(&o, si);
    }
    for (int i = 0; i < 1000; ++i) {
      doc_text(i, text, sizeof text);
      snprintf(si, sizeof si, "<si><t>%s</t></si>", text);
      put(&o, si);
    }
    for (long i = 0; i < rows; ++i) {
      snprintf(si, sizeof si, "<si><t>6222%015ld</t></si>", 20000000000000L + i * 7919L);
      put(&o, si);
    }
    put(&o, "</sst>");
    end(&o);
  }

  begin(&o, "xl/worksheets/sheet1.xml");
  char line[256];
  snprintf(line, sizeof line,
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
           "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><dimension "
           "ref=\"A1:H%ld\"/><sheetData><row r=\"1\">",
           rows + 1);
  put(&o, line);
  for (int i = 0; i < 8; ++i) text_cell(&o, (char)('A' + i), 1, kHeader[i], shared ? i : -1);
  put(&o, "</row>");
  for (long i = 0; i < rows; ++i) {
    Record r;
    make_record(i, &r);
    long n = i + 2;
    snprintf(line, sizeof line, "<row r=\"%ld\"><c r=\"A%ld\"><v>%ld</v></c>", n, n, r.customer);
    put(&o, line);
    text_cell(&o, 'B', n, r.name, shared ? kPoolBase + r.name_index : -1);
    text_cell(&o, 'C', n, r.account, shared ? account_base + (int)i : -1);
    snprintf(line, sizeof line, "<c r=\"D%ld\"><v>%s</v></c>", n, r.amount);
    put(&o, line);
    text_cell(&o, 'E', n, kTypes[r.type_index], shared ? kTypeBase + r.type_index : -1);
    text_cell(&o, 'F', n, r.doc, shared ? kDocBase + (int)(i % 1000) : -1);
    snprintf(line, sizeof line,
             "<c r=\"G%ld\"><v>%ld</v></c><c r=\"H%ld\" s=\"1\"><v>%d</v></c></row>", n, r.province,
             n, r.date);
    put(&o, line);
  }
  put(&o, "</sheetData></worksheet>");
  end(&o);
  if (!shared)
    part(&o, "xl/sharedStrings.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst "
         "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>");
  zipClose(o.zip, NULL);
  return 0;
}
