// Characters of UTF-8 text, for controls that take typed text character by character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The text cut into its characters (a malformed byte counts as one character).
std::vector<std::string_view> utf8_characters(std::string_view text);
// Takes the last character off the text; nothing when it is empty.
void drop_last_character(std::string& text);

}  // namespace ui
