// The scanner of the big .xlsx parts. Every construct it takes is checked at least as strictly as
// expat checks it, so that whatever it lets through expat reads the same way; the rest it gives up.
#include "workbook/xml_scanner.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/error.h"
#include "platform/utf8.h"
#include "workbook/limits.h"

namespace workbook {
namespace {

// Bytes taken since the last start tag before the scanner gives up. Expat's own limit
// (limits::kMaxXmlTokenBytes) counts from its last start tag or text, never from earlier; expat
// may hold its events back while a long token is unfinished, until its buffer has doubled, which
// the margin of four covers. So whatever that limit refuses the scanner has given up first. Real
// parts never come close.
constexpr std::uint64_t kQuietBytes = 1u << 20;
// Bytes of a chunk joined to the unfinished construct of the last one at a time.
constexpr std::size_t kBridgeBytes = 4096;
// An XML declaration longer than this is not one a workbook writer made.
constexpr std::size_t kMaxDeclarationBytes = 256;

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool is_name_start(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Bytes of the names the scanner takes: 1 for letters, digits, '_', '-', '.'; 2 for ':'.
constexpr std::array<std::uint8_t, 256> kNameByte = [] {
  std::array<std::uint8_t, 256> t{};
  for (int c = 0; c < 256; ++c)
    t[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
  t[':'] = 2;
  return t;
}();

// Attribute value bytes that need no second look: printable ASCII but '<', '&' and the quote
// that ends the value (double, single).
constexpr std::array<std::array<bool, 256>, 2> kPlainValue = [] {
  std::array<std::array<bool, 256>, 2> t{};
  for (int c = 0x20; c < 0x7F; ++c) {
    t[0][c] = c != '<' && c != '&' && c != '"';
    t[1][c] = c != '<' && c != '&' && c != '\'';
  }
  return t;
}();

// Text bytes that need no second look: printable ASCII but the markup characters, tab, newline.
constexpr std::array<bool, 256> kPlainText = [] {
  std::array<bool, 256> t{};
  for (int c = 0x20; c < 0x7F; ++c) t[c] = c != '<' && c != '&' && c != ']';
  t['\t'] = t['\n'] = true;
  return t;
}();

// Characters a reference may name that the scanner takes: XML's characters without the C0 and
// C1 controls other than tab, newline and carriage return.
bool is_referable(std::uint32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp < 0x7F) ||
         (cp >= 0xA0 && cp < 0xD800) || (cp >= 0xE000 && cp <= 0xFFFD) ||
         (cp >= 0x10000 && cp <= 0x10FFFF);
}

// Length of the UTF-8 sequence at s: 0 when it runs past n, -1 when it is malformed or a
// character the scanner leaves to expat (surrogates, U+FFFE, U+FFFF, C1 controls).
int utf8_length(const unsigned char* s, std::size_t n) {
  unsigned char b = s[0], lo = 0x80, hi = 0xBF;
  int len;
  if (b < 0xC2) return -1;
  if (b < 0xE0) {
    len = 2;
    if (b == 0xC2) lo = 0xA0;
  } else if (b < 0xF0) {
    len = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b < 0xF5) {
    len = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return -1;
  }
  if (n < static_cast<std::size_t>(len)) return 0;
  if (s[1] < lo || s[1] > hi) return -1;
  for (int k = 2; k < len; ++k)
    if (s[k] < 0x80 || s[k] > 0xBF) return -1;
  if (b == 0xEF && s[1] == 0xBF && s[2] >= 0xBE) return -1;
  return len;
}

}  // namespace

XmlScanner::XmlScanner(XmlHandler& handler, std::string where, bool give_up_is_error)
    : handler_(handler), where_(std::move(where)), give_up_is_error_(give_up_is_error) {}

void XmlScanner::give_up(const char* reason) const {
  if (give_up_is_error_)
    throw platform::Error("The scanner does not read the XML of " + where_ + ": " + reason + ".",
                          platform::ErrorKind::Unsupported);
  throw XmlScanFallback{reason};
}

void XmlScanner::feed(const char* data, std::size_t size, bool last) {
  // A construct the last chunk cut is finished from the front of this one, a little at a time,
  // so that little more than the construct is copied.
  while (!carry_.empty() && (size > 0 || last)) {
    std::size_t add = std::min(size, std::max(carry_.size(), kBridgeBytes));
    carry_.append(data, add);
    data += add;
    size -= add;
    std::size_t taken = scan(carry_.data(), carry_.size(), last && size == 0);
    carry_.erase(0, taken);
    pos_ += taken;
    if (size == 0) break;
  }
  if (carry_.empty()) {
    std::size_t taken = scan(data, size, last);
    carry_.assign(data + taken, size - taken);
    pos_ += taken;
  }
  if (pos_ + carry_.size() - last_start_ > kQuietBytes)
    give_up("a long stretch without a start tag");
  if (last && (state_ != State::Epilog || !carry_.empty())) give_up("the part ends unfinished");
}

std::size_t XmlScanner::scan(const char* p, std::size_t n, bool last) {
  std::size_t i = 0;
  if (state_ == State::Start) {
    // A byte-order mark and the XML declaration come first or not at all.
    if (n < 9 && !last) return 0;
    if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) i = 3;
    if (n - i >= 5 && std::memcmp(p + i, "<?xml", 5) == 0) {
      if (n - i < 6 || !is_space(p[i + 5])) give_up("a processing instruction");
      std::size_t taken = declaration(p + i, n - i);
      if (taken == kMore) {
        if (last) give_up("the part ends in its XML declaration");
        return 0;
      }
      i += taken;
    }
    state_ = State::Prolog;
  }
  while (i < n) {
    std::size_t taken;
    if (p[i] == '<') {
      if (i + 1 >= n) {
        taken = kMore;
      } else if (p[i + 1] == '/') {
        taken = end_tag(p + i, n - i);
      } else if (p[i + 1] == '!' || p[i + 1] == '?') {
        give_up("a comment, CDATA section, DTD or processing instruction");
      } else if (state_ == State::Content &&
                 (taken = p[i + 1] == 'c'   ? plain_cell(p + i, n - i)
                          : p[i + 1] == 's' ? plain_string_item(p + i, n - i)
                                            : 0) != 0) {
        last_start_ = pos_ + i;  // a little before its last start tag: gives up no later
      } else {
        taken = start_tag(p + i, n - i);
        if (taken != kMore) last_start_ = pos_ + i;
      }
    } else if (state_ == State::Content) {
      taken = text(p + i, n - i);
    } else {
      if (!is_space(p[i])) give_up("text outside the root element");
      taken = 1;
    }
    if (taken == kMore) break;
    i += taken;
  }
  if (i < n && last) give_up("the part ends inside markup");
  return i;
}

std::size_t XmlScanner::declaration(const char* p, std::size_t n) {
  std::string_view all(p, std::min(n, kMaxDeclarationBytes));
  auto close = all.find("?>");
  if (close == std::string_view::npos) {
    if (n >= kMaxDeclarationBytes) give_up("an XML declaration it does not know");
    return kMore;
  }
  // version="1.0", then optionally encoding="UTF-8", then optionally standalone="yes"/"no".
  std::string_view rest = all.substr(5, close - 5);
  const char* const names[] = {"version", "encoding", "standalone"};
  int next = 0;
  while (true) {
    std::size_t spaces = 0;
    while (spaces < rest.size() && is_space(rest[spaces])) ++spaces;
    rest.remove_prefix(spaces);
    if (rest.empty()) break;
    std::size_t eq = rest.find('=');
    if (spaces == 0 || eq == std::string_view::npos) give_up("an XML declaration it does not know");
    std::string_view name = rest.substr(0, eq);
    if (next == 0 && name != names[0]) give_up("an XML declaration without a version first");
    while (next < 3 && name != names[next]) ++next;
    if (next == 3 || eq + 1 >= rest.size()) give_up("an XML declaration it does not know");
    char quote = rest[eq + 1];
    auto end = rest.find(quote, eq + 2);
    if ((quote != '"' && quote != '\'') || end == std::string_view::npos)
      give_up("an XML declaration it does not know");
    std::string_view value = rest.substr(eq + 2, end - eq - 2);
    bool known = next == 0   ? value == "1.0"
                 : next == 1 ? value.size() == 5 && strncasecmp(value.data(), "UTF-8", 5) == 0
                             : value == "yes" || value == "no";
    if (!known) give_up("an XML declaration it does not know");
    ++next;
    rest.remove_prefix(end + 1);
  }
  if (next == 0) give_up("an XML declaration without a version");
  return close + 2;
}

namespace {

// Length of a name at p that the scanner takes (ASCII, at most one colon, neither first nor
// last); 0 for any other, XmlScanner's kMore when it runs to n. local: where the name is without
// its prefix.
std::size_t name_length(const char* p, std::size_t n, std::size_t more, std::size_t& local) {
  if (n == 0) return more;
  if (!is_name_start(p[0])) return 0;
  std::size_t i = 1;
  while (i < n && kNameByte[static_cast<unsigned char>(p[i])] == 1) ++i;
  local = 0;
  if (i < n && p[i] == ':') {
    local = ++i;
    if (i < n && !kNameByte[static_cast<unsigned char>(p[i])]) return 0;  // nothing after it
    while (i < n && kNameByte[static_cast<unsigned char>(p[i])] == 1) ++i;
    if (i < n && p[i] == ':') return 0;  // a second colon
  }
  if (i == n) return more;
  return i;
}

// Names are short: a loop beats a call to memcmp.
bool same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace

std::size_t XmlScanner::start_tag(const char* p, std::size_t n) {
  std::size_t i = 1, local = 0;
  std::size_t len = name_length(p + i, n - i, kMore, local);
  if (len == kMore) return kMore;
  if (len == 0) give_up("an element name it does not take");
  std::string_view name(p + i, len), local_name = name.substr(local);
  i += len;
  attr_count_ = 0;
  value_text_.clear();
  made_values_.clear();
  while (true) {
    std::size_t before = i;
    while (i < n && is_space(p[i])) ++i;
    if (i >= n) return kMore;
    bool empty = p[i] == '/';
    if (p[i] == '>' || empty) {
      if (empty && i + 1 >= n) return kMore;
      if (empty && p[i + 1] != '>') give_up("a start tag it does not know");
      if (name_ends_.size() >= limits::kMaxXmlDepth) give_up("elements nested very deep");
      if (state_ == State::Epilog) give_up("a second root element");
      for (const auto& made : made_values_)
        attrs_[made.attr].value = std::string_view(value_text_).substr(made.offset, made.size);
      handler_.start(local_name, XmlAttributes(attrs_.data(), attr_count_));
      if (empty) {
        handler_.end(local_name);
        if (name_ends_.empty()) state_ = State::Epilog;
      } else {
        open_names_.append(name);
        name_ends_.push_back(open_names_.size());
        state_ = State::Content;
      }
      return i + (empty ? 2 : 1);
    }
    if (i == before) give_up("attributes not parted by white space");
    std::size_t attr_local = 0;
    std::size_t alen = name_length(p + i, n - i, kMore, attr_local);
    if (alen == kMore) return kMore;
    if (alen == 0) give_up("an attribute name it does not take");
    std::string_view attr(p + i, alen);
    i += alen;
    while (i < n && is_space(p[i])) ++i;
    if (i >= n) return kMore;
    if (p[i++] != '=') give_up("an attribute without a value");
    while (i < n && is_space(p[i])) ++i;
    if (i >= n) return kMore;
    char quote = p[i++];
    if (quote != '"' && quote != '\'') give_up("an attribute value without quotes");
    for (std::size_t k = 0; k < attr_count_; ++k)
      if (same(attr_names_[k], attr)) give_up("an attribute given twice");
    if (attr_count_ >= kMaxAttributes) give_up("a tag with very many attributes");
    attr_names_[attr_count_] = attr;
    attrs_[attr_count_++] = {attr.substr(attr_local), {}};
    std::size_t taken = attribute_value(p + i, n - i, quote);
    if (taken == kMore) return kMore;
    i += taken;
  }
}

std::size_t XmlScanner::attribute_value(const char* p, std::size_t n, char quote) {
  const auto& plain = kPlainValue[quote == '"' ? 0 : 1];
  std::size_t i = 0;
  while (i < n && plain[static_cast<unsigned char>(p[i])]) ++i;
  if (i >= n) return kMore;
  if (p[i] != quote) return made_value(p, i, n, quote);
  attrs_[attr_count_ - 1].value = std::string_view(p, i);
  return i + 1;
}

// A value with references, tabs, newlines or non-ASCII characters, made in value_text_ as
// expat would report it. p[0, i) is plain.
std::size_t XmlScanner::made_value(const char* p, std::size_t i, std::size_t n, char quote) {
  const auto& plain = kPlainValue[quote == '"' ? 0 : 1];
  std::size_t offset = value_text_.size(), run = 0;
  while (true) {
    if (i >= n) return kMore;
    auto c = static_cast<unsigned char>(p[i]);
    if (c == static_cast<unsigned char>(quote)) break;
    if (plain[c]) {
      ++i;
      continue;
    }
    value_text_.append(p + run, i - run);
    if (c == '&') {
      std::size_t taken = reference(p + i, n - i, value_text_);
      if (taken == kMore) return kMore;
      i += taken;
    } else if (c == '\t' || c == '\n') {
      value_text_.push_back(' ');  // expat's normalisation of attribute values
      ++i;
    } else if (c >= 0x80) {
      int len = utf8_length(reinterpret_cast<const unsigned char*>(p + i), n - i);
      if (len < 0) give_up("a character it does not take");
      if (len == 0) return kMore;
      value_text_.append(p + i, static_cast<std::size_t>(len));
      i += static_cast<std::size_t>(len);
    } else {
      give_up("a character it does not take in an attribute value");
    }
    run = i;
  }
  value_text_.append(p + run, i - run);
  made_values_.push_back({attr_count_ - 1, offset, value_text_.size() - offset});
  return i + 1;
}

std::size_t XmlScanner::end_tag(const char* p, std::size_t n) {
  std::size_t local = 0;
  std::size_t len = name_length(p + 2, n - 2, kMore, local);
  if (len == kMore) return kMore;
  if (len == 0) give_up("an element name it does not take");
  std::string_view name(p + 2, len);
  std::size_t i = 2 + len;
  while (i < n && is_space(p[i])) ++i;
  if (i >= n) return kMore;
  if (p[i] != '>') give_up("an end tag it does not know");
  if (name_ends_.empty()) give_up("an end tag outside the root element");
  std::size_t begin = name_ends_.size() > 1 ? name_ends_[name_ends_.size() - 2] : 0;
  if (name != std::string_view(open_names_).substr(begin))
    give_up("an end tag that does not match");
  handler_.end(name.substr(local));
  open_names_.resize(begin);
  name_ends_.pop_back();
  if (name_ends_.empty()) state_ = State::Epilog;
  return i + 1;
}

std::size_t XmlScanner::text(const char* p, std::size_t n) {
  std::size_t i = 0, run = 0;
  auto flush = [&] {
    if (i > run) handler_.text(std::string_view(p + run, i - run));
    run = i;
  };
  while (i < n) {
    while (i < n && kPlainText[static_cast<unsigned char>(p[i])]) ++i;
    if (i == n) break;
    auto c = static_cast<unsigned char>(p[i]);
    if (c == '<') break;
    if (c == '&') {
      flush();
      ref_text_.clear();
      std::size_t taken = reference(p + i, n - i, ref_text_);
      if (taken == kMore) break;
      handler_.text(ref_text_);
      i += taken;
      run = i;
    } else if (c == ']') {
      if (i + 2 >= n) break;  // whether "]]>" follows is not known yet
      if (p[i + 1] == ']' && p[i + 2] == '>') give_up("\"]]>\" in text");
      ++i;
    } else if (c >= 0x80) {
      int len = utf8_length(reinterpret_cast<const unsigned char*>(p + i), n - i);
      if (len < 0) give_up("a character it does not take");
      if (len == 0) break;
      i += static_cast<std::size_t>(len);
    } else {
      give_up("a control character or carriage return in text");
    }
  }
  flush();
  return i == 0 ? kMore : i;
}

namespace {

// Length of the text at p up to the first byte that is not printable ASCII (but '&' and ']'),
// tab, newline or a UTF-8 character the scanner takes.
std::size_t plain_text_length(const char* p, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    auto c = static_cast<unsigned char>(p[i]);
    if (kPlainText[c]) {
      ++i;
    } else if (c >= 0xE1 && c <= 0xEC && i + 2 < n &&
               (static_cast<unsigned char>(p[i + 1]) & 0xC0) == 0x80 &&
               (static_cast<unsigned char>(p[i + 2]) & 0xC0) == 0x80) {
      i += 3;  // most of the BMP, Chinese among it: no surrogates, overlong forms or U+FFFE here
    } else if (c >= 0x80) {
      int len = utf8_length(reinterpret_cast<const unsigned char*>(p + i), n - i);
      if (len <= 0) break;
      i += static_cast<std::size_t>(len);
    } else {
      break;
    }
  }
  return i;
}

// Whether the n bytes at p begin with the literal; its size is known here, so no call is made.
template <std::size_t N>
bool starts(const char* p, std::size_t n, const char (&literal)[N]) {
  return n >= N - 1 && std::memcmp(p, literal, N - 1) == 0;
}

}  // namespace

std::size_t XmlScanner::plain_cell(const char* p, std::size_t n) {
  // Its elements, up to three deep, stay within the depth the general path allows.
  if (name_ends_.size() + 3 >= limits::kMaxXmlDepth) return 0;
  std::size_t i = 2;
  attr_count_ = 0;
  auto is_letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  while (true) {
    if (attr_count_ == kMaxAttributes) return 0;
    std::size_t name = i;
    // Mostly one letter after one space (r="A1", t="s", s="3"); else the longer way.
    if (i + 3 < n && p[i] == ' ' && is_letter(p[i + 1]) && p[i + 2] == '=') {
      name = ++i;
      ++i;
    } else {
      std::size_t before = i;
      while (i < n && is_space(p[i])) ++i;
      if (i >= n) return 0;
      if (p[i] == '>') break;
      if (i == before) return 0;
      name = i;
      while (i < n && is_letter(p[i])) ++i;
      if (i == name || i + 1 >= n || p[i] != '=') return 0;
    }
    std::string_view attr(p + name, i - name);
    for (std::size_t k = 0; k < attr_count_; ++k)
      if (same(attrs_[k].name, attr)) return 0;
    char quote = p[++i];
    if (quote != '"' && quote != '\'') return 0;
    const auto& plain = kPlainValue[quote == '"' ? 0 : 1];
    std::size_t value = ++i;
    while (i < n && plain[static_cast<unsigned char>(p[i])]) ++i;
    if (i >= n || p[i] != quote) return 0;
    attrs_[attr_count_++] = {attr, std::string_view(p + value, i - value)};
    ++i;
  }
  ++i;  // '>'
  bool in_string = starts(p + i, n - i, "<is><t>");
  if (!in_string && !starts(p + i, n - i, "<v>")) return 0;
  i += in_string ? 7 : 3;
  std::size_t length = plain_text_length(p + i, n - i);
  std::string_view text(p + i, length);
  i += length;
  bool closed =
      in_string ? starts(p + i, n - i, "</t></is></c>") : starts(p + i, n - i, "</v></c>");
  if (length > limits::kMaxCellTextBytes || !closed) return 0;
  handler_.cell(XmlAttributes(attrs_.data(), attr_count_), text, in_string);
  return i + (in_string ? 13 : 8);
}

std::size_t XmlScanner::plain_string_item(const char* p, std::size_t n) {
  if (name_ends_.size() + 2 >= limits::kMaxXmlDepth || !starts(p, n, "<si><t>")) return 0;
  std::size_t length = plain_text_length(p + 7, n - 7);
  if (length > limits::kMaxCellTextBytes || !starts(p + 7 + length, n - 7 - length, "</t></si>"))
    return 0;
  handler_.string_item(std::string_view(p + 7, length));
  return 7 + length + 9;
}

std::size_t XmlScanner::reference(const char* p, std::size_t n, std::string& out) {
  std::size_t k = 1;
  while (k < n && k < 12 && p[k] != ';') ++k;
  if (k == n) return kMore;
  if (p[k] != ';') give_up("a reference it does not know");
  std::string_view name(p + 1, k - 1);
  if (name == "lt") {
    out.push_back('<');
  } else if (name == "gt") {
    out.push_back('>');
  } else if (name == "amp") {
    out.push_back('&');
  } else if (name == "quot") {
    out.push_back('"');
  } else if (name == "apos") {
    out.push_back('\'');
  } else if (name.size() >= 2 && name[0] == '#') {
    bool hex = name[1] == 'x';
    std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 7) give_up("a character reference it does not take");
    std::uint32_t cp = 0;
    for (char d : digits) {
      int v = d >= '0' && d <= '9'          ? d - '0'
              : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
              : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                            : -1;
      if (v < 0) give_up("a character reference it does not take");
      cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
    }
    if (!is_referable(cp)) give_up("a character reference it does not take");
    platform::append_utf8(out, cp);
  } else {
    give_up("a reference to an entity the part does not declare");
  }
  return k + 1;
}

std::unique_ptr<XmlFeed> make_xml_feed(XmlReading reading, XmlHandler& handler, std::string where) {
  if (reading == XmlReading::Expat) return std::make_unique<XmlParser>(handler, std::move(where));
  return std::make_unique<XmlScanner>(handler, std::move(where),
                                      reading == XmlReading::ScannerOnly);
}

}  // namespace workbook
