// The quoting shared by scripts and transcripts: double quotes, with \" \\ \n \r \t escaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui {

std::string quote(std::string_view text);
// ["a","b"]
std::string quote_list(const std::vector<std::string>& items);

}  // namespace ui
