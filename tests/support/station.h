#pragma once
// A station of its own on a data root, department 1 as its working
// directory: its own store (of the kind given; the server's is the test
// server), files and messages, as another workstation (or a forked process
// standing for one) has them.
#include <filesystem>
#include <memory>

#include "data/data_context.h"
#include "data/file_registry.h"
#include "data/store/record_store.h"
#include "errors/error_manager.h"
#include "platform/headless/headless_message_display.h"
#include "platform/paths.h"
#include "tests/support/test_stores.h"

namespace vornel::test {

struct Station {
  explicit Station(const std::filesystem::path& root, StoreKind kind = StoreKind::kSqlite)
      : errors(display, [root] { return root / "KIVError.Log"; }),
        paths(root, root / "config"),
        store(MakeTestStore(kind)),
        context{*store, paths, errors} {
    for (const char* dir : {"VORNEL/1/ARCS", "VORNEL/1/STATS", "VORNEL/COMMON"})
      std::filesystem::create_directories(root / dir);
    paths.SetWorkingDirectory("\\VORNEL\\1\\");
    files = std::make_unique<data::FileRegistry>(context);
  }
  ~Station() { files.reset(); }

  platform::HeadlessMessageDisplay display;
  errors::ErrorManager errors;
  platform::PathMap paths;
  std::unique_ptr<data::RecordStore> store;
  data::DataContext context;
  std::unique_ptr<data::FileRegistry> files;
};

}  // namespace vornel::test
