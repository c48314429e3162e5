// The wx toolkit with real input: X events sent through the XTest extension while a form's modal
// loop runs. Needs a display; ctest runs it under its own Xvfb (drive_windows.py under-xvfb).
#include "ui/wx/wx_toolkit.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/gauge.h>
#include <wx/grid.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "platform/error.h"
#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/memo_progress.h"
#include "ui/pages.h"
#include "ui/table_grid.h"

namespace {

using Clock = std::chrono::steady_clock;

// Plays steps from a timer inside the modal loop; a step returns true when it is done. Gives up
// (closing the form) when the steps take too long, so a broken toolkit fails instead of hanging.
class Player : public wxTimer {
 public:
  Player(ui::Form& form, std::vector<std::function<bool()>> steps)
      : form_(form), steps_(std::move(steps)), start_(Clock::now()) {
    Start(50);
  }
  bool finished() const { return next_ == steps_.size(); }
  void Notify() override {
    if (busy_) return;
    if (Clock::now() - start_ > std::chrono::seconds(15)) {
      Stop();
      timed_out_ = true;
      form_.set_modal_result(ui::ModalResult::Abort);
      return;
    }
    busy_ = true;  // a step may run a nested loop in which this timer fires again
    if (next_ < steps_.size() && steps_[next_]()) ++next_;
    busy_ = false;
  }
  bool timed_out() const { return timed_out_; }

 private:
  ui::Form& form_;
  std::vector<std::function<bool()>> steps_;
  std::size_t next_ = 0;
  Clock::time_point start_;
  bool busy_ = false;
  bool timed_out_ = false;
};

wxWindow* widget(const char* name) {
  return wxWindow::FindWindowByName(name);
}

void click(const char* name) {
  wxWindow* w = widget(name);
  ASSERT_NE(w, nullptr) << name;
  wxUIActionSimulator sim;
  wxRect r = w->GetScreenRect();
  sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
  sim.MouseClick();
}

// Without a window manager, keys go to the window under the pointer.
void point_at(const char* name) {
  wxRect r = widget(name)->GetScreenRect();
  wxUIActionSimulator sim;
  // In from outside, so the window sees the pointer enter.
  sim.MouseMove(0, 0);
  sim.MouseMove(r.x + r.width - 5, r.y + r.height - 5);
}

void key(int code, int modifiers = wxMOD_NONE) {
  wxUIActionSimulator().Char(code, modifiers);
}

// The message dialog showing now, if any.
wxMessageDialogBase* message_dialog() {
  for (wxWindow* w : wxTopLevelWindows) {
    if (auto* m = dynamic_cast<wxMessageDialogBase*>(w); m != nullptr && m->IsShown()) return m;
  }
  return nullptr;
}

class WxToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs a display (run under Xvfb)";
    if (toolkit_ == nullptr) toolkit_ = new ui::wx::WxToolkit;  // lives as long as wx does
    scope_.emplace(*toolkit_);
  }
  void TearDown() override { scope_.reset(); }
  ui::ModalResult show(ui::Form& form, std::vector<std::function<bool()>> steps) {
    Player player(form, std::move(steps));
    ui::ModalResult result = toolkit_->show_modal(form);
    EXPECT_FALSE(player.timed_out()) << "the steps did not finish";
    return result;
  }
  static ui::wx::WxToolkit* toolkit_;
  std::optional<ui::ScopedToolkit> scope_;
};
ui::wx::WxToolkit* WxToolkitTest::toolkit_ = nullptr;

struct TKeys : ui::Form {
  ui::Edit EdFirst{*this, "EdFirst"};
  ui::Edit EdSecond{*this, "EdSecond"};
  ui::Button BuOk{*this, "BuOk"};
  ui::Button BuCancel{*this, "BuCancel"};
  std::vector<std::string> focus_trail;
  TKeys() : ui::Form("TKeys") {
    set_caption("键");
    set_client_size(300, 120);
    // Declared first, but second in the tab order.
    EdFirst.set_bounds({10, 10, 100, 22});
    EdFirst.set_tab_order(1);
    EdSecond.set_bounds({10, 40, 100, 22});
    EdSecond.set_tab_order(0);
    BuOk.set_bounds({10, 80, 75, 25});
    BuOk.set_tab_order(2);
    BuOk.set_default(true);
    BuOk.set_modal_result(ui::ModalResult::Ok);
    BuCancel.set_bounds({100, 80, 75, 25});
    BuCancel.set_tab_order(3);
    BuCancel.set_cancel(true);
    BuCancel.set_modal_result(ui::ModalResult::Cancel);
    EdFirst.on_key_down = [](ui::Edit& e, ui::KeyEvent& k) {
      // A letter switches the digits-only style on before its own character arrives.
      if (k.key >= ui::vk::KeyA && k.key <= ui::vk::KeyA + 25) e.set_style(ui::Edit::kNumber);
    };
    create();
  }
};

TEST_F(WxToolkitTest, TabFollowsTheFormsOrderAndEscapePressesTheCancelButton) {
  TKeys form;
  std::vector<std::string> focus;
  auto result = show(form, {[&] {
                              if (form.focused() == nullptr) return false;
                              focus.push_back(form.focused()->name());
                              point_at("TKeys");
                              key(WXK_TAB);
                              return true;
                            },
                            [&] {
                              if (form.focused() != &form.EdFirst) return false;
                              focus.push_back(form.focused()->name());
                              key('7');
                              key('q');
                              key('8');
                              return true;
                            },
                            [&] {
                              if (form.EdFirst.text() != "78") return false;
                              key(WXK_ESCAPE);
                              return true;
                            }});
  EXPECT_EQ(result, ui::ModalResult::Cancel);
  EXPECT_EQ(focus, (std::vector<std::string>{"EdSecond", "EdFirst"}));
  EXPECT_EQ(form.EdFirst.text(), "78");
  EXPECT_TRUE(form.EdFirst.digits_only());
}

TEST_F(WxToolkitTest, ReturnInAnEditPressesTheDefaultButton) {
  TKeys form;
  auto result = show(form, {[&] {
                       if (form.focused() != &form.EdSecond) return false;
                       point_at("TKeys");
                       key(WXK_RETURN);
                       return true;
                     }});
  EXPECT_EQ(result, ui::ModalResult::Ok);
}

struct TFaulty : ui::Form {
  ui::Button BuGo{*this, "BuGo"};
  bool may_close = false;
  int close_asked = 0;
  TFaulty() : ui::Form("TFaulty") {
    set_caption("出错的窗体");
    set_client_size(200, 60);
    BuGo.set_bounds({10, 10, 80, 25});
    BuGo.on_click = [](ui::Button&) { throw platform::Error("第3行: 数据不对"); };
    on_close_query = [this](ui::Form&) {
      ++close_asked;
      return may_close;
    };
    create();
  }
};

TEST_F(WxToolkitTest, AHandlersFailureIsShownAndTheFormAsksBeforeClosing) {
  TFaulty form;
  std::string title, text;
  auto result = show(form, {[] {
                              click("BuGo");
                              return true;
                            },
                            [&] {
                              wxMessageDialogBase* box = message_dialog();
                              if (box == nullptr) return false;
                              title = std::string(box->GetTitle().utf8_str());
                              text = std::string(box->GetMessage().utf8_str());
                              key(WXK_RETURN);
                              return true;
                            },
                            [&] {
                              if (message_dialog() != nullptr) return false;
                              // The close box: the form refuses once, then lets go.
                              widget("TFaulty")->Close();
                              return true;
                            },
                            [&] {
                              if (form.close_asked < 1) return false;
                              EXPECT_TRUE(widget("TFaulty")->IsShown());
                              form.may_close = true;
                              widget("TFaulty")->Close();
                              return true;
                            }});
  EXPECT_EQ(result, ui::ModalResult::Cancel);
  EXPECT_EQ(title, "出错的窗体");
  EXPECT_EQ(text, "第3行: 数据不对");
  EXPECT_EQ(form.close_asked, 2);
}

struct TLoop : ui::Form {
  ui::Button BuRun{*this, "BuRun"};
  ui::Button BuStop{*this, "BuStop"};
  bool stopped = false;
  int rounds = 0;
  TLoop() : ui::Form("TLoop") {
    set_caption("循环");
    set_client_size(300, 100);
    BuRun.set_caption("运行");
    BuRun.set_bounds({10, 10, 80, 25});
    BuStop.set_caption("停止");
    BuStop.set_bounds({100, 10, 80, 25});
    BuRun.on_click = [this](ui::Button&) {
      auto until = Clock::now() + std::chrono::seconds(20);
      while (!stopped && Clock::now() < until) {
        ++rounds;
        ui::toolkit().process_messages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    };
    BuStop.on_click = [this](ui::Button&) { stopped = true; };
    create();
  }
};

TEST_F(WxToolkitTest, AStopButtonWorksWhileAHandlerLoopsProcessingMessages) {
  TLoop form;
  bool clicked_stop = false;
  show(form, {[] {
                click("BuRun");
                return true;
              },
              [&] {
                // Only once the loop runs: the click above is still being handled.
                if (form.rounds < 5) return false;
                click("BuStop");
                clicked_stop = true;
                return true;
              },
              [&] {
                if (!form.stopped) return false;
                form.close();
                return true;
              }});
  EXPECT_TRUE(clicked_stop);
  EXPECT_TRUE(form.stopped);
}

// A loop that marks its form busy, as an import run does, stepping a progress bar.
struct TBusyLoop : ui::Form {
  ui::Button BuRun{*this, "BuRun"};
  ui::Button BuStop{*this, "BuStop"};
  ui::Button BuClose{*this, "BuClose"};
  ui::ProgressBar Progress{*this, "Progress"};
  bool stopped = false;
  bool loop_done = false;
  bool close_queried_after_loop = false;
  int rounds = 0;
  TBusyLoop() : ui::Form("TBusyLoop") {
    set_caption("忙");
    set_client_size(300, 100);
    BuRun.set_bounds({10, 10, 80, 25});
    BuStop.set_bounds({100, 10, 80, 25});
    BuClose.set_bounds({190, 10, 80, 25});
    Progress.set_bounds({10, 50, 280, 20});
    Progress.set_range(0, 1000000);
    BuRun.on_click = [this](ui::Button&) {
      BusyScope busy(*this);
      auto until = Clock::now() + std::chrono::seconds(20);
      while (!stopped && Clock::now() < until) {
        Progress.set_position(++rounds);
        ui::toolkit().process_messages();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      loop_done = true;
    };
    BuStop.on_click = [this](ui::Button&) { stopped = true; };
    // As a dialog's close button does during a run: stop it, then ask to close.
    BuClose.on_click = [this](ui::Button&) {
      stopped = true;
      close();
    };
    on_close_query = [this](ui::Form&) {
      close_queried_after_loop = loop_done;
      return true;
    };
    create();
  }
};

TEST_F(WxToolkitTest, ABusyFormsWidgetsCatchUpAtIdleTime) {
  TBusyLoop form;
  int shown_at_end = -1;
  show(form, {[] {
                click("BuRun");
                return true;
              },
              [&] {
                if (form.rounds < 50) return false;
                click("BuStop");
                return true;
              },
              [&] {
                if (!form.loop_done) return false;
                shown_at_end = static_cast<wxGauge*>(widget("Progress"))->GetValue();
                form.close();
                return true;
              }});
  EXPECT_EQ(shown_at_end, form.rounds);
}

TEST_F(WxToolkitTest, ACloseAskedForWhileBusyIsSettledOnceTheLoopHasReturned) {
  TBusyLoop form;
  show(form, {[] {
                click("BuRun");
                return true;
              },
              [&] {
                if (form.rounds < 50) return false;
                click("BuClose");
                return true;
              }});
  EXPECT_TRUE(form.loop_done);
  EXPECT_TRUE(form.close_queried_after_loop);
}

struct TImport : ui::Form {
  ui::PageControl Pages{*this, "Pages"};
  ui::Page PageMap{*this, "PageMap", Pages};
  ui::Page PageLog{*this, "PageLog", Pages};
  ui::DataGrid Grid{*this, "Grid", &PageMap};
  ui::Memo Log{*this, "Log", &PageLog};
  ui::ProgressBar Progress{*this, "Progress"};
  std::vector<std::string> edits;
  int page_changes = 0;
  TImport() : ui::Form("TImport") {
    set_caption("导入");
    set_client_size(420, 300);
    Pages.set_bounds({0, 0, 420, 250});
    PageMap.set_caption("对应");
    PageLog.set_caption("日志");
    Grid.set_align(ui::Align::Client);
    Grid.table().set_fields({"dest", "source"});
    Grid.add_column({"目标", "dest", 120, true, {}});
    Grid.add_column({"来源", "source", 120, false, {"A", "B"}});
    Grid.table().append_row({"客户编号", "A"});
    Grid.table().append_row({"客户名称", ""});
    Log.set_align(ui::Align::Client);
    Progress.set_bounds({10, 260, 400, 20});
    Progress.set_range(0, 10);
    Grid.on_cell_edited = [this](ui::DataGrid& g, std::size_t row, std::size_t col) {
      edits.push_back(g.table().value(row, col));
    };
    Pages.on_change = [this](ui::PageControl&) { ++page_changes; };
    create();
  }
};

TEST_F(WxToolkitTest, GridsMemosProgressAndPagesFollowTheirControlsBothWays) {
  TImport form;
  auto grid = [] { return static_cast<wxGrid*>(widget("Grid")); };
  std::string cell_before, cell_after, memo_text;
  int gauge_value = -1;
  show(form, {[&] {
                if (grid() == nullptr || !grid()->IsShownOnScreen()) return false;
                cell_before = std::string(grid()->GetCellValue(0, 0).utf8_str());
                // Code changes reach the widgets.
                form.Grid.table().set_value(1, "dest", "客户账号");
                form.Log.add_line("第2行: 金额不对");
                form.Progress.set_position(4);
                cell_after = std::string(grid()->GetCellValue(1, 0).utf8_str());
                memo_text =
                    std::string(static_cast<wxTextCtrl*>(widget("Log"))->GetValue().utf8_str());
                gauge_value = static_cast<wxGauge*>(widget("Progress"))->GetValue();
                // A person types into the editable column's second row.
                wxRect cell = grid()->CellToRect(1, 1);
                wxPoint at = grid()->GetGridWindow()->ClientToScreen(
                    grid()->CalcScrolledPosition(cell.GetPosition()));
                wxUIActionSimulator sim;
                sim.MouseMove(0, 0);
                sim.MouseMove(at.x + cell.width / 2, at.y + cell.height / 2);
                sim.MouseClick();
                return true;
              },
              [&] {
                if (grid()->GetGridCursorRow() != 1 || grid()->GetGridCursorCol() != 1)
                  return false;
                wxUIActionSimulator sim;
                // Not in the pick list: typing other text stays allowed.
                sim.Text("Z");
                sim.Char(WXK_RETURN);
                return true;
              },
              [&] {
                if (form.edits.empty()) return false;
                static_cast<wxNotebook*>(widget("Pages"))->SetSelection(1);
                return true;
              },
              [&] {
                if (form.Pages.active_index() != 1) return false;
                form.close();
                return true;
              }});
  EXPECT_EQ(cell_before, "客户编号");
  EXPECT_EQ(cell_after, "客户账号");
  EXPECT_EQ(memo_text, "第2行: 金额不对");
  EXPECT_EQ(gauge_value, 4);
  EXPECT_EQ(form.edits, (std::vector<std::string>{"Z"}));
  EXPECT_EQ(form.Grid.table().value(1, "source"), "Z");
  EXPECT_EQ(form.page_changes, 1);
}

// A mapping grid with every option on, between two edits; Tab skips it. Sources hold one
// character.
struct TSorted : ui::Form {
  ui::Edit EdBefore{*this, "EdBefore"};
  ui::DataGrid Grid{*this, "Grid"};
  ui::Edit EdAfter{*this, "EdAfter"};
  TSorted() : ui::Form("TSorted") {
    set_caption("排序");
    set_client_size(400, 260);
    EdBefore.set_bounds({10, 10, 100, 22});
    Grid.set_bounds({10, 40, 380, 170});
    EdAfter.set_bounds({10, 220, 100, 22});
    Grid.table().set_fields({"dest", "source"});
    Grid.add_column({"目标", "dest", 150, true, {}});
    Grid.add_column({"来源", "source", 150, false, {"A", "B"}});
    for (const char* dest : {"delta", "Alpha", "charlie", "Bravo"}) {
      Grid.table().append_row({dest, ""});
    }
    Grid.set_options({.sort_by_title = true,
                      .incremental_search = true,
                      .enter_moves_next = true,
                      .highlight_row = true});
    Grid.set_tab_stop(false);
    Grid.table().set_field_size("source", 1);
    create();
  }
};

void click_at(wxWindow* window, wxPoint client, int modifiers = wxMOD_NONE) {
  wxPoint at = window->ClientToScreen(client);
  wxUIActionSimulator sim;
  sim.MouseMove(0, 0);
  sim.MouseMove(at);
  if (modifiers & wxMOD_CONTROL) sim.KeyDown(WXK_CONTROL);
  sim.MouseClick();
  if (modifiers & wxMOD_CONTROL) sim.KeyUp(WXK_CONTROL);
}

void click_title(wxGrid* grid, int col, int modifiers = wxMOD_NONE) {
  wxRect cell = grid->CellToRect(0, col);
  int x = grid->CalcScrolledPosition(cell.GetPosition()).x + cell.width / 2;
  click_at(grid->GetGridColLabelWindow(), {x, grid->GetColLabelSize() / 2}, modifiers);
}

void click_cell(wxGrid* grid, int row, int col) {
  wxRect cell = grid->CellToRect(row, col);
  click_at(grid->GetGridWindow(), grid->CalcScrolledPosition(cell.GetPosition()) +
                                      wxPoint(cell.width / 2, cell.height / 2));
}

TEST_F(WxToolkitTest, GridTitlesSortTypingSearchesReturnMovesOnAndTabLeaves) {
  TSorted form;
  auto grid = [] { return static_cast<wxGrid*>(widget("Grid")); };
  auto cell = [&](int row, int col) {
    return std::string(grid()->GetCellValue(row, col).utf8_str());
  };
  auto cursor = [&] { return std::pair(grid()->GetGridCursorRow(), grid()->GetGridCursorCol()); };
  std::string first_after_sort, title_after_sort, second_title;
  bool highlighted = false;
  show(form, {[&] {
                if (grid() == nullptr || !grid()->IsShownOnScreen()) return false;
                click_title(grid(), 0);
                return true;
              },
              [&] {
                if (form.Grid.sort_keys().size() != 1) return false;
                first_after_sort = cell(0, 0);
                title_after_sort = std::string(grid()->GetColLabelValue(0).utf8_str());
                click_cell(grid(), 0, 0);
                return true;
              },
              [&] {
                if (form.focused() != &form.Grid) return false;
                key('c');
                return true;
              },
              [&] {
                // "charlie" is the third row shown.
                if (cursor() != std::pair(2, 0)) return false;
                key(WXK_RETURN);
                return true;
              },
              [&] {
                if (cursor() != std::pair(2, 1)) return false;
                wxUIActionSimulator sim;
                sim.Text("ZY");  // one character more than the field holds
                sim.Char(WXK_RETURN);
                return true;
              },
              [&] {
                if (cursor() != std::pair(3, 1)) return false;
                highlighted = grid()->IsInSelection(3, 0);
                click_title(grid(), 1, wxMOD_CONTROL);
                return true;
              },
              [&] {
                if (form.Grid.sort_keys().size() != 2) return false;
                second_title = std::string(grid()->GetColLabelValue(1).utf8_str());
                click_cell(grid(), 1, 0);
                return true;
              },
              [&] {
                if (cursor() != std::pair(1, 0)) return false;
                key(WXK_TAB);
                return true;
              },
              [&] {
                if (form.focused() != &form.EdAfter) return false;
                form.close();
                return true;
              }});
  EXPECT_EQ(first_after_sort, "Alpha");
  EXPECT_EQ(title_after_sort, "目标 \u25B2");
  EXPECT_EQ(second_title, "来源 \u25B22");
  EXPECT_TRUE(highlighted);
  // The typed source reached "charlie", the table's third row; the table kept its order.
  EXPECT_EQ(form.Grid.table().value(2, "source"), "Z");
  EXPECT_EQ(form.Grid.table().value(0, "dest"), "delta");
}

// A mapping grid with a pick list and a button whose handler reads what the grid's table holds.
struct TPending : ui::Form {
  ui::DataGrid Grid{*this, "Grid"};
  ui::Button BuRead{*this, "BuRead"};
  std::string read;
  TPending() : ui::Form("TPending") {
    set_caption("未完");
    set_client_size(400, 240);
    Grid.set_bounds({10, 10, 380, 170});
    BuRead.set_bounds({10, 200, 75, 25});
    Grid.table().set_fields({"dest", "source"});
    Grid.add_column({"目标", "dest", 150, true, {}});
    Grid.add_column({"来源", "source", 150, false, {"A", "B"}});
    Grid.table().append_row({"客户编号", ""});
    BuRead.on_click = [this](ui::Button&) {
      Grid.post_pending_edit();
      read = Grid.table().value(0, "source");
    };
    create();
  }
};

TEST_F(WxToolkitTest, TextLeftInACellEditorIsPostedWhenAHandlerAsksForIt) {
#ifdef _WIN32
  // Under wine the click that takes the focus from the open cell editor is lost and the text
  // typed into it is not kept. Only Gridport's mapping grid edits cells, and Gridport is not
  // built for Windows yet.
  GTEST_SKIP() << "an open cell editor and a click elsewhere: not yet right on Windows";
#endif
  TPending form;
  auto grid = [] { return static_cast<wxGrid*>(widget("Grid")); };
  show(form, {[&] {
                if (grid() == nullptr || !grid()->IsShownOnScreen()) return false;
                click_cell(grid(), 0, 1);
                return true;
              },
              [&] {
                if (grid()->GetGridCursorCol() != 1) return false;
                wxUIActionSimulator().Text("Q");
                return true;
              },
              [&] {
                if (!grid()->IsCellEditControlEnabled()) return false;
                // Pressed and released at once: no idle time between them.
                click("BuRead");
                return true;
              },
              [&] {
                if (form.read.empty() && grid()->IsCellEditControlEnabled()) return false;
                form.close();
                return true;
              }});
  EXPECT_EQ(form.read, "Q");
  EXPECT_EQ(form.Grid.table().value(0, "source"), "Q");
}

}  // namespace
