// Every limit of the workbook readers in one place, each with the reason for it. Crossing one
// is a platform::Error that names the limit; nothing is ever sized by an untrusted count alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace workbook::limits {

// Excel's own grid: 1,048,576 rows by 16,384 columns (.xls: 65,536 by 256). A reference past
// these is a broken file, not a big one.
inline constexpr std::uint32_t kMaxRows = 1048576;
inline constexpr std::uint32_t kMaxColumns = 16384;

// Text held in memory for a whole workbook (the shared-string table) and the length of one
// cell. Excel stops a cell at 32,767 characters (up to 4 bytes each in UTF-8); the shared
// strings of a real workbook are well below 1 GiB even at a million distinct texts.
inline constexpr std::uint64_t kMaxCellTextBytes = 32767 * 4;
inline constexpr std::uint64_t kMaxTotalTextBytes = 1ull << 30;
// Text of one row: 16,384 full cells would be 2 GiB held at once for a file of a few MiB.
// A row that is read as one record never needs more than this.
inline constexpr std::uint64_t kMaxRowTextBytes = 64ull << 20;
// Distinct shared strings: a sheet has at most 2^34 cells, but a table beyond 16 million
// distinct texts is not a workbook anyone imports; each entry costs an offset in memory.
inline constexpr std::uint32_t kMaxSharedStrings = 16u << 20;

// Cell formats (.xlsx cellXfs, .xls XF records): Excel allows 64,000 per workbook.
inline constexpr std::uint32_t kMaxCellFormats = 65536;

// Longest part name in a zip directory; a longer one is refused, since cut short it could match
// another part's name. The names of real workbook parts stay below 100 bytes.
inline constexpr std::size_t kMaxZipPartNameBytes = 1023;

// Zip packages: a workbook has a few dozen parts; a directory of more entries than this is an
// attack on the memory spent listing it.
inline constexpr std::uint32_t kMaxZipEntries = 65536;
// One part's inflated size: a full 1,048,576-row sheet of short cells is a few GiB of XML.
inline constexpr std::uint64_t kMaxEntryInflatedBytes = 8ull << 30;
// Inflate ratio of one part, checked once the part has grown past the floor below. Sheet XML
// compresses 10 to 50 times; deflate's best case is about 1,000, which only a bomb reaches.
inline constexpr std::uint64_t kMaxInflateRatio = 400;
inline constexpr std::uint64_t kInflateRatioFloor = 16ull << 20;

// Nesting of XML elements: worksheet markup goes about eight deep; expat keeps a frame per
// level, so a deeper document only costs memory.
inline constexpr std::uint32_t kMaxXmlDepth = 256;

// Bytes of XML fed without a single element or text event: expat keeps an unfinished token
// (a comment, a tag with its attributes) and scans it again as each chunk arrives, so one huge
// token costs time by the square of its size. Real markup never goes 4 MiB without an event.
inline constexpr std::uint64_t kMaxXmlTokenBytes = 4ull << 20;

// Relationships, sheets and custom number formats of one workbook: Excel's own limits are far
// lower; these bound what the reader keeps per entry.
inline constexpr std::uint32_t kMaxSheets = 65536;
inline constexpr std::uint32_t kMaxNumberFormats = 65536;

// A user's condition runs in SQLite for at most this long; a runaway condition (a recursive
// table expression, a huge cross join of the sheet with itself) is stopped with a message.
inline constexpr unsigned kQueryTimeLimitMs = 5000;
// Longest text or blob a condition may build in SQLite (its default is 1 GB, which a
// condition like length(randomblob(1e9)) would allocate); a cell is far shorter.
inline constexpr int kMaxSqlValueBytes = 16 << 20;
// Length of a user's condition: a condition is typed by a person, not generated.
inline constexpr std::uint32_t kMaxConditionBytes = 64 * 1024;
// Longest SQL statement SQLite accepts from the query engine; the condition is wrapped in
// "select * from [table] where ...", so it must leave room for that.
inline constexpr int kMaxSqlStatementBytes = 1 << 20;
static_assert(kMaxConditionBytes * 2ull <= kMaxSqlStatementBytes);
// SQLite virtual-machine steps between two looks at the clock while a condition runs: often
// enough to stop within milliseconds of the time limit, rarely enough to cost nothing.
inline constexpr int kConditionProgressSteps = 4000;

// .xls: the whole file is read into memory and its workbook stream copied out of it, so a file
// costs about twice its size. Excel's own .xls files stay far below this; a larger one is
// refused rather than exhausting memory.
inline constexpr std::uint64_t kMaxXlsFileBytes = 256ull << 20;

// .xls cells normally come in row order and stream straight through. A file whose cell records
// are out of order is put in order through an index of 12 bytes per cell; this many cells (64
// columns of 65,536 rows) keep that index under 50 MB.
inline constexpr std::size_t kMaxXlsReorderedCells = 4194304;

}  // namespace workbook::limits
