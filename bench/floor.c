/* The floors wbq is measured against: inflate the sheet's XML (and the shared strings) with
 * minizip and run expat over it with empty handlers, or (--inflate-only) inflate them and nothing
 * else. Nothing is converted or written.
 *   bench_floor FILE.xlsx [--inflate-only] */
#include <expat.h>
#include <minizip/unzip.h>
#include <stdio.h>
#include <string.h>

static void XMLCALL on_start(void* d, const char* n, const char** a) {
  (void)d, (void)n, (void)a;
}
static void XMLCALL on_end(void* d, const char* n) {
  (void)d, (void)n;
}
static void XMLCALL on_text(void* d, const char* t, int len) {
  (void)d, (void)t, (void)len;
}

static long long parse_part(unzFile zip, const char* name, int parse) {
  if (unzLocateFile(zip, name, 0) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK) return -1;
  XML_Parser p = XML_ParserCreate(NULL);
  XML_SetElementHandler(p, on_start, on_end);
  XML_SetCharacterDataHandler(p, on_text);
  static char buf[128 * 1024];
  long long total = 0;
  int n;
  while ((n = unzReadCurrentFile(zip, buf, sizeof buf)) > 0) {
    total += n;
    if (parse && XML_Parse(p, buf, n, 0) != XML_STATUS_OK) break;
  }
  XML_Parse(p, buf, 0, 1);
  XML_ParserFree(p);
  unzCloseCurrentFile(zip);
  return total;
}

int main(int argc, char** argv) {
  int parse = argc == 2;
  if (argc != 2 && !(argc == 3 && strcmp(argv[2], "--inflate-only") == 0)) {
    fprintf(stderr, "usage: bench_floor FILE.xlsx [--inflate-only]\n");
    return 2;
  }
  unzFile zip = unzOpen64(argv[1]);
  if (!zip) return 1;
  long long strings = parse_part(zip, "xl/sharedStrings.xml", parse);
  long long sheet = parse_part(zip, "xl/worksheets/sheet1.xml", parse);
  unzClose(zip);
  printf("%s: sheet %lld bytes, shared strings %lld bytes\n",
         parse ? "inflated and parsed" : "inflated", sheet, strings);
  return sheet < 0;
}
