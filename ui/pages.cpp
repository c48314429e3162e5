// The page control and its pages: state, tab clicks and transcript notation.
#include "ui/pages.h"

#include <algorithm>
#include <string>
#include <utility>

#include "ui/quote.h"

namespace ui {

// --- PageControl and Page ---

std::string PageControl::describe() const {
  Page* page = active_page();
  return "active=" + quote(page != nullptr ? page->caption() : "") + describe_flags();
}

Page* PageControl::active_page() const {
  return active_ < 0 ? nullptr : pages_[std::size_t(active_)];
}

void PageControl::set_active_index(int index) {
  if (index < 0 || std::size_t(index) >= pages_.size() || index == active_) return;
  active_ = index;
  notify(Change::ActivePage);
}

void PageControl::set_active_page(Page& page) {
  auto it = std::find(pages_.begin(), pages_.end(), &page);
  if (it != pages_.end()) set_active_index(static_cast<int>(it - pages_.begin()));
}

bool PageControl::choose_page(int index) {
  if (!showing() || !usable() || index < 0 || std::size_t(index) >= pages_.size()) return false;
  set_active_index(index);
  if (on_change) on_change(*this);
  return true;
}

void PageControl::add_page(Page* page) {
  pages_.push_back(page);
  if (active_ < 0) active_ = 0;
}

Page::Page(Form& form, std::string name, PageControl& owner)
    : Control(form, std::move(name), &owner), owner_(owner) {
  owner_.add_page(this);
}

std::string Page::describe() const {
  return "caption=" + quote(caption_) + describe_flags();
}

bool Page::showing() const {
  return visible() && owner_.active_page() == this && owner_.showing();
}

void Page::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

}  // namespace ui
