// Parsing of scripts for the scripted toolkit: one action a line, words and quoted texts.
#include <charconv>
#include <string>

#include "platform/text.h"
#include "ui/keys.h"
#include "ui/scripted_toolkit.h"

namespace ui {
namespace {

struct Word {
  std::string text;
  bool quoted = false;
};

struct LineError {
  std::string what;
};

std::vector<Word> split_words(std::string_view line) {
  std::vector<Word> words;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    Word word;
    if (line[i] == '"') {
      word.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          word.text += c;
          continue;
        }
        if (i >= line.size()) break;
        char e = line[i++];
        switch (e) {
          case 'n':
            word.text += '\n';
            break;
          case 'r':
            word.text += '\r';
            break;
          case 't':
            word.text += '\t';
            break;
          case '"':
          case '\\':
            word.text += e;
            break;
          default:
            throw LineError{std::string("unknown escape \\") + e + " in a quoted text"};
        }
      }
      if (!closed) throw LineError{"a quoted text is not closed"};
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
        word.text += line[i++];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

bool is_number(const Word& w, long long* value = nullptr) {
  if (w.quoted || w.text.empty()) return false;
  long long v = 0;
  auto [end, ec] = std::from_chars(w.text.data(), w.text.data() + w.text.size(), v);
  if (ec != std::errc() || end != w.text.data() + w.text.size()) return false;
  if (value != nullptr) *value = v;
  return true;
}

// How an action names what it acts on.
enum class Subject { None, Form, Control };

struct Verb {
  const char* name;
  Subject subject;
  std::size_t args;
};

constexpr Verb kVerbs[] = {
    {"type", Subject::Control, 1},
    {"key", Subject::Control, 1},
    {"paste", Subject::Control, 1},
    {"clear", Subject::Control, 0},
    {"select", Subject::Control, 1},
    {"select-page", Subject::Control, 1},
    {"grid-set", Subject::Control, 3},
    {"click", Subject::Control, 0},
    {"invoke", Subject::Control, 0},
    {"close", Subject::Form, 0},
    {"dump", Subject::Form, 0},
    {"answer-message", Subject::None, 1},
    {"choose-file", Subject::None, 1},
    {"cancel-file", Subject::None, 0},
    {"wait-messages", Subject::None, 1},
    {"click-title", Subject::Control, 1},
    {"ctrl-click-title", Subject::Control, 1},
    {"select-cell", Subject::Control, 2},
};

ScriptAction parse_line(std::string_view line) {
  std::vector<Word> words = split_words(line);
  ScriptAction action;
  action.verb = words[0].text;
  const Verb* verb = nullptr;
  for (const auto& v : kVerbs) {
    if (action.verb == v.name) verb = &v;
  }
  if (verb == nullptr || words[0].quoted)
    throw LineError{"unknown action \"" + words[0].text + "\""};
  std::size_t first_arg = 1;
  if (verb->subject != Subject::None) {
    if (words.size() < 2 || words[1].quoted) {
      throw LineError{action.verb + " needs " +
                      (verb->subject == Subject::Form ? "a form" : "Form.Control")};
    }
    const std::string& name = words[1].text;
    std::size_t dot = name.find('.');
    if (verb->subject == Subject::Form) {
      if (dot != std::string::npos) throw LineError{action.verb + " needs a form, not a control"};
      action.form = name;
    } else {
      if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) {
        throw LineError{action.verb + " needs Form.Control, not \"" + name + "\""};
      }
      action.form = name.substr(0, dot);
      action.target = name.substr(dot + 1);
    }
    first_arg = 2;
  }
  if (words.size() - first_arg != verb->args) {
    throw LineError{action.verb + " takes " + std::to_string(verb->args) + " value" +
                    (verb->args == 1 ? "" : "s") + ", not " +
                    std::to_string(words.size() - first_arg)};
  }
  for (std::size_t i = first_arg; i < words.size(); ++i) action.args.push_back(words[i].text);

  long long n = 0;
  if (action.verb == "key" && key_from_name(action.args[0]) == 0) {
    throw LineError{"unknown key \"" + action.args[0] + "\""};
  }
  if (action.verb == "select" || action.verb == "select-page") {
    action.by_index = is_number(words[first_arg]);
  }
  if (action.verb == "grid-set" || action.verb == "select-cell") {
    if (!is_number(words[2], &n) || n < 0) {
      throw LineError{action.verb + " needs a row number from 0"};
    }
    action.by_index = is_number(words[3]);
  }
  if (action.verb == "click-title" || action.verb == "ctrl-click-title") {
    action.by_index = is_number(words[2]);
  }
  if (action.verb == "wait-messages" && (!is_number(words[1], &n) || n < 1)) {
    throw LineError{"wait-messages needs a count of 1 or more"};
  }
  if (action.verb == "answer-message") {
    static const char* kButtons[] = {"ok", "cancel", "yes", "no"};
    std::string lower = platform::ascii_lower(action.args[0]);
    bool known = false;
    for (const char* b : kButtons) known = known || lower == b;
    if (!known) throw LineError{"answer-message needs OK, Cancel, Yes or No"};
    action.args[0] = lower;
  }
  return action;
}

}  // namespace

std::vector<ScriptAction> parse_script(std::string_view text, const std::string& origin) {
  std::vector<ScriptAction> actions;
  std::size_t number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
      line.remove_suffix(1);
    }
    std::size_t lead = line.find_first_not_of(" \t");
    if (lead == std::string_view::npos || line[lead] == '#') continue;
    line.remove_prefix(lead);
    try {
      ScriptAction action = parse_line(line);
      action.line = number;
      action.source = std::string(line);
      actions.push_back(std::move(action));
    } catch (const LineError& e) {
      throw ScriptError(origin + " line " + std::to_string(number) + ": " + e.what + ": " +
                        std::string(line));
    }
  }
  return actions;
}

}  // namespace ui
