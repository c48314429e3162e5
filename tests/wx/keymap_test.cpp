// wx key codes as the virtual-key codes dialog handlers see, and typed characters as UTF-8.
#include "ui/wx/keymap.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

#include "ui/keys.h"

namespace {

using ui::wx::typed_character;
using ui::wx::virtual_key;

TEST(WxKeymap, KeypadAndMainKeyboardDigitsStayApart) {
  // The position edits' filter lets keypad digits through and reacts to every other key.
  EXPECT_EQ(virtual_key(WXK_NUMPAD0), ui::vk::Numpad0);
  EXPECT_EQ(virtual_key(WXK_NUMPAD9), ui::vk::Numpad9);
  EXPECT_EQ(virtual_key('0'), ui::vk::Key0);
  EXPECT_EQ(virtual_key('7'), ui::vk::Key0 + 7);
}

TEST(WxKeymap, LettersOfEitherCaseAreTheirUpperCaseKey) {
  EXPECT_EQ(virtual_key('A'), ui::vk::KeyA);
  EXPECT_EQ(virtual_key('z'), ui::vk::KeyA + 25);
}

TEST(WxKeymap, DialogAndEditingKeysMapToTheirWindowsCodes) {
  EXPECT_EQ(virtual_key(WXK_TAB), ui::vk::Tab);
  EXPECT_EQ(virtual_key(WXK_RETURN), ui::vk::Return);
  EXPECT_EQ(virtual_key(WXK_NUMPAD_ENTER), ui::vk::Return);
  EXPECT_EQ(virtual_key(WXK_ESCAPE), ui::vk::Escape);
  EXPECT_EQ(virtual_key(WXK_BACK), ui::vk::Back);
  EXPECT_EQ(virtual_key(WXK_DELETE), ui::vk::Delete);
  EXPECT_EQ(virtual_key(WXK_SHIFT), ui::vk::Shift);
  EXPECT_EQ(virtual_key(WXK_LEFT), ui::vk::Left);
  EXPECT_EQ(virtual_key(WXK_F1), ui::vk::F1);
  EXPECT_EQ(virtual_key(','), ui::vk::OemComma);
  EXPECT_EQ(virtual_key(WXK_NUMPAD_SUBTRACT), ui::vk::Subtract);
}

TEST(WxKeymap, KeysWithoutACodeReachNoHandler) {
  EXPECT_EQ(virtual_key(WXK_NONE), 0);
  EXPECT_EQ(virtual_key(WXK_MENU), 0);
  // A character beyond the keyboard comes from an input method.
  EXPECT_EQ(virtual_key(WXK_NONE, 0x4E2D), ui::vk::ProcessKey);
  EXPECT_EQ(virtual_key(0xE9), ui::vk::ProcessKey);
}

TEST(WxKeymap, TypedCharactersBecomeUtf8AndControlCharactersNothing) {
  EXPECT_EQ(typed_character('a'), "a");
  EXPECT_EQ(typed_character(0xE9), "\xC3\xA9");
  EXPECT_EQ(typed_character(0x4E2D), "中");
  EXPECT_EQ(typed_character(0x1F600), "\xF0\x9F\x98\x80");
  EXPECT_EQ(typed_character('\t'), "");
  EXPECT_EQ(typed_character(0x7F), "");
  EXPECT_EQ(typed_character(0xD800), "");
}

}  // namespace
