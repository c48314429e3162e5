/* The C interface of the Gridport grid-import plug-in (libgridport.so), for hosts that show data
 * grids over datasets. A host describes its application, screen and grid as tables of function
 * pointers with its own context pointer and calls exec or exec1, which show the import dialog
 * modally and append the chosen worksheet's rows to the grid's dataset.
 *
 * Rules of the boundary, in both directions:
 * - Every table starts with its size in bytes (the host sets sizeof of the table it was built
 *   against); the plug-in uses only the members that size covers, so tables can grow at their
 *   end without breaking older hosts. A null function pointer means the operation is absent.
 * - No C++ exception and no allocation crosses. A host operation that can fail returns 1 on
 *   success and 0 on failure; on failure it points *error at a zero-terminated message that
 *   stays valid until the host's next call on the same table (the plug-in copies it at once).
 *   A failure without a message (null *error) reads as "unknown failure".
 * - Text is zero-terminated GBK (code page 936), unless the application table sets
 *   GRIDPORT_APP_UTF8; then every text crossing in either direction during the call is UTF-8.
 *   Texts the host returns (captions, field names) are read at once and need to live only until
 *   the host's next call on the same table; a null text reads as empty.
 * - Everything runs on the host's user-interface thread, inside exec or exec1. */
#ifndef GRIDPORT_GRIDPORT_H
#define GRIDPORT_GRIDPORT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* On 32-bit Windows the exports and the host's functions take their arguments the stdcall way;
 * elsewhere the platform's one C convention applies. */
#if defined(_WIN32) && !defined(_WIN64)
#define GRIDPORT_CALL __stdcall
#else
#define GRIDPORT_CALL
#endif

#if defined(_WIN32)
#define GRIDPORT_API __declspec(dllexport)
#elif defined(__GNUC__)
#define GRIDPORT_API __attribute__((visibility("default")))
#else
#define GRIDPORT_API
#endif

/* Whether a table's declared size covers a member, which may then be used: the table's type,
 * a pointer to it, the member. */
#define GRIDPORT_HAS(Type, table, member) \
  ((table) != NULL && (table)->size >= offsetof(Type, member) + sizeof((table)->member))

/* Message box icons, button sets and results; the values are those of the Windows message box. */
enum {
  GRIDPORT_ICON_NONE = 0x00,
  GRIDPORT_ICON_ERROR = 0x10,
  GRIDPORT_ICON_QUESTION = 0x20,
  GRIDPORT_ICON_WARNING = 0x30,
  GRIDPORT_ICON_INFORMATION = 0x40
};
enum {
  GRIDPORT_BUTTONS_OK = 0,
  GRIDPORT_BUTTONS_OK_CANCEL = 1,
  GRIDPORT_BUTTONS_YES_NO_CANCEL = 3,
  GRIDPORT_BUTTONS_YES_NO = 4
};
enum { GRIDPORT_ID_OK = 1, GRIDPORT_ID_CANCEL = 2, GRIDPORT_ID_YES = 6, GRIDPORT_ID_NO = 7 };

/* What exec and exec1 return besides a message box result: the dialog was closed. */
enum { GRIDPORT_CLOSED = 2 };

/* exec1's modes. AutoMapMode: 1 pre-fills the mapping by column position, any other value by
 * name. ErrorMode: 1 aborts the import at the first failing row, 2 logs failing rows and goes on,
 * any other value drops them silently. */
enum { GRIDPORT_MAP_BY_POSITION = 1, GRIDPORT_MAP_BY_NAME = 2 };
enum { GRIDPORT_ERRORS_ABORT = 1, GRIDPORT_ERRORS_LOG = 2, GRIDPORT_ERRORS_DROP = 0 };

/* GridportApplication.flags */
enum { GRIDPORT_APP_UTF8 = 1 /* texts are UTF-8 instead of GBK */ };

/* GridportApplication.parent_kind: what parent_window points to. */
enum {
  GRIDPORT_PARENT_NONE = 0,
  GRIDPORT_PARENT_WX = 1, /* a wxWindow* of a host that is itself a wxWidgets program */
  GRIDPORT_PARENT_GTK = 2 /* the GdkWindow* of a GTK host's top-level window */
};

/* The host's application object: message boxes, the general error display, the dialog's parent.
 * A table without message_box or show_error gets the plug-in's own (its windows, or its script). */
typedef struct GridportApplication {
  size_t size; /* sizeof(GridportApplication) */
  void* context;
  uint32_t flags; /* GRIDPORT_APP_* */
  /* Shows a message box modally; returns the GRIDPORT_ID_* of the button pressed. */
  int32_t(GRIDPORT_CALL* message_box)(void* context, const char* text, const char* caption,
                                      int32_t icon, int32_t buttons);
  /* Shows a failure the dialog does not handle itself (a workbook that cannot be read). */
  void(GRIDPORT_CALL* show_error)(void* context, const char* message);
  /* The window the dialog is modal over, or null. */
  int32_t parent_kind; /* GRIDPORT_PARENT_* */
  void* parent_window;
} GridportApplication;

/* The host's screen object: kept as the module's screen while the library is loaded, never
 * called. */
typedef struct GridportScreen {
  size_t size; /* sizeof(GridportScreen) */
  void* context;
} GridportScreen;

/* The dataset behind a grid, which receives the imported rows. */
typedef struct GridportDataSet {
  size_t size; /* sizeof(GridportDataSet) */
  void* context;
  /* Nonzero when the dataset is open. */
  int32_t(GRIDPORT_CALL* active)(void* context);
  /* Suspend and resume the refresh of the controls showing the dataset, for a whole import. */
  void(GRIDPORT_CALL* disable_controls)(void* context);
  void(GRIDPORT_CALL* enable_controls)(void* context);
  /* Starts a new record. */
  int32_t(GRIDPORT_CALL* append)(void* context, const char** error);
  /* Assigns text to the new record's field of that name, converting and checking it as the
   * field does; an unknown name or a refused text is a failure. */
  int32_t(GRIDPORT_CALL* set_field_text)(void* context, const char* field_name, const char* text,
                                         const char** error);
  /* Stores the new record; a record the host refuses is a failure. */
  int32_t(GRIDPORT_CALL* post)(void* context, const char** error);
  /* Discards the new record. */
  int32_t(GRIDPORT_CALL* cancel)(void* context, const char** error);
} GridportDataSet;

/* A grid's data source: the link from a grid to its dataset. */
typedef struct GridportDataSource {
  size_t size; /* sizeof(GridportDataSource) */
  void* context;
  /* The dataset, or null when the data source has none. */
  const GridportDataSet*(GRIDPORT_CALL* dataset)(void* context);
} GridportDataSource;

/* The host's grid: its data source and its columns, counted from 0 in the grid's order. */
typedef struct GridportGrid {
  size_t size; /* sizeof(GridportGrid) */
  void* context;
  /* The data source, or null when the grid has none. */
  const GridportDataSource*(GRIDPORT_CALL* data_source)(void* context);
  int32_t(GRIDPORT_CALL* column_count)(void* context);
  /* Nonzero when the column is shown. */
  int32_t(GRIDPORT_CALL* column_visible)(void* context, int32_t index);
  /* The column's title caption. */
  const char*(GRIDPORT_CALL* column_title)(void* context, int32_t index);
  /* The name of the dataset field the column shows. */
  const char*(GRIDPORT_CALL* column_field_name)(void* context, int32_t index);
} GridportGrid;

/* Shows the import dialog over grid with AutoMapMode and ErrorMode 2. Returns GRIDPORT_CLOSED
 * when the user closed the dialog, or, when grid is null or has no open dataset, the result of
 * the message box that says so (GRIDPORT_ID_OK). The pointers application and screen stay kept
 * as the module's current ones until the library is unloaded (they are called only during exec
 * and exec1); a null application is the plug-in's own. */
GRIDPORT_API int32_t GRIDPORT_CALL exec(const GridportApplication* application,
                                        const GridportScreen* screen, const GridportGrid* grid);
/* As exec, with the two modes given. */
GRIDPORT_API int32_t GRIDPORT_CALL exec1(const GridportApplication* application,
                                         const GridportScreen* screen, const GridportGrid* grid,
                                         int32_t auto_map_mode, int32_t error_mode);

#ifdef __cplusplus
}
#endif

#endif /* GRIDPORT_GRIDPORT_H */
