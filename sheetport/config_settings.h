// What the configuration dialog shows, checks and saves, apart from its controls: the entries as
// texts, the checks in their order with their messages, and the ordered writes of a save.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/profile.h"

namespace sheetport {

// The dialog's entries as texts. positions follow field_specs() order: customer number, name,
// account, amount, document type, document number, province/city code.
struct ConfigEntries {
  std::string start_row;
  std::array<std::string, 7> positions;
};

// Index of the start row among a problem's places; the positions are 0 to 6.
inline constexpr int kStartRowPlace = -1;

// A refused entry: the message box to show and the entry that gets the focus.
struct EntryProblem {
  int place = kStartRowPlace;
  std::string text;
  std::string caption;
};

// The configuration file's path: param_path, or "PlugIns/Unfixed.ini" below the host's folder
// when it is empty.
std::string config_file_path(const std::string& param_path);

// The entries the dialog shows for a file, each as stored; the start row is "2" when missing.
ConfigEntries load_entries(const platform::IniDocument& config);

// Reads an integer the way the dialog converts its entries; nothing when the text is not one.
std::optional<int> entry_integer(std::string_view text);

// The first problem with the entries, in the dialog's order of checks: duplicate positions, a
// blank start row, a start row that is not an integer, then positions that are not integers or
// are below 1. Nothing when the entries can be saved.
std::optional<EntryProblem> check_entries(const ConfigEntries& entries);

// Receives the writes of one save in their order; commit() makes them the file's content.
class SettingsWriter {
 public:
  virtual ~SettingsWriter() = default;
  virtual void set(std::string_view section, std::string_view key, std::string_view value) = 0;
  virtual void erase(std::string_view section, std::string_view key) = 0;
  virtual void commit() = 0;
};

// Collects the writes in the file's text and replaces the file in one step at commit(), so that a
// failure at any point leaves the file as it was. A save that had to overwrite the file in place
// says so on the debug output.
class ProfileWriter : public SettingsWriter {
 public:
  // Throws platform::Error when the file exists but cannot be read: saving over it would lose
  // what it holds.
  explicit ProfileWriter(std::string path);
  void set(std::string_view section, std::string_view key, std::string_view value) override;
  void erase(std::string_view section, std::string_view key) override;
  void commit() override;

 private:
  std::string path_;
  platform::IniDocument doc_;
};

// Sends the writes of a save of checked entries, in the file's order: start row, section name,
// count, then each field's position and name keys, or their deletion for a blank entry.
void write_entries(const ConfigEntries& entries, SettingsWriter& writer);

// The message of a text that is not an integer.
std::string not_an_integer_message(std::string_view text);

}  // namespace sheetport
