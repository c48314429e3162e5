// Keyboard input as dialogs see it: Windows virtual-key codes and the key-down event.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// Virtual-key codes with their Windows values, since dialog handlers reason about them.
namespace vk {
inline constexpr int Back = 0x08;
inline constexpr int Tab = 0x09;
inline constexpr int Return = 0x0D;
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Delete = 0x2E;
inline constexpr int Key0 = 0x30;     // '0'..'9' are 0x30..0x39
inline constexpr int KeyA = 0x41;     // 'A'..'Z' are 0x41..0x5A
inline constexpr int Numpad0 = 0x60;  // keypad digits are 0x60..0x69
inline constexpr int Numpad9 = 0x69;
inline constexpr int Multiply = 0x6A;
inline constexpr int Add = 0x6B;
inline constexpr int Subtract = 0x6D;
inline constexpr int Decimal = 0x6E;
inline constexpr int Divide = 0x6F;
inline constexpr int F1 = 0x70;
inline constexpr int OemSemicolon = 0xBA;
inline constexpr int OemPlus = 0xBB;
inline constexpr int OemComma = 0xBC;
inline constexpr int OemMinus = 0xBD;
inline constexpr int OemPeriod = 0xBE;
inline constexpr int OemSlash = 0xBF;
inline constexpr int ProcessKey = 0xE5;  // a key taken by an input method (Chinese text)
}  // namespace vk

// One key press. A handler that sets `key` to 0 swallows it: no character follows.
struct KeyEvent {
  int key = 0;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// A key press that produces one character (UTF-8, empty for keys that type nothing).
struct KeyStroke {
  KeyEvent event;
  std::string character;
};

// The key a person presses to type one character (UTF-8) on a US keyboard; characters beyond
// the keyboard arrive through the input method as vk::ProcessKey.
KeyStroke key_for_character(std::string_view utf8_character);

// The character a key types when nothing else is known: keypad and main-keyboard digits, letters
// (upper case with shift), blank; empty for keys that type nothing (navigation, Back, Delete).
std::string character_for_key(const KeyEvent& key);

// Parses a key name used in scripts: "numpad0".."numpad9", "back", "delete", "tab", "return",
// "escape", "space", a single letter or digit, or a code "0x61". Returns 0 when unknown.
int key_from_name(std::string_view name);

}  // namespace ui
