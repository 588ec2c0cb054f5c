#pragma once
// The running program: the objects made once at start-up in their order
// (error manager, window-position store, record store), the procedures the
// program knows by name, and how the frame starts them. The screen comes
// from outside: the Qt backend for the real program, the headless one for
// scripts and tests.
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "data/data_context.h"
#include "data/store/record_store.h"
#include "errors/error_manager.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/window/window.h"
#include "ui/procedure_catalog.h"
#include "ui/procedure_thread.h"
#include "ui/program_values.h"
#include "ui/window_positions.h"

namespace vornel::app {

class Program {
 public:
  // Start-up steps 1 to 4: the error manager (the global one from now on, its
  // log "KIVError.Log" in the working directory), the window-position store
  // "vornelwn.INI" and the record store. The built procedures are registered.
  // Reports reach PDF files and the printer through `output`; without one
  // they can only be previewed.
  Program(platform::PathMap paths, platform::WindowSystem& windows,
          platform::MessageDisplay& display, platform::page::PageOutput* output = nullptr);
  // Waits for every procedure thread, then shuts the position store down.
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Runs `Main` on a thread of its own: the frame's thread. The screen's
  // thread only shows windows and never waits for a procedure.
  bool StartMain();
  // Ends when every procedure, the frame among them, has ended.
  void WaitForEnd() { threads.WaitAll(); }

  // Starts the named procedure on a new thread and returns at once; a
  // procedure not built raises "Procedure not defined" naming it.
  bool Start(std::string_view name, std::size_t stack_bytes = 25000) { return procedures.Start(name, stack_bytes); }
  // Runs the named procedure on the calling thread (or raises as Start).
  bool Call(std::string_view name) { return procedures.Call(name); }

  // Called on the frame's thread once the frame is open with its department
  // settled and its title and status bar filled (start-up measurements).
  std::function<void()> on_frame_ready;

  platform::PathMap paths;
  platform::WindowSystem& windows;
  platform::MessageDisplay& display;
  platform::page::NoPageOutput no_output;
  platform::page::PageOutput& output;
  errors::ErrorManager errors;
  ui::WindowPositions positions;
  std::unique_ptr<data::RecordStore> store;
  data::DataContext data;
  ui::ProgramValues& values;
  ui::ProcedureThreads threads;
  ui::ProcedureCatalog procedures;
  ui::Services services;
};

}  // namespace vornel::app
