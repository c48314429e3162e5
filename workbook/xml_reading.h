// Which parser reads the big parts of an .xlsx package (worksheets, shared strings).
#pragma once

namespace workbook {

// Expat; the scanner (xml_scanner.h), which gives a part it does not know up to expat; the
// scanner alone, for tests that must see it at work: what it would give up is then an error.
enum class XmlReading { Expat, Scanner, ScannerOnly };

}  // namespace workbook
