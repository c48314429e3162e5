// Text helpers the demonstration hosts share: GBK and UTF-8, terminal widths, CSV and JSON quoting.
// Hosts see only include/, so they carry their own copy of what the plug-ins' platform layer does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hosts {

// GBK bytes to UTF-8; a byte sequence that is not GBK becomes "?".
std::string gbk_to_utf8(std::string_view gbk);

// Characters (code points) in a UTF-8 text.
std::size_t utf8_length(std::string_view utf8);

// Terminal columns a UTF-8 text takes: East Asian wide characters take two.
std::size_t display_width(std::string_view text);

std::string csv_field(std::string_view text);

std::string json_string(std::string_view text);

}  // namespace hosts
