#pragma once
// The procedures the program knows by name, and the services they reach.
// A procedure is started on a new thread (from the frame) or called on the
// caller's thread (a form from its list, a selection list from a lookup);
// a name that is not built raises "Procedure not defined" naming it.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "data/data_context.h"
#include "errors/error_manager.h"
#include "platform/message_box.h"
#include "platform/page/page_output.h"
#include "platform/window/window.h"
#include "ui/procedure_thread.h"
#include "ui/program_values.h"

namespace vornel::ui {

class ProcedureCatalog;

// What every procedure reaches besides its thread's own files.
struct Services {
  platform::WindowSystem& windows;
  platform::MessageDisplay& display;
  errors::ErrorManager& errors;
  data::DataContext& data;
  ProgramValues& values;
  ProcedureCatalog& procedures;
  platform::page::PageOutput& output;  // PDF files and the printer
};

// How a procedure opens on its own: a record form needs a request (insert,
// change, ...) from its caller; any other procedure opens as a menu item
// starts it.
enum class ProcedureKind { kStarted, kRecordForm };

class ProcedureCatalog {
 public:
  // Runs on the thread it is started or called on.
  using Procedure = std::function<void()>;

  ProcedureCatalog(ProcedureThreads& threads, errors::ErrorManager& errors) : threads_(threads), errors_(errors) {}

  void Register(std::string name, Procedure procedure, ProcedureKind kind = ProcedureKind::kStarted);
  bool Known(std::string_view name) const;
  // Every procedure built, by name.
  std::map<std::string, ProcedureKind, std::less<>> Kinds() const;
  // Starts the procedure on a new thread and returns at once.
  bool Start(std::string_view name, std::size_t stack_bytes = 25000);
  // Runs the procedure on the calling thread.
  bool Call(std::string_view name);
  // Calls the procedure with a request (insert, change, delete, view,
  // select) and answers its response; cancelled when it is not built.
  int CallWith(std::string_view name, int request);

 private:
  const Procedure* Find(std::string_view name);  // raises "Procedure not defined" when none

  ProcedureThreads& threads_;
  errors::ErrorManager& errors_;
  struct Entry {
    Procedure procedure;
    ProcedureKind kind;
  };
  std::map<std::string, Entry, std::less<>> procedures_;
};

}  // namespace vornel::ui
