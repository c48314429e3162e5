// Controls as a person and as code use them: key filters, pastes, selections, enabling rules,
// tab order, page visibility, grid edits, and the notifications a backend relies on.
#include <gtest/gtest.h>

#include <utility>

#include "platform/error.h"
#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/label_image_panel.h"
#include "ui/memo_progress.h"
#include "ui/pages.h"
#include "ui/table_grid.h"

namespace {

// Records every change a backend would be told of.
struct Recorder : ui::Observer {
  std::vector<std::pair<std::string, ui::Change>> seen;
  void form_changed(ui::Form& f, ui::Change what) override { seen.emplace_back(f.name(), what); }
  void control_changed(ui::Control& c, ui::Change what) override {
    seen.emplace_back(c.name(), what);
  }
  void action_changed(ui::Action& a, ui::Change what) override {
    seen.emplace_back(a.name(), what);
  }
  bool saw(const std::string& name, ui::Change what) const {
    for (const auto& [n, w] : seen) {
      if (n == name && w == what) return true;
    }
    return false;
  }
};

// The position-edit filter dialogs use: any key but a keypad digit switches digits-only on.
void digits_after_first_key(ui::Edit& edit, ui::KeyEvent& key) {
  if (key.key >= ui::vk::Numpad0 && key.key <= ui::vk::Numpad9) return;
  edit.set_style(edit.style() | ui::Edit::kNumber);
}

struct Sample : ui::Form {
  ui::Panel Panel1{*this, "Panel1"};
  ui::Edit EdB{*this, "EdB", &Panel1};
  ui::Edit EdA{*this, "EdA", &Panel1};
  ui::ComboBox Combo{*this, "Combo"};
  ui::Button BuGo{*this, "BuGo"};
  ui::Memo Log{*this, "Log"};
  ui::ProgressBar Bar{*this, "Bar"};
  ui::Action ActGo{*this, "ActGo"};
  bool allowed = false;
  int runs = 0;

  Sample() : Form("TSample") {
    Panel1.set_tab_order(1);
    EdA.set_tab_order(0);
    EdB.set_tab_order(1);
    Combo.set_tab_order(0);
    BuGo.set_tab_order(2);
    EdA.on_key_down = digits_after_first_key;
    ActGo.set_caption("Go");
    ActGo.on_update = [this](ui::Action& a) { a.set_enabled(allowed); };
    ActGo.on_execute = [this](ui::Action&) { ++runs; };
    BuGo.set_action(&ActGo);
    create();
  }
};

}  // namespace

TEST(Edit, FirstNonKeypadKeySwitchesDigitsOnlyBeforeItsCharacterArrives) {
  Sample f;
  EXPECT_TRUE(f.EdA.press_key({{ui::vk::Numpad0 + 4}, "4"}));
  EXPECT_FALSE(f.EdA.digits_only());
  f.EdA.type_text("x7y");
  EXPECT_EQ(f.EdA.text(), "47");
  EXPECT_TRUE(f.EdA.digits_only());
  // Without a filter, letters go in; Back removes a whole UTF-8 character.
  f.EdB.type_text("a中");
  EXPECT_EQ(f.EdB.text(), "a中");
  f.EdB.press_key({{ui::vk::Back}, ""});
  EXPECT_EQ(f.EdB.text(), "a");
}

TEST(Edit, PasteBypassesDigitsOnlyButNotReadOnlyOrDisabled) {
  Sample f;
  f.EdA.set_style(ui::Edit::kNumber);
  EXPECT_TRUE(f.EdA.paste_text(" 1a"));
  EXPECT_EQ(f.EdA.text(), " 1a");
  f.EdA.set_read_only(true);
  EXPECT_FALSE(f.EdA.paste_text("2"));
  EXPECT_FALSE(f.EdA.clear_text());
  f.EdB.set_enabled(false);
  EXPECT_FALSE(f.EdB.type_text("q"));
  f.EdB.set_enabled(true);
  f.Panel1.set_visible(false);  // hidden with its container
  EXPECT_FALSE(f.EdB.type_text("q"));
  EXPECT_EQ(f.EdB.text(), "");
}

TEST(Edit, KeyPreviewSeesKeysFirstAndMaySwallowThem) {
  Sample f;
  f.set_key_preview(true);
  f.on_key_down = [](ui::Form&, ui::KeyEvent& key) {
    if (key.key == ui::vk::KeyA + 25) key.key = 0;  // 'z'
  };
  f.EdB.type_text("zaz");
  EXPECT_EQ(f.EdB.text(), "a");
  EXPECT_EQ(f.EdB.max_length(), 0);
  f.EdB.set_max_length(2);
  f.EdB.type_text("bc");
  EXPECT_EQ(f.EdB.text(), "ab");
}

TEST(ComboBox, CodeSelectsSilentlyWhileAPersonsChoiceFiresChange) {
  Sample f;
  int changes = 0;
  f.Combo.on_change = [&](ui::ComboBox&) { ++changes; };
  f.Combo.set_items({"不选择", "Sheet1$", "Sheet2$"});
  EXPECT_EQ(f.Combo.item_index(), -1);
  f.Combo.set_item_index(2);
  EXPECT_EQ(f.Combo.text(), "Sheet2$");
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(f.Combo.choose_text("Sheet1$"));
  EXPECT_EQ(f.Combo.item_index(), 1);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(f.Combo.choose(3));
  EXPECT_FALSE(f.Combo.choose_text("Sheet9$"));
  // Typing in the edit field selects only an exact match.
  f.Combo.clear_items();
  f.Combo.set_items({"ab", "abc"});
  f.Combo.type_text("ab");
  EXPECT_EQ(f.Combo.item_index(), 0);
  f.Combo.type_text("x");
  EXPECT_EQ(f.Combo.item_index(), -1);
  EXPECT_EQ(f.Combo.text(), "abx");
  f.Combo.set_style(ui::ComboBox::Style::DropDownList);
  EXPECT_FALSE(f.Combo.type_text("y"));
}

TEST(Action, BoundButtonIsRefusedWhileTheEnablingRuleSaysNo) {
  Sample f;
  EXPECT_EQ(f.BuGo.caption(), "Go");
  EXPECT_FALSE(f.BuGo.click());
  EXPECT_FALSE(f.BuGo.enabled());
  EXPECT_FALSE(f.ActGo.invoke());
  EXPECT_EQ(f.runs, 0);
  f.allowed = true;
  EXPECT_TRUE(f.BuGo.click());
  EXPECT_TRUE(f.ActGo.invoke());
  EXPECT_EQ(f.runs, 2);
  EXPECT_TRUE(f.BuGo.enabled());
}

TEST(Button, ModalResultReachesTheFormAfterTheClickHandler) {
  Sample f;
  ui::Button ok{f, "BuOk"};
  ui::ModalResult seen = ui::ModalResult::Abort;
  ok.on_click = [&](ui::Button&) { seen = f.modal_result(); };
  ok.set_modal_result(ui::ModalResult::Ok);
  EXPECT_TRUE(ok.click());
  EXPECT_EQ(seen, ui::ModalResult::None);
  EXPECT_EQ(f.modal_result(), ui::ModalResult::Ok);
}

TEST(Form, TabSequenceEntersContainersAndOpeningFocusesItsFirstEntry) {
  Sample f;
  std::vector<std::string> names;
  for (ui::Control* c : f.tab_sequence()) names.push_back(c->name());
  // Combo (0), Panel1 (1) holding EdA (0) and EdB (1), BuGo (2); the memo defaults to 0.
  EXPECT_EQ(names, (std::vector<std::string>{"Combo", "Log", "EdA", "EdB", "BuGo"}));
  f.Combo.set_visible(false);
  f.Log.set_enabled(false);
  f.begin_modal();
  EXPECT_EQ(f.focused(), &f.EdA);
}

TEST(Form, CloseQueryMayRefuseAndTheResultIsThenCleared) {
  Sample f;
  bool allow = false;
  int closed = 0;
  f.on_close_query = [&](ui::Form&) { return allow; };
  f.on_close = [&](ui::Form&) { ++closed; };
  f.begin_modal();
  f.close();
  EXPECT_EQ(f.modal_result(), ui::ModalResult::Cancel);
  EXPECT_FALSE(f.settle_close());
  EXPECT_FALSE(f.close_pending());
  allow = true;
  f.set_modal_result(ui::ModalResult::Ok);
  f.close();  // keeps the result already set
  EXPECT_TRUE(f.settle_close());
  EXPECT_EQ(f.modal_result(), ui::ModalResult::Ok);
  EXPECT_EQ(closed, 1);
  f.set_height(510);
  EXPECT_EQ(f.height(), 510);
  EXPECT_EQ(f.client_height(), 510 - ui::Form::kFrameHeight);
}

TEST(Memo, LineBreaksInAddedTextMakeSeveralLinesAndEveryChangeIsReported) {
  Sample f;
  int changes = 0;
  f.Log.on_change = [&](ui::Memo& m) { changes = static_cast<int>(m.lines().size()); };
  f.Log.add_line("first\r\nsecond");
  f.Log.add_line("third");
  EXPECT_EQ(f.Log.lines(), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(f.Log.text(), "first\r\nsecond\r\nthird\r\n");
  f.Log.set_text("a\nb\n");
  EXPECT_EQ(f.Log.lines(), (std::vector<std::string>{"a", "b"}));
  f.Log.type_text("c\nd");
  EXPECT_EQ(f.Log.lines(), (std::vector<std::string>{"a", "bc", "d"}));
  f.Log.clear();
  EXPECT_EQ(changes, 0);
  f.Log.set_read_only(true);
  EXPECT_FALSE(f.Log.type_text("x"));
}

TEST(ProgressBar, PositionStaysInsideItsRange) {
  Sample f;
  f.Bar.set_range(0, 13);
  f.Bar.step_by(20);
  EXPECT_EQ(f.Bar.position(), 13);
  f.Bar.set_max(5);
  EXPECT_EQ(f.Bar.position(), 5);
  f.Bar.set_position(-1);
  EXPECT_EQ(f.Bar.position(), 0);
}

TEST(PageControl, OnlyTheActivePagesControlsAreShowing) {
  ui::Form f("TPages");
  ui::PageControl pages{f, "Pages"};
  ui::Page one{f, "TabOne", pages};
  ui::Page two{f, "TabTwo", pages};
  ui::Edit on_two{f, "EdTwo", &two};
  two.set_caption("错误日志");
  EXPECT_EQ(pages.active_page(), &one);
  EXPECT_FALSE(on_two.showing());
  EXPECT_FALSE(on_two.type_text("x"));
  int changes = 0;
  pages.on_change = [&](ui::PageControl&) { ++changes; };
  pages.set_active_page(two);  // by code: no event
  EXPECT_TRUE(on_two.showing());
  EXPECT_TRUE(pages.choose_page(0));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(pages.describe(), "active=\"\"");
}

TEST(DataGrid, PersonEditsOnlyWritableColumnsOfExistingRows) {
  ui::Form f("TGrid");
  ui::DataGrid grid{f, "DataViewGrid"};
  grid.table().set_fields({"destField", "destFieldName", "sourceField"});
  grid.add_column({"目标字段名", "destField", 160, true, {}});
  grid.add_column({"Excel字段名", "sourceField", 160, false, {}});
  grid.set_pick_list(1, {"姓名", "金额"});
  grid.table().append_row({"姓名", "NAME", ""});
  grid.table().append_row({"金额"});
  std::size_t edited_row = 99;
  grid.on_cell_edited = [&](ui::DataGrid&, std::size_t row, std::size_t) { edited_row = row; };
  EXPECT_FALSE(grid.edit_cell(0, 0, "x"));        // read-only column
  EXPECT_FALSE(grid.edit_cell(2, 1, "x"));        // no such row
  EXPECT_TRUE(grid.edit_cell(1, 1, "别的名字"));  // not in the pick list: allowed
  EXPECT_EQ(edited_row, 1u);
  EXPECT_EQ(grid.table().value(1, "sourceField"), "别的名字");
  EXPECT_EQ(grid.current_row(), 1);
  EXPECT_EQ(grid.describe(),
            "columns=[\"目标字段名\",\"Excel字段名\"] pick1=[\"姓名\",\"金额\"] "
            "rows=[[\"姓名\",\"\"],[\"金额\",\"别的名字\"]] current=1,1 focus");
  EXPECT_THROW(grid.table().value(0, "nope"), platform::Error);
  EXPECT_THROW(grid.table().value(5, 0u), platform::Error);
}

TEST(Observer, BackendIsToldOfEveryKindOfStateChange) {
  Sample f;
  Recorder r;
  f.set_observer(&r);
  f.EdB.type_text("1");
  f.EdA.press_key({{ui::vk::KeyA}, "a"});
  f.Combo.set_items({"x"});
  f.Combo.set_item_index(0);
  f.EdB.set_enabled(false);
  f.Log.set_visible(false);
  f.Bar.set_position(3);
  f.BuGo.set_bounds({1, 2, 3, 4});
  f.update_actions();
  f.allowed = true;
  f.update_actions();
  f.set_caption("新标题");
  EXPECT_TRUE(r.saw("EdB", ui::Change::Text));
  EXPECT_TRUE(r.saw("EdA", ui::Change::Style));
  EXPECT_TRUE(r.saw("Combo", ui::Change::Items));
  EXPECT_TRUE(r.saw("Combo", ui::Change::Selection));
  EXPECT_TRUE(r.saw("EdB", ui::Change::Enabled));
  EXPECT_TRUE(r.saw("Log", ui::Change::Visible));
  EXPECT_TRUE(r.saw("Bar", ui::Change::Range));
  EXPECT_TRUE(r.saw("BuGo", ui::Change::Bounds));
  EXPECT_TRUE(r.saw("ActGo", ui::Change::Enabled));
  EXPECT_TRUE(r.saw("BuGo", ui::Change::Enabled));
  EXPECT_TRUE(r.saw("TSample", ui::Change::Caption));
  EXPECT_TRUE(r.saw("TSample", ui::Change::Focus));
}

TEST(Keys, CharactersMapToWindowsVirtualKeys) {
  EXPECT_EQ(ui::key_for_character("7").event.key, 0x37);
  EXPECT_EQ(ui::key_for_character("q").event.key, 0x51);
  EXPECT_TRUE(ui::key_for_character("Q").event.shift);
  EXPECT_EQ(ui::key_for_character("-").event.key, ui::vk::OemMinus);
  EXPECT_EQ(ui::key_for_character("中").event.key, ui::vk::ProcessKey);
  EXPECT_EQ(ui::character_for_key({ui::vk::Numpad0 + 3}), "3");
  EXPECT_EQ(ui::character_for_key({ui::vk::Delete}), "");
  EXPECT_EQ(ui::key_from_name("numpad7"), 0x67);
  EXPECT_EQ(ui::key_from_name("0x61"), 0x61);
  EXPECT_EQ(ui::key_from_name("Back"), ui::vk::Back);
  EXPECT_EQ(ui::key_from_name("numpadx"), 0);
  EXPECT_EQ(ui::key_from_name("0x1FF"), 0);
}

TEST(DataGrid, TableChangesInsideAnUpdateAreReportedOnce) {
  ui::Form f("TGrid");
  ui::DataGrid grid{f, "Grid"};
  grid.table().set_fields({"a"});
  int reports = 0;
  struct Count : ui::Observer {
    int& n;
    explicit Count(int& c) : n(c) {}
    void form_changed(ui::Form&, ui::Change) override {}
    void control_changed(ui::Control&, ui::Change what) override { n += what == ui::Change::Cells; }
    void action_changed(ui::Action&, ui::Change) override {}
  } count(reports);
  f.set_observer(&count);
  grid.table().begin_update();
  grid.table().begin_update();
  for (int i = 0; i < 5; ++i) grid.table().append_row({std::to_string(i)});
  grid.table().end_update();
  EXPECT_EQ(reports, 0);
  grid.table().end_update();
  EXPECT_EQ(reports, 1);
  grid.table().begin_update();
  grid.table().end_update();  // nothing changed: nothing to report
  EXPECT_EQ(reports, 1);
  grid.table().set_value(4, "a", "x");
  EXPECT_EQ(reports, 2);
}

TEST(Form, TabAndShiftTabWalkTheShowingEnabledControls) {
  Sample f;
  f.Log.set_enabled(false);
  f.begin_modal();
  ASSERT_EQ(f.focused(), &f.Combo);
  f.EdA.set_focus();
  f.EdA.press_key({{ui::vk::Tab}, ""});
  EXPECT_EQ(f.focused(), &f.EdB);
  f.EdB.press_key({{ui::vk::Tab, true}, ""});
  EXPECT_EQ(f.focused(), &f.EdA);
  f.BuGo.set_focus();
  f.allowed = true;
  f.update_actions();
  f.BuGo.press_key({ui::vk::Tab});
  EXPECT_EQ(f.focused(), &f.Combo);  // wraps round, skipping the disabled memo
}

TEST(Image, APictureInPixelsNeedsNoDecoding) {
  ui::Form f("TBitmap");
  ui::Image image{f, "Image1"};
  image.set_picture({411, 26, std::vector<unsigned char>(411 * 26 * 3, 200)});
  f.create();
  EXPECT_EQ(image.describe(), "picture=411x26");
}

TEST(ComboBox, TextChangedInTheWidgetSelectsOnlyAnExactMatch) {
  Sample f;
  f.Combo.set_items({"Sheet1$", "Sheet2$"});
  int changes = 0;
  f.Combo.on_change = [&](ui::ComboBox&) { ++changes; };
  EXPECT_TRUE(f.Combo.user_changed_text("Sheet2$"));
  EXPECT_EQ(f.Combo.item_index(), 1);
  EXPECT_TRUE(f.Combo.user_changed_text("sheet2$"));
  EXPECT_EQ(f.Combo.item_index(), -1);
  EXPECT_EQ(changes, 2);
}
