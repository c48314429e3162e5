/* A grid host written in C, as the plug-in's users write them: it loads libgridport.so with
 * dlopen (LoadLibrary on Windows), describes its grid in the tables of gridport.h and calls one
 * export. What the plug-in asks of it is printed on stdout, one line each, followed by "result N".
 *   c_host LIBRARY SCENARIO
 * Scenarios: null-grid, no-source, no-dataset, closed, closed-gbk (the failed grid checks, the
 * last with a host that speaks GBK), columns (a GBK
 * grid with hidden and "打印" columns), exec, exec1-2-2, exec1-1-1 (the same grid through each
 * call), old-host (an application table that ends before its message box), plugin-boxes (no
 * message box of the host's own, so the plug-in shows them; the error display stays the host's).
 * Import scenarios run exec1 with error mode 2 (import-2), 1 (import-1) or 0 (import-0); the
 * dataset refuses the text "坏" with a message of two lines, and in refuse-append and
 * refuse-post (error mode 2) also its first append or its second post. It prints every call. */
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif
#include <stdio.h>
#include <string.h>

#include "gridport/gridport.h"

typedef int32_t(GRIDPORT_CALL* ExecFn)(const GridportApplication*, const GridportScreen*,
                                       const GridportGrid*);
typedef int32_t(GRIDPORT_CALL* Exec1Fn)(const GridportApplication*, const GridportScreen*,
                                        const GridportGrid*, int32_t, int32_t);

struct Column {
  const char* title;
  const char* field;
  int visible;
};

/* "打印" and "编号", "姓名", "隐藏" in GBK. */
#define GBK_PRINT "\xB4\xF2\xD3\xA1"
static const struct Column gbk_columns[] = {
    {"\xB1\xE0\xBA\xC5", "BH", 1}, {"\xD2\xFE\xB2\xD8", "YC", 0}, {GBK_PRINT, "DY", 1},
    {GBK_PRINT " ", "DY2", 1},     {"\xD0\xD5\xC3\xFB", "XM", 1},
};
static const struct Column utf8_columns[] = {
    {"姓名", "XM", 1},
    {"Amount", "JE", 1},
    {"编号", "BH", 1},
    {"金额", "JE2", 1},
};

struct Host {
  const struct Column* columns;
  int column_count;
  int has_source;
  int has_dataset;
  int active;
  int refuse_append; /* the 1-based number of the append or post to refuse, 0: none */
  int refuse_post;
  int appends;
  int posts;
};

static int32_t GRIDPORT_CALL message_box(void* context, const char* text, const char* caption,
                                         int32_t icon, int32_t buttons) {
  (void)context;
  printf("message icon=%d buttons=%d caption=%s text=%s\n", icon, buttons, caption, text);
  return GRIDPORT_ID_OK;
}

static void GRIDPORT_CALL show_error(void* context, const char* message) {
  (void)context;
  printf("error %s\n", message);
}

static int32_t GRIDPORT_CALL active(void* context) {
  return ((struct Host*)context)->active;
}

static void GRIDPORT_CALL disable_controls(void* context) {
  (void)context;
  printf("disable\n");
}

static void GRIDPORT_CALL enable_controls(void* context) {
  (void)context;
  printf("enable\n");
}

static int32_t GRIDPORT_CALL append(void* context, const char** error) {
  struct Host* host = (struct Host*)context;
  printf("append\n");
  if (++host->appends == host->refuse_append) {
    *error = "追加被拒绝";
    return 0;
  }
  return 1;
}

static int32_t GRIDPORT_CALL set_field_text(void* context, const char* field, const char* text,
                                            const char** error) {
  (void)context;
  if (strcmp(text, "坏") == 0) {
    *error = "金额不是数字：坏\r\n请改正";
    return 0;
  }
  printf("set %s=%s\n", field, text);
  return 1;
}

static int32_t GRIDPORT_CALL post(void* context, const char** error) {
  struct Host* host = (struct Host*)context;
  printf("post\n");
  if (++host->posts == host->refuse_post) {
    *error = "保存被拒绝";
    return 0;
  }
  return 1;
}

static int32_t GRIDPORT_CALL cancel(void* context, const char** error) {
  (void)context;
  (void)error;
  printf("cancel\n");
  return 1;
}

static const GridportDataSet* dataset_of(struct Host* host) {
  static GridportDataSet dataset;
  dataset.size = sizeof dataset;
  dataset.context = host;
  dataset.active = active;
  dataset.disable_controls = disable_controls;
  dataset.enable_controls = enable_controls;
  dataset.append = append;
  dataset.set_field_text = set_field_text;
  dataset.post = post;
  dataset.cancel = cancel;
  return host->has_dataset ? &dataset : NULL;
}

static const GridportDataSet* GRIDPORT_CALL source_dataset(void* context) {
  return dataset_of((struct Host*)context);
}

static const GridportDataSource* GRIDPORT_CALL data_source(void* context) {
  static GridportDataSource source;
  struct Host* host = (struct Host*)context;
  source.size = sizeof source;
  source.context = host;
  source.dataset = source_dataset;
  return host->has_source ? &source : NULL;
}

static int32_t GRIDPORT_CALL column_count(void* context) {
  return ((struct Host*)context)->column_count;
}

static int32_t GRIDPORT_CALL column_visible(void* context, int32_t i) {
  return ((struct Host*)context)->columns[i].visible;
}

static const char* GRIDPORT_CALL column_title(void* context, int32_t i) {
  return ((struct Host*)context)->columns[i].title;
}

static const char* GRIDPORT_CALL column_field_name(void* context, int32_t i) {
  return ((struct Host*)context)->columns[i].field;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: c_host LIBRARY SCENARIO\n");
    return 2;
  }
  const char* scenario = argv[2];
#ifdef _WIN32
  HMODULE library = LoadLibraryA(argv[1]);
  if (library == NULL) {
    fprintf(stderr, "cannot load %s: error %lu\n", argv[1], (unsigned long)GetLastError());
    return 2;
  }
  ExecFn exec_fn = (ExecFn)(void*)GetProcAddress(library, "exec");
  Exec1Fn exec1_fn = (Exec1Fn)(void*)GetProcAddress(library, "exec1");
#else
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == NULL) {
    fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
    return 2;
  }
  ExecFn exec_fn = (ExecFn)dlsym(library, "exec");
  Exec1Fn exec1_fn = (Exec1Fn)dlsym(library, "exec1");
#endif
  if (exec_fn == NULL || exec1_fn == NULL) return 2;

  struct Host host = {utf8_columns, 4, 1, 1, 1, 0, 0, 0, 0};
  GridportApplication app;
  memset(&app, 0, sizeof app);
  app.size = sizeof app;
  app.flags = GRIDPORT_APP_UTF8;
  app.message_box = message_box;
  app.show_error = show_error;
  GridportScreen screen = {sizeof screen, NULL};
  GridportGrid grid = {sizeof grid,    &host,        data_source,      column_count,
                       column_visible, column_title, column_field_name};
  const GridportGrid* passed = &grid;

  if (strcmp(scenario, "null-grid") == 0) passed = NULL;
  if (strcmp(scenario, "no-source") == 0) host.has_source = 0;
  if (strcmp(scenario, "no-dataset") == 0) host.has_dataset = 0;
  if (strcmp(scenario, "closed") == 0) host.active = 0;
  if (strcmp(scenario, "closed-gbk") == 0) {
    host.active = 0;
    app.flags = 0;
  }
  if (strcmp(scenario, "columns") == 0) {
    host.columns = gbk_columns;
    host.column_count = 5;
    app.flags = 0;
  }
  if (strcmp(scenario, "plugin-boxes") == 0) app.message_box = NULL;
  if (strcmp(scenario, "old-host") == 0) {
    app.size = offsetof(GridportApplication, message_box);
    host.active = 0;
  }

  if (strcmp(scenario, "refuse-append") == 0) host.refuse_append = 1;
  if (strcmp(scenario, "refuse-post") == 0) host.refuse_post = 2;

  int32_t result;
  if (strncmp(scenario, "import-", 7) == 0) {
    result = exec1_fn(&app, &screen, passed, 2, scenario[7] - '0');
  } else if (strncmp(scenario, "refuse-", 7) == 0) {
    result = exec1_fn(&app, &screen, passed, 2, 2);
  } else if (strcmp(scenario, "exec1-2-2") == 0) {
    result = exec1_fn(&app, &screen, passed, 2, 2);
  } else if (strcmp(scenario, "exec1-1-1") == 0) {
    result = exec1_fn(&app, &screen, passed, 1, 1);
  } else {
    result = exec_fn(&app, &screen, passed);
  }
  printf("result %d\n", result);
  fflush(stdout);
#ifdef _WIN32
  FreeLibrary(library);
#else
  dlclose(library);
#endif
  return 0;
}
