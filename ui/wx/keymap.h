// Key codes as wxWidgets reports them, turned into the Windows virtual-key codes that dialog
// handlers reason about, and typed characters into UTF-8.
#pragma once

#include <string>

namespace ui::wx {

// The virtual-key code of a key-down event's wx key code (WXK_* or an upper-case letter or
// digit) and Unicode character; 0 when the key has none (it then reaches no key-down handler).
// A character beyond the US keyboard counts as arriving through an input method.
int virtual_key(int wx_key_code, unsigned int unicode = 0);

// The UTF-8 text of a typed character; empty for control characters, which type nothing.
std::string typed_character(unsigned int unicode);

}  // namespace ui::wx
