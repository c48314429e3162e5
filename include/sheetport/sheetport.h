/* The C interface of the Sheetport record-import plug-in (libsheetport.so), for batch-payment
 * hosts: the six exports, the host callback, the customer records, the list that carries them and
 * the description record. Every size and offset below is fixed and checked at compile time. */
#ifndef SHEETPORT_SHEETPORT_H
#define SHEETPORT_SHEETPORT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* On 32-bit Windows the exports and the callback take their arguments the stdcall way; elsewhere
 * the platform's one C convention applies. */
#if defined(_WIN32) && !defined(_WIN64)
#define SHEETPORT_CALL __stdcall
#else
#define SHEETPORT_CALL
#endif

#if defined(_WIN32)
#define SHEETPORT_API __declspec(dllexport)
#elif defined(__GNUC__)
#define SHEETPORT_API __attribute__((visibility("default")))
#else
#define SHEETPORT_API
#endif

/* Callback codes. */
enum {
  SHEETPORT_RECORD_ADDED = 0, /* Data null: one record was appended to the list */
  SHEETPORT_NOT_XLS = 1,      /* Data null: the chosen file's name does not end in "xls" */
  SHEETPORT_FINISHED = 2,     /* Data -> int32_t: rows taken up, failed ones included */
  SHEETPORT_ROW_FAILED = 4,   /* Data -> int32_t: the same counter, this row included */
  SHEETPORT_CANCELLED = 5     /* Data null: the user cancelled the file prompt */
};

/* The host's callback. The counter that Data points to lives only during the call. */
typedef void(SHEETPORT_CALL* TImportCallback)(int32_t Code, void* Data);

/* Length-prefixed text: byte 0 holds the length (0 to capacity), the text follows; bytes after
 * the length carry no meaning. Text is GBK (code page 936). */
typedef struct TCustomerInfo {
  unsigned char KHBH[21]; /* customer number, capacity 20 */
  unsigned char KHXM[61]; /* customer name, capacity 60 */
  unsigned char KHZH[31]; /* customer account number, capacity 30 */
  unsigned char SSDM[3];  /* province/city code, capacity 2 */
  unsigned char ZJLX[7];  /* identity-document type, capacity 6 */
  unsigned char ZJHM[41]; /* identity-document number, capacity 40 */
  unsigned char JYJE[20]; /* transaction amount as the worksheet shows it, capacity 19 */
  uint32_t Extra1;        /* reserved for text handles: always 0, kept for the record size */
  uint32_t Extra2;
} TCustomerInfo;

typedef struct TCustomerRecord {
  int32_t RecNo; /* 1-based number of the non-empty worksheet row within this import */
  TCustomerInfo Info;
} TCustomerRecord;

/* The list a host variable holds. The plug-in creates it (malloc) when the variable is null, and
 * never destroys it: a host done with it for good calls FreeListData, then free(Items) and
 * free(list). Items[0 .. Count-1] point to records allocated by the plug-in and released by
 * FreeListData. */
typedef struct TRecordList {
  int32_t Count;
  int32_t Capacity;
  TCustomerRecord** Items;
} TRecordList;

/* What GetDescription fills: zero bytes except Kind and the zero-terminated GBK texts. */
typedef struct PluginDescription {
  int32_t Kind; /* always 3 */
  char Name[255];
  char Version[255];
  char Date[255]; /* the local date of the call, "yyyy-mm-dd" */
  char Description[1283];
} PluginDescription;

/* Param: a length byte followed by that many bytes, the configuration file's full path. */
SHEETPORT_API void SHEETPORT_CALL SetImportParam(const unsigned char* Param);
/* Shows the configuration dialog; 0 when it saved the settings, else 1. */
SHEETPORT_API int32_t SHEETPORT_CALL ShowConfigForm(void);
/* Runs one import into *ListVar (created when null, emptied otherwise). Reserved is not used. */
SHEETPORT_API void SHEETPORT_CALL DoImport(int32_t Reserved, TImportCallback Callback,
                                           TRecordList** ListVar);
/* Asks a running import to stop before its next row; safe from the callback or another thread. */
SHEETPORT_API void SHEETPORT_CALL StopImport(void);
SHEETPORT_API void SHEETPORT_CALL GetDescription(PluginDescription* Desc);
/* Releases every record of *ListVar and empties the list; the list object stays. */
SHEETPORT_API void SHEETPORT_CALL FreeListData(TRecordList** ListVar);

#ifdef __cplusplus
}
#define SHEETPORT_STATIC_ASSERT static_assert
#else
#define SHEETPORT_STATIC_ASSERT _Static_assert
#endif

SHEETPORT_STATIC_ASSERT(sizeof(TCustomerInfo) == 192, "TCustomerInfo is 192 bytes");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, KHBH) == 0, "KHBH at 0");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, KHXM) == 21, "KHXM at 21");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, KHZH) == 82, "KHZH at 82");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, SSDM) == 113, "SSDM at 113");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, ZJLX) == 116, "ZJLX at 116");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, ZJHM) == 123, "ZJHM at 123");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, JYJE) == 164, "JYJE at 164");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, Extra1) == 184, "Extra1 at 184");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerInfo, Extra2) == 188, "Extra2 at 188");
SHEETPORT_STATIC_ASSERT(sizeof(TCustomerRecord) == 196, "TCustomerRecord is 196 bytes");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerRecord, RecNo) == 0, "RecNo at 0");
SHEETPORT_STATIC_ASSERT(offsetof(TCustomerRecord, Info) == 4, "Info at 4");
SHEETPORT_STATIC_ASSERT(sizeof(PluginDescription) == 2052, "PluginDescription is 2052 bytes");
SHEETPORT_STATIC_ASSERT(offsetof(PluginDescription, Kind) == 0, "Kind at 0");
SHEETPORT_STATIC_ASSERT(offsetof(PluginDescription, Name) == 4, "Name at 4");
SHEETPORT_STATIC_ASSERT(offsetof(PluginDescription, Version) == 259, "Version at 259");
SHEETPORT_STATIC_ASSERT(offsetof(PluginDescription, Date) == 514, "Date at 514");
SHEETPORT_STATIC_ASSERT(offsetof(PluginDescription, Description) == 769, "Description at 769");
SHEETPORT_STATIC_ASSERT(offsetof(TRecordList, Count) == 0, "Count at 0");
SHEETPORT_STATIC_ASSERT(offsetof(TRecordList, Capacity) == 4, "Capacity at 4");
SHEETPORT_STATIC_ASSERT(offsetof(TRecordList, Items) == 8, "Items at 8");
SHEETPORT_STATIC_ASSERT(sizeof(TRecordList) == 8 + sizeof(void*),
                        "TRecordList: two counts, a pointer");

#endif /* SHEETPORT_SHEETPORT_H */
