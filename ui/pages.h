// Tabbed pages: the page control and its pages.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/control.h"

namespace ui {

class Page;

// Tabbed pages; exactly one page is active once there is a page.
class PageControl : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "pages"; }
  std::string describe() const override;
  bool is_container() const override { return true; }
  bool focusable() const override { return true; }

  const std::vector<Page*>& pages() const { return pages_; }
  int active_index() const { return active_; }
  Page* active_page() const;
  void set_active_index(int index);
  void set_active_page(Page& page);

  std::function<void(PageControl&)> on_change;

  // --- user input ---
  // Clicks a page's tab; fires on_change. False when refused or out of range.
  bool choose_page(int index);

 private:
  friend class Page;
  void add_page(Page* page);
  std::vector<Page*> pages_;
  int active_ = -1;
};

// One page of a page control; its controls name it as their parent.
class Page : public Control {
 public:
  Page(Form& form, std::string name, PageControl& owner);
  const char* kind() const override { return "page"; }
  std::string describe() const override;
  bool is_container() const override { return true; }
  bool showing() const override;

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);
  PageControl& owner() const { return owner_; }

 private:
  PageControl& owner_;
  std::string caption_;
};

}  // namespace ui
