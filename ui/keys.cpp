// Virtual-key codes for typed characters and key names.
#include "ui/keys.h"

#include <cctype>
#include <charconv>
#include <string>

#include "platform/text.h"

namespace ui {
namespace {

struct Punctuation {
  char plain;
  char shifted;
  int key;
};

// The punctuation keys of a US keyboard: the character without and with shift.
constexpr Punctuation kPunctuation[] = {
    {';', ':', vk::OemSemicolon}, {'=', '+', vk::OemPlus},   {',', '<', vk::OemComma},
    {'-', '_', vk::OemMinus},     {'.', '>', vk::OemPeriod}, {'/', '?', vk::OemSlash},
};

constexpr const char* kShiftedDigits = ")!@#$%^&*(";

}  // namespace

KeyStroke key_for_character(std::string_view ch) {
  KeyStroke stroke;
  stroke.character = std::string(ch);
  if (ch.size() != 1) {
    stroke.event.key = vk::ProcessKey;
    return stroke;
  }
  char c = ch[0];
  if (c >= '0' && c <= '9') {
    stroke.event.key = vk::Key0 + (c - '0');
  } else if (c >= 'a' && c <= 'z') {
    stroke.event.key = vk::KeyA + (c - 'a');
  } else if (c >= 'A' && c <= 'Z') {
    stroke.event.key = vk::KeyA + (c - 'A');
    stroke.event.shift = true;
  } else if (c == ' ') {
    stroke.event.key = vk::Space;
  } else if (c == '\t') {
    stroke.event.key = vk::Tab;
    stroke.character.clear();
  } else if (c == '\n' || c == '\r') {
    stroke.event.key = vk::Return;
    stroke.character.clear();
  } else {
    for (int d = 0; d < 10; ++d) {
      if (kShiftedDigits[d] == c) {
        stroke.event = {vk::Key0 + d, true};
        return stroke;
      }
    }
    for (const auto& p : kPunctuation) {
      if (p.plain == c || p.shifted == c) {
        stroke.event = {p.key, p.shifted == c};
        return stroke;
      }
    }
    stroke.event.key = vk::ProcessKey;
  }
  return stroke;
}

std::string character_for_key(const KeyEvent& key) {
  int k = key.key;
  if (k >= vk::Numpad0 && k <= vk::Numpad9) return std::string(1, char('0' + k - vk::Numpad0));
  if (k >= vk::Key0 && k <= vk::Key0 + 9) {
    return std::string(1, key.shift ? kShiftedDigits[k - vk::Key0] : char('0' + k - vk::Key0));
  }
  if (k >= vk::KeyA && k <= vk::KeyA + 25) {
    return std::string(1, char((key.shift ? 'A' : 'a') + k - vk::KeyA));
  }
  if (k == vk::Space) return " ";
  for (const auto& p : kPunctuation) {
    if (p.key == k) return std::string(1, key.shift ? p.shifted : p.plain);
  }
  return {};
}

int key_from_name(std::string_view name) {
  std::string lower = platform::ascii_lower(name);
  if (lower.size() == 1 && std::isdigit(static_cast<unsigned char>(lower[0]))) {
    return vk::Key0 + (lower[0] - '0');
  }
  if (lower.size() == 1 && lower[0] >= 'a' && lower[0] <= 'z') return vk::KeyA + (lower[0] - 'a');
  if (lower.size() == 7 && lower.starts_with("numpad") && std::isdigit((unsigned char)lower[6])) {
    return vk::Numpad0 + (lower[6] - '0');
  }
  if (lower.starts_with("0x") && lower.size() > 2) {
    int code = 0;
    auto [end, ec] = std::from_chars(lower.data() + 2, lower.data() + lower.size(), code, 16);
    if (ec == std::errc() && end == lower.data() + lower.size() && code > 0 && code < 256) {
      return code;
    }
    return 0;
  }
  static const std::pair<const char*, int> kNames[] = {
      {"back", vk::Back},     {"backspace", vk::Back}, {"delete", vk::Delete}, {"tab", vk::Tab},
      {"return", vk::Return}, {"enter", vk::Return},   {"escape", vk::Escape}, {"space", vk::Space},
      {"left", vk::Left},     {"right", vk::Right},    {"up", vk::Up},         {"down", vk::Down},
      {"home", vk::Home},     {"end", vk::End},
  };
  for (const auto& [n, code] : kNames) {
    if (lower == n) return code;
  }
  return 0;
}

}  // namespace ui
