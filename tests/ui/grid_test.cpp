// The mapping grid's ways of moving and finding: sorting by the titles (the table keeping its
// order), incremental search, Return and Tab, as code, as a person and through a script.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/scripted_toolkit.h"
#include "ui/table_grid.h"

namespace {

using Order = std::vector<std::size_t>;

// A mapping grid as the import dialog has it: a read-only target column, an editable source
// column with a pick list, between two edits.
struct TMap : ui::Form {
  ui::Edit EdBefore{*this, "EdBefore"};
  ui::DataGrid Grid{*this, "Grid"};
  ui::Edit EdAfter{*this, "EdAfter"};
  std::vector<std::size_t> edited_rows;
  TMap() : ui::Form("TMap") {
    EdBefore.set_tab_order(0);
    Grid.set_tab_order(1);
    EdAfter.set_tab_order(2);
    Grid.table().set_fields({"destField", "sourceField"});
    Grid.add_column({"目标", "destField", 160, true, {}});
    Grid.add_column({"来源", "sourceField", 160, false, {"姓名", "金额"}});
    for (const char* dest : {"张三", "Li", "王五", "lin"}) Grid.table().append_row({dest, ""});
    Grid.on_cell_edited = [this](ui::DataGrid&, std::size_t row, std::size_t) {
      edited_rows.push_back(row);
    };
    create();
  }
  void all_options() {
    Grid.set_options({.sort_by_title = true,
                      .incremental_search = true,
                      .enter_moves_next = true,
                      .highlight_row = true});
    Grid.set_tab_stop(false);
  }
  std::vector<std::string> shown(std::size_t column) const {
    std::vector<std::string> out;
    for (std::size_t r : Grid.row_order()) out.push_back(Grid.table().row(r)[column]);
    return out;
  }
};

TEST(Table, FieldNamesIgnoreLetterCaseAndSizesRefuseLongerValues) {
  TMap f;
  ui::Table& t = f.Grid.table();
  EXPECT_EQ(t.field_index("SOURCEFIELD"), 1);
  EXPECT_EQ(t.field_index("sourceField "), -1);
  t.set_field_size("SourceField", 3);
  EXPECT_TRUE(f.Grid.edit_cell(0, 1, "金额吗"));  // characters, not bytes
  try {
    f.Grid.edit_cell(0, 1, "abcd");
    ADD_FAILURE() << "a fourth character was stored";
  } catch (const platform::Error& e) {
    EXPECT_STREQ(e.what(), "field \"sourceField\" holds at most 3 characters, not 4: \"abcd\"");
    EXPECT_EQ(e.kind(), platform::ErrorKind::Limit);
  }
  EXPECT_EQ(t.value(0, "sourceField"), "金额吗");
  EXPECT_EQ(f.edited_rows.size(), 1u);
  EXPECT_THROW(t.append_row({"x", "abcd"}), platform::Error);
  EXPECT_EQ(t.row_count(), 4u);
}

TEST(DataGridSort, TitleClicksSortTheShownRowsAndTheTableKeepsItsOrder) {
  TMap f;
  EXPECT_FALSE(f.Grid.click_title(0, false));  // off by default
  f.all_options();
  f.Grid.select_cell(1, 0);  // "Li"
  ASSERT_TRUE(f.Grid.click_title(0, false));
  // Letters in either case together; Chinese characters in pinyin order (li, wang, zhang),
  // which their Unicode order (zhang, li, wang) is not.
  EXPECT_EQ(f.shown(0), (std::vector<std::string>{"Li", "lin", "王五", "张三"}));
  EXPECT_EQ(f.Grid.current_row(), 0);  // the current cell stays on "Li"
  f.Grid.click_title(0, false);
  EXPECT_EQ(f.shown(0), (std::vector<std::string>{"张三", "王五", "lin", "Li"}));
  EXPECT_EQ(f.Grid.table().value(0, "destField"), "张三");
  EXPECT_EQ(f.Grid.table().value(1, "destField"), "Li");

  // Several columns: the source first, the target (Ctrl+click) within equal sources.
  f.Grid.table().set_value(0, "sourceField", "b");
  f.Grid.table().set_value(2, "sourceField", "b");
  f.Grid.click_title(1, false);
  f.Grid.click_title(0, true);
  EXPECT_EQ(f.Grid.sort_keys(), (std::vector<ui::DataGrid::SortKey>{{1, true}, {0, true}}));
  EXPECT_EQ(f.Grid.row_order(), (Order{1, 3, 2, 0}));  // "", "" then b, b
  f.Grid.click_title(0, true);                         // Ctrl+click again turns that key round
  EXPECT_EQ(f.Grid.row_order(), (Order{3, 1, 0, 2}));
  EXPECT_NE(f.Grid.describe().find("sort=[\"+来源\",\"-目标\"] rows=[[\"lin\",\"\"],[\"Li\",\"\"],"
                                   "[\"张三\",\"b\"],[\"王五\",\"b\"]]"),
            std::string::npos)
      << f.Grid.describe();
}

TEST(DataGridSort, EditsAndNewRowsTakeTheirPlaceInTheSortAndReachTheRightTableRow) {
  TMap f;
  f.all_options();
  f.Grid.click_title(1, false);
  f.Grid.click_title(0, true);
  ASSERT_EQ(f.Grid.row_order(), (Order{1, 3, 2, 0}));
  // The shown row 2 is the table's row 2 ("王五"); given a source it sorts last.
  ASSERT_TRUE(f.Grid.edit_cell(2, 1, "金额"));
  EXPECT_EQ(f.edited_rows, (std::vector<std::size_t>{2}));
  EXPECT_EQ(f.Grid.table().value(2, "sourceField"), "金额");
  EXPECT_EQ(f.Grid.row_order(), (Order{1, 3, 0, 2}));
  EXPECT_EQ(f.Grid.current_row(), 3);
  f.Grid.table().append_row({"Alpha", ""});
  EXPECT_EQ(f.Grid.row_order(), (Order{4, 1, 3, 0, 2}));
  EXPECT_EQ(f.Grid.current_row(), 4);  // still on the edited row
  f.Grid.set_sort_keys({});
  EXPECT_EQ(f.Grid.row_order(), (Order{0, 1, 2, 3, 4}));
}

TEST(DataGridSearch, TypingInAReadOnlyColumnFindsRowsAndEditableCellsAreLeftToEditing) {
  TMap f;
  EXPECT_FALSE(f.Grid.type_text("l"));  // off by default
  f.all_options();
  f.Grid.select_cell(0, 0);
  ASSERT_TRUE(f.Grid.type_text("l"));
  EXPECT_EQ(f.Grid.current_row(), 1);  // "Li": either case
  f.Grid.type_text("in");
  EXPECT_EQ(f.Grid.current_row(), 3);  // "lin", found from the current row on
  EXPECT_EQ(f.Grid.search_text(), "lin");
  f.Grid.type_text("x");  // nothing starts with "linx": dropped
  EXPECT_EQ(f.Grid.search_text(), "lin");
  EXPECT_EQ(f.Grid.current_row(), 3);
  f.Grid.press_key({ui::vk::Back});
  EXPECT_EQ(f.Grid.search_text(), "li");
  f.Grid.type_text("王");  // nothing starts with "li王"
  EXPECT_EQ(f.Grid.search_text(), "li");
  f.Grid.press_key({ui::vk::Escape});
  EXPECT_EQ(f.Grid.search_text(), "");
  f.Grid.type_text("王");  // found past the end, from the top
  EXPECT_EQ(f.Grid.current_row(), 2);
  f.Grid.select_cell(2, 1);  // moving on ends the search
  EXPECT_EQ(f.Grid.search_text(), "");
  EXPECT_FALSE(f.Grid.type_text("a"));  // an editable cell: typing edits it
}

TEST(DataGridKeys, ReturnMovesToTheNextEditableCellAndTabSkipsTheGrid) {
  TMap f;
  f.begin_modal();
  f.Grid.select_cell(0, 1);
  f.Grid.press_key({ui::vk::Return});  // off: down the column
  EXPECT_EQ(f.Grid.current_row(), 1);
  f.all_options();
  f.Grid.select_cell(0, 0);
  f.Grid.press_key({ui::vk::Return});
  EXPECT_EQ(std::pair(f.Grid.current_row(), f.Grid.current_column()), std::pair(0, 1));
  f.Grid.press_key({ui::vk::Return});  // past the read-only column of the next row
  EXPECT_EQ(std::pair(f.Grid.current_row(), f.Grid.current_column()), std::pair(1, 1));
  f.Grid.select_cell(3, 1);
  f.Grid.press_key({ui::vk::Return});  // the last cell: stays
  EXPECT_EQ(f.Grid.current_row(), 3);

  // Tab from the grid goes on after it; from the edit before it, past it.
  f.Grid.press_key({ui::vk::Tab});
  EXPECT_EQ(f.focused(), &f.EdAfter);
  f.EdBefore.set_focus();
  f.EdBefore.press_key({{ui::vk::Tab}, ""});
  EXPECT_EQ(f.focused(), &f.EdAfter);
  f.EdAfter.press_key({{ui::vk::Tab, true}, ""});
  EXPECT_EQ(f.focused(), &f.EdBefore);
}

TEST(DataGridScript, APersonSortsSearchesMovesAndEditsThroughAScript) {
  ui::ScriptedToolkit tk({
      "click-title TMap.Grid 目标",
      "ctrl-click-title TMap.Grid 0",  // the same column again: the other way round
      "select-cell TMap.Grid 0 destField",
      "type TMap.Grid L",
      "key TMap.Grid return",
      "grid-set TMap.Grid 2 来源 \"金额\"",  // the shown row 2
      "type TMap.Grid x",                    // an editable cell: refused
      "close TMap",
  });
  ui::ScopedToolkit scope(tk);
  TMap f;
  f.all_options();
  tk.show_modal(f);
  const std::string& t = tk.transcript();
  EXPECT_NE(t.find("> ctrl-click-title TMap.Grid 0\n  = columns=[\"目标\",\"来源\"] "
                   "pick1=[\"姓名\",\"金额\"] sort=[\"-目标\"] rows=[[\"张三\",\"\"],"
                   "[\"王五\",\"\"],[\"lin\",\"\"],[\"Li\",\"\"]] current=0,0\n"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("current=2,0 search=\"L\" focus\n> key TMap.Grid return\n"), std::string::npos)
      << t;
  EXPECT_NE(t.find("[\"lin\",\"金额\"],[\"Li\",\"\"]] current=2,1 focus\n"), std::string::npos)
      << t;
  EXPECT_NE(t.find("refused type TMap.Grid (refused)"), std::string::npos) << t;
  EXPECT_EQ(f.Grid.table().value(3, "sourceField"), "金额");
}

TEST(DataGridScript, GridActionsNeedAGridAndAColumnItHas) {
  ui::ScriptedToolkit tk({"click-title TMap.Grid nope", "close TMap"});
  ui::ScopedToolkit scope(tk);
  TMap f;
  f.all_options();
  EXPECT_THROW(tk.show_modal(f), ui::ScriptError);
  EXPECT_NE(tk.transcript().find("Grid has no such column"), std::string::npos);
  EXPECT_THROW(ui::parse_script("select-cell A.G x 1\n", "s"), ui::ScriptError);
}

}  // namespace
