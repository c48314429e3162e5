// Entries of the configuration dialog: loading, checking and the ordered save.
#include "sheetport/config_settings.h"

#include <unistd.h>

#include "platform/debug_output.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "sheetport/customer_record.h"

namespace sheetport {
namespace {

constexpr std::string_view kInputCaption = "输入出错";

// Field indexes (field_specs() order) in the order of the minimum check.
constexpr std::array<int, 7> kMinimumOrder = {2, 5, 4, 3, 1, 0, 6};

// Per field, in field_specs() order: what its entry is called in the messages.
constexpr std::array<std::string_view, 7> kEntryNames = {
    "客户编号位置", "客户名称位置", "客户账号位置", "交易金额位置",
    "证件类型位置", "证件号码位置", "省市代码位置"};

bool blank(std::string_view text) {
  return platform::trim_blanks(text).empty();
}

}  // namespace

std::string config_file_path(const std::string& param_path) {
  if (!param_path.empty()) return param_path;
  return platform::join_path(platform::join_path(platform::program_folder(), "PlugIns"),
                             "Unfixed.ini");
}

ConfigEntries load_entries(const platform::IniDocument& config) {
  ConfigEntries entries;
  // Every stored start row shows as stored, whatever its size, so that OK on an unchanged file
  // saves the row the import uses.
  entries.start_row = config.get("CHANGCOL", "DELIMITER").value_or("2");
  const auto& fields = field_specs();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    entries.positions[i] = config.get("CHANGCOL", fields[i].order_key).value_or("");
  }
  return entries;
}

std::optional<int> entry_integer(std::string_view text) {
  int a = platform::parse_int_or(text, 0);
  int b = platform::parse_int_or(text, 1);
  if (a != b) return std::nullopt;
  return a;
}

std::string not_an_integer_message(std::string_view text) {
  return std::string("'").append(text).append("' is not a valid integer value");
}

std::optional<EntryProblem> check_entries(const ConfigEntries& entries) {
  const auto& positions = entries.positions;
  for (std::size_t f = 0; f < positions.size(); ++f) {
    if (blank(positions[f])) continue;
    for (std::size_t g = f + 1; g < positions.size(); ++g) {
      if (!blank(positions[g]) && positions[f] == positions[g]) {
        return EntryProblem{static_cast<int>(f),
                            std::string(kEntryNames[f]) + "不能有重复,请修改．",
                            std::string(kInputCaption)};
      }
    }
  }
  if (blank(entries.start_row)) {
    return EntryProblem{kStartRowPlace, "请输入一个形如转换行.", std::string(kInputCaption)};
  }
  if (!entry_integer(entries.start_row)) {
    return EntryProblem{kStartRowPlace, not_an_integer_message(entries.start_row),
                        std::string(kInputCaption)};
  }
  for (int f : kMinimumOrder) {
    const std::string& text = positions[static_cast<std::size_t>(f)];
    if (text.empty()) continue;
    auto value = entry_integer(text);
    if (!value) return EntryProblem{f, not_an_integer_message(text), std::string(kInputCaption)};
    if (*value < 1) {
      return EntryProblem{f, std::string(kEntryNames[static_cast<std::size_t>(f)]) + "必须从1开始.",
                          std::string(kInputCaption)};
    }
  }
  return std::nullopt;
}

void write_entries(const ConfigEntries& entries, SettingsWriter& writer) {
  int count = 0;
  for (const auto& text : entries.positions) count += blank(text) ? 0 : 1;
  writer.set("CHANGCOL", "DELIMITER", std::to_string(entry_integer(entries.start_row).value()));
  writer.set("PUBLICPROPERTY", "NONCETYPENAME", "CHANGCOL");
  writer.set("PUBLICPROPERTY", "COUNT", std::to_string(count));
  const auto& fields = field_specs();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string& text = entries.positions[i];
    if (!blank(text)) {
      writer.set("CHANGCOL", fields[i].order_key, platform::trim_blanks(text));
      writer.set("CHANGCOL", fields[i].name_key, fields[i].key);
    } else {
      writer.erase("CHANGCOL", fields[i].order_key);
      writer.erase("CHANGCOL", fields[i].name_key);
    }
  }
  writer.commit();
}

ProfileWriter::ProfileWriter(std::string path) : path_(std::move(path)) {
  if (platform::file_exists(path_) && ::access(path_.c_str(), R_OK) != 0) {
    throw platform::Error("cannot read the settings file " + path_);
  }
  doc_ = platform::profile::load(path_);
}

void ProfileWriter::set(std::string_view section, std::string_view key, std::string_view value) {
  doc_.set(section, key, value);
}

void ProfileWriter::erase(std::string_view section, std::string_view key) {
  doc_.erase(section, key);
}

void ProfileWriter::commit() {
  if (platform::profile::save(path_, doc_) != platform::ReplaceMethod::InPlace) return;
  // Whoever locked the folder down learns that saves there lose their protection from a crash.
  try {
    platform::debug_output(platform::utf8_to_gbk(
        "saved the settings file " + path_ + " in place: no new file could be created beside it"));
  } catch (const std::exception&) {
    // The file is saved; a note that cannot be converted must not turn that into a failure.
  }
}

}  // namespace sheetport
