#pragma once
// Where each window was: kept in the settings file "vornelwn.INI" under the
// name of the window's procedure ("Main" for the frame), with the entries
// "Maximize" and "Minimize" ("Yes"/"No") and "XPos", "YPos", "Width",
// "Height". The store also keeps its list of sections under "Sectors" of
// "__Dont_Touch_Me__", written when it shuts down.
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/settings_file.h"
#include "platform/window/window.h"

namespace vornel::ui {

using platform::WindowPosition;

class WindowPositions {
 public:
  explicit WindowPositions(platform::SettingsFile file);

  // The program's store, once start-up has made one (null before and in tests
  // that do not need one).
  static WindowPositions* Global();
  static void SetGlobal(WindowPositions* positions);

  std::optional<WindowPosition> Restore(const std::string& procedure) const;
  // Saves the position; an unknown value removes its entry. Failures of the
  // settings file are not reported (a lost position is no loss of data).
  void Save(const std::string& procedure, const WindowPosition& position);
  // Writes the list of sections the store has written to.
  void Shutdown();

  // The window's place from its procedure's section, and back.
  void RestoreWindow(platform::Window& window) const;
  void SaveWindow(const platform::Window& window);

 private:
  platform::SettingsFile file_;
  std::mutex mutex_;  // procedures on several threads save their windows
  std::set<std::string> sections_;
};

}  // namespace vornel::ui
