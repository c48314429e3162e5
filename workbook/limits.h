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

// .xls: the whole file is read into memory and its workbook stream copied out of it, so a file
// costs about twice its size. Excel's own .xls files stay far below this; a larger one is
// refused rather than exhausting memory.
inline constexpr std::uint64_t kMaxXlsFileBytes = 256ull << 20;

// .xls cells normally come in row order and stream straight through. A file whose cell records
// are out of order is put in order through an index of 12 bytes per cell; this many cells (64
// columns of 65,536 rows) keep that index under 50 MB.
inline constexpr std::size_t kMaxXlsReorderedCells = 4194304;

}  // namespace workbook::limits
