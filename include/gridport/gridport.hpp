// A header-only C++ adapter over gridport.h: a C++ host derives from these classes, throws its
// own exceptions from them, and passes their table() to exec or exec1. Every exception stops at
// the table's edge and becomes a failure return with the exception's what() as its message.
// The objects must not move while the plug-in holds their tables, so they cannot be copied.
#ifndef GRIDPORT_GRIDPORT_HPP
#define GRIDPORT_GRIDPORT_HPP

#include <cstdint>
#include <exception>
#include <string>

#include "gridport/gridport.h"

// The tables' calling convention as a lambda spells it: GCC and Clang take it after the
// parameters; MSVC converts a captureless lambda to any convention by itself.
#if defined(_WIN32) && !defined(_WIN64) && defined(__GNUC__)
#define GRIDPORT_LAMBDA_CALL __attribute__((stdcall))
#else
#define GRIDPORT_LAMBDA_CALL
#endif

namespace gridport {

namespace detail {

// Copies a failure's message into `kept` (the exception it came from is gone once its handler
// ends) and returns the copy.
inline const char* keep(std::string& kept, const char* text) noexcept {
  try {
    kept = text;
    return kept.c_str();
  } catch (...) {
    return "out of memory";  // the message itself could not be kept
  }
}

// Runs body; returns 1, or 0 with *error pointing at the failure's message kept in `kept`.
template <class Body>
int32_t guarded(std::string& kept, const char** error, Body&& body) noexcept {
  const char* why = nullptr;
  try {
    body();
    return 1;
  } catch (const std::exception& e) {
    why = keep(kept, e.what());
  } catch (...) {
    why = keep(kept, "unknown failure");
  }
  if (error != nullptr) *error = why;
  return 0;
}

// Runs body for a text the plug-in reads at once; a failure reads as empty text.
template <class Body>
const char* guarded_text(std::string& kept, Body&& body) noexcept {
  try {
    kept = body();
    return kept.c_str();
  } catch (...) {
    return "";
  }
}

}  // namespace detail

class NonCopyable {
 public:
  NonCopyable(const NonCopyable&) = delete;
  NonCopyable& operator=(const NonCopyable&) = delete;

 protected:
  NonCopyable() = default;
  ~NonCopyable() = default;
};

class DataSet : NonCopyable {
 public:
  DataSet() noexcept {
    table_.size = sizeof table_;
    table_.context = this;
    table_.active = [](void* c) GRIDPORT_LAMBDA_CALL -> int32_t {
      try {
        return self(c).active() ? 1 : 0;
      } catch (...) {
        return 0;
      }
    };
    table_.disable_controls = [](void* c) GRIDPORT_LAMBDA_CALL {
      try {
        self(c).disable_controls();
      } catch (...) {
      }
    };
    table_.enable_controls = [](void* c) GRIDPORT_LAMBDA_CALL {
      try {
        self(c).enable_controls();
      } catch (...) {
      }
    };
    table_.append = [](void* c, const char** error) GRIDPORT_LAMBDA_CALL -> int32_t {
      return detail::guarded(self(c).error_, error, [&] { self(c).append(); });
    };
    table_.set_field_text = [](void* c, const char* field_name, const char* text,
                               const char** error) GRIDPORT_LAMBDA_CALL -> int32_t {
      return detail::guarded(self(c).error_, error, [&] {
        self(c).set_field_text(field_name != nullptr ? field_name : "",
                               text != nullptr ? text : "");
      });
    };
    table_.post = [](void* c, const char** error) GRIDPORT_LAMBDA_CALL -> int32_t {
      return detail::guarded(self(c).error_, error, [&] { self(c).post(); });
    };
    table_.cancel = [](void* c, const char** error) GRIDPORT_LAMBDA_CALL -> int32_t {
      return detail::guarded(self(c).error_, error, [&] { self(c).cancel(); });
    };
  }
  virtual ~DataSet() = default;

  virtual bool active() = 0;
  virtual void disable_controls() {}
  virtual void enable_controls() {}
  virtual void append() = 0;
  virtual void set_field_text(const std::string& field_name, const std::string& text) = 0;
  virtual void post() = 0;
  virtual void cancel() = 0;

  const GridportDataSet* table() const noexcept { return &table_; }

 private:
  static DataSet& self(void* context) { return *static_cast<DataSet*>(context); }
  GridportDataSet table_{};
  std::string error_;
};

class DataSource : NonCopyable {
 public:
  DataSource() noexcept {
    table_.size = sizeof table_;
    table_.context = this;
    table_.dataset = [](void* c) GRIDPORT_LAMBDA_CALL -> const GridportDataSet* {
      try {
        DataSet* dataset = static_cast<DataSource*>(c)->dataset();
        return dataset != nullptr ? dataset->table() : nullptr;
      } catch (...) {
        return nullptr;
      }
    };
  }
  virtual ~DataSource() = default;

  // The dataset, or null.
  virtual DataSet* dataset() = 0;

  const GridportDataSource* table() const noexcept { return &table_; }

 private:
  GridportDataSource table_{};
};

class Grid : NonCopyable {
 public:
  Grid() noexcept {
    table_.size = sizeof table_;
    table_.context = this;
    table_.data_source = [](void* c) GRIDPORT_LAMBDA_CALL -> const GridportDataSource* {
      try {
        DataSource* source = self(c).data_source();
        return source != nullptr ? source->table() : nullptr;
      } catch (...) {
        return nullptr;
      }
    };
    table_.column_count = [](void* c) GRIDPORT_LAMBDA_CALL -> int32_t {
      try {
        return self(c).column_count();
      } catch (...) {
        return 0;
      }
    };
    table_.column_visible = [](void* c, int32_t index) GRIDPORT_LAMBDA_CALL -> int32_t {
      try {
        return self(c).column_visible(index) ? 1 : 0;
      } catch (...) {
        return 0;
      }
    };
    table_.column_title = [](void* c, int32_t index) GRIDPORT_LAMBDA_CALL -> const char* {
      return detail::guarded_text(self(c).text_, [&] { return self(c).column_title(index); });
    };
    table_.column_field_name = [](void* c, int32_t index) GRIDPORT_LAMBDA_CALL -> const char* {
      return detail::guarded_text(self(c).text_, [&] { return self(c).column_field_name(index); });
    };
  }
  virtual ~Grid() = default;

  // The data source, or null.
  virtual DataSource* data_source() = 0;
  virtual int32_t column_count() = 0;
  virtual bool column_visible(int32_t index) = 0;
  virtual std::string column_title(int32_t index) = 0;
  virtual std::string column_field_name(int32_t index) = 0;

  const GridportGrid* table() const noexcept { return &table_; }

 private:
  static Grid& self(void* context) { return *static_cast<Grid*>(context); }
  GridportGrid table_{};
  std::string text_;
};

// The host's application. A host that keeps the plug-in's own message box or error display
// calls use_plugin_message_box() or use_plugin_error_display() once constructed.
class Application : NonCopyable {
 public:
  explicit Application(uint32_t flags = 0) noexcept {
    table_.size = sizeof table_;
    table_.context = this;
    table_.flags = flags;
    table_.message_box = [](void* c, const char* text, const char* caption, int32_t icon,
                            int32_t buttons) GRIDPORT_LAMBDA_CALL -> int32_t {
      try {
        return static_cast<Application*>(c)->message_box(
            text != nullptr ? text : "", caption != nullptr ? caption : "", icon, buttons);
      } catch (...) {
        return GRIDPORT_ID_CANCEL;
      }
    };
    table_.show_error = [](void* c, const char* message) GRIDPORT_LAMBDA_CALL {
      try {
        static_cast<Application*>(c)->show_error(message != nullptr ? message : "");
      } catch (...) {
      }
    };
  }
  virtual ~Application() = default;

  // Returns the GRIDPORT_ID_* of the button pressed.
  virtual int32_t message_box(const std::string& /*text*/, const std::string& /*caption*/,
                              int32_t /*icon*/, int32_t /*buttons*/) {
    return GRIDPORT_ID_OK;
  }
  virtual void show_error(const std::string& /*message*/) {}

  void use_plugin_message_box() noexcept { table_.message_box = nullptr; }
  void use_plugin_error_display() noexcept { table_.show_error = nullptr; }
  void set_parent(int32_t kind, void* window) noexcept {
    table_.parent_kind = kind;
    table_.parent_window = window;
  }

  const GridportApplication* table() const noexcept { return &table_; }

 private:
  GridportApplication table_{};
};

class Screen : NonCopyable {
 public:
  Screen() noexcept {
    table_.size = sizeof table_;
    table_.context = this;
  }
  virtual ~Screen() = default;

  const GridportScreen* table() const noexcept { return &table_; }

 private:
  GridportScreen table_{};
};

}  // namespace gridport

#endif  // GRIDPORT_GRIDPORT_HPP
