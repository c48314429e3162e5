/* Writes a deterministic .xlsx with libxlsxwriter for the differential test: a header row with
 * an empty and a repeated name, then ROWS rows of text ids, Chinese and Cyrillic text, integers,
 * decimals of every size, dates, date-times, booleans, an emoji, a sparse column, empty rows, and
 * now and then a long cell of several KiB. "shared" writes a shared-string table; "inline" uses
 * libxlsxwriter's constant-memory mode, which writes inline strings.
 *   diff_gen_xlsxwriter OUT.xlsx ROWS shared|inline */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xlsxwriter.h>

static uint64_t state = 88172645463325252ull;
static uint64_t next(void) {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return state;
}
static int pick(int n) {
  return (int)(next() % (uint64_t)n);
}

static const char* kChinese[] = {"王", "李",   "张",   "欧阳", "明",
                                 "华", "合计", "账户", "金额", "备注"};
static const char* kCyrillic[] = {"Прайс", "лист", "землетрясение", "Москва", "цена", "№", "ё"};
static const char* kLatin[] = {"alpha",      "beta", "  padded ", "a,b",
                               "say \"hi\"", "x\\y", "tab\there"};

static void words(char* out, size_t cap, const char** list, int n, int count) {
  out[0] = '\0';
  for (int i = 0; i < count; ++i) {
    const char* w = list[pick(n)];
    if (strlen(out) + strlen(w) + 2 >= cap) break;
    if (i) strcat(out, " ");
    strcat(out, w);
  }
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: diff_gen_xlsxwriter OUT.xlsx ROWS shared|inline\n");
    return 2;
  }
  int rows = atoi(argv[2]);
  lxw_workbook_options options = {.constant_memory = strcmp(argv[3], "inline") == 0};
  lxw_workbook* wb = workbook_new_opt(argv[1], &options);
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
  lxw_format* date = workbook_add_format(wb);
  format_set_num_format(date, "yyyy-mm-dd");
  lxw_format* stamp = workbook_add_format(wb);
  format_set_num_format(stamp, "yyyy-mm-dd hh:mm:ss");
  lxw_format* money = workbook_add_format(wb);
  format_set_num_format(money, "#,##0.00");

  const char* header[] = {"编号", "Name", "Имя",  "Amount", "Amount",
                          "",     "When", "Flag", "Note",   "Sparse"};
  for (int c = 0; c < 10; ++c)
    if (header[c][0]) worksheet_write_string(ws, 0, (lxw_col_t)c, header[c], NULL);

  static char text[40000];
  for (int r = 1; r <= rows; ++r) {
    if (r % 997 == 0) continue; /* an empty row inside the table */
    char id[32];
    snprintf(id, sizeof id, "R%06d", r);
    worksheet_write_string(ws, (lxw_row_t)r, 0, id, NULL);
    words(text, sizeof text, kChinese, 10, 1 + pick(3));
    worksheet_write_string(ws, (lxw_row_t)r, 1, text, NULL);
    words(text, sizeof text, kCyrillic, 7, 1 + pick(3));
    worksheet_write_string(ws, (lxw_row_t)r, 2, text, NULL);
    worksheet_write_number(ws, (lxw_row_t)r, 3, (double)((int64_t)(next() % 2000000) - 1000000),
                           NULL);
    double scale[] = {1e-7, 0.01, 1, 1e6, 1e14, 1e17};
    double v = ((double)(next() % 1000000007) / 1000000007.0 - 0.3) * scale[pick(6)];
    worksheet_write_number(ws, (lxw_row_t)r, 4, v, pick(2) ? money : NULL);
    lxw_datetime when = {1990 + pick(40), 1 + pick(12), 1 + pick(28), 0, 0, 0};
    if (pick(2)) {
      when.hour = pick(24);
      when.min = pick(60);
      when.sec = pick(60);
      worksheet_write_datetime(ws, (lxw_row_t)r, 6, &when, stamp);
    } else {
      worksheet_write_datetime(ws, (lxw_row_t)r, 6, &when, date);
    }
    worksheet_write_boolean(ws, (lxw_row_t)r, 7, pick(2), NULL);
    if (r % 50 == 0) {
      size_t n = 1000 + (size_t)pick(8000), len = 0;
      while (len + 8 < n) {
        const char* w = r % 100 == 0 ? kChinese[pick(10)] : kLatin[pick(7)];
        size_t k = strlen(w);
        memcpy(text + len, w, k);
        len += k;
        text[len] = (len % 120 == 0) ? '\n' : ' ';
        ++len;
      }
      text[len] = '\0';
      worksheet_write_string(ws, (lxw_row_t)r, 8, text, NULL);
    } else if (r % 7 == 0) {
      worksheet_write_string(ws, (lxw_row_t)r, 8, "pair 😀 ok", NULL);
    } else {
      words(text, sizeof text, kLatin, 7, 1 + pick(2));
      worksheet_write_string(ws, (lxw_row_t)r, 8, text, NULL);
    }
    if (r % 13 == 0) worksheet_write_number(ws, (lxw_row_t)r, 9, r * 0.5, NULL);
  }
  return workbook_close(wb) == LXW_NO_ERROR ? 0 : 1;
}
