// wx key codes to virtual-key codes.
#include "ui/wx/keymap.h"

#include <wx/defs.h>

#include "platform/utf8.h"
#include "ui/keys.h"

namespace ui::wx {
namespace {

struct KeyPair {
  int wx;
  int vk;
};

constexpr KeyPair kKeys[] = {
    {WXK_BACK, vk::Back},
    {WXK_TAB, vk::Tab},
    {WXK_RETURN, vk::Return},
    {WXK_NUMPAD_ENTER, vk::Return},
    {WXK_ESCAPE, vk::Escape},
    {WXK_SPACE, vk::Space},
    {WXK_NUMPAD_SPACE, vk::Space},
    {WXK_DELETE, vk::Delete},
    {WXK_NUMPAD_DELETE, vk::Delete},
    {WXK_SHIFT, vk::Shift},
    {WXK_CONTROL, vk::Control},
    {WXK_RAW_CONTROL, vk::Control},
    {WXK_ALT, 0x12},
    {WXK_END, vk::End},
    {WXK_HOME, vk::Home},
    {WXK_LEFT, vk::Left},
    {WXK_UP, vk::Up},
    {WXK_RIGHT, vk::Right},
    {WXK_DOWN, vk::Down},
    {WXK_NUMPAD_END, vk::End},
    {WXK_NUMPAD_HOME, vk::Home},
    {WXK_NUMPAD_LEFT, vk::Left},
    {WXK_NUMPAD_UP, vk::Up},
    {WXK_NUMPAD_RIGHT, vk::Right},
    {WXK_NUMPAD_DOWN, vk::Down},
    {WXK_INSERT, 0x2D},
    {WXK_NUMPAD_INSERT, 0x2D},
    {WXK_PAGEUP, 0x21},
    {WXK_PAGEDOWN, 0x22},
    {WXK_NUMPAD_MULTIPLY, vk::Multiply},
    {WXK_MULTIPLY, vk::Multiply},
    {WXK_NUMPAD_ADD, vk::Add},
    {WXK_ADD, vk::Add},
    {WXK_NUMPAD_SUBTRACT, vk::Subtract},
    {WXK_SUBTRACT, vk::Subtract},
    {WXK_NUMPAD_DECIMAL, vk::Decimal},
    {WXK_DECIMAL, vk::Decimal},
    {WXK_NUMPAD_DIVIDE, vk::Divide},
    {WXK_DIVIDE, vk::Divide},
    {';', vk::OemSemicolon},
    {'=', vk::OemPlus},
    {',', vk::OemComma},
    {'-', vk::OemMinus},
    {'.', vk::OemPeriod},
    {'/', vk::OemSlash},
};

}  // namespace

int virtual_key(int code, unsigned int unicode) {
  if (code >= WXK_NUMPAD0 && code <= WXK_NUMPAD9) return vk::Numpad0 + (code - WXK_NUMPAD0);
  if (code >= '0' && code <= '9') return vk::Key0 + (code - '0');
  if (code >= 'A' && code <= 'Z') return vk::KeyA + (code - 'A');
  if (code >= 'a' && code <= 'z') return vk::KeyA + (code - 'a');
  if (code >= WXK_F1 && code <= WXK_F24) return vk::F1 + (code - WXK_F1);
  for (const auto& k : kKeys) {
    if (k.wx == code) return k.vk;
  }
  if ((code > 127 && code < WXK_START) || (code == WXK_NONE && unicode > 127)) {
    return vk::ProcessKey;
  }
  return 0;
}

std::string typed_character(unsigned int c) {
  if (c < 0x20 || c == 0x7F || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
  std::string out;
  platform::append_utf8(out, c);
  return out;
}

}  // namespace ui::wx
