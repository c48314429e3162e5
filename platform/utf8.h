// UTF-8, the text of the whole system: building it from code points and cutting it into
// characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Appends one code point as UTF-8; the caller has already replaced surrogates.
void append_utf8(std::string& out, char32_t code_point);

// The byte length of the UTF-8 character that starts with `lead`; 1 for a byte that cannot
// start one, so that a malformed byte counts as a character of its own.
std::size_t utf8_sequence_length(unsigned char lead);

// The text cut into its characters (a malformed byte counts as one character).
std::vector<std::string_view> utf8_characters(std::string_view text);
// Takes the last character off the text; nothing when it is empty.
void drop_last_character(std::string& text);

}  // namespace platform
