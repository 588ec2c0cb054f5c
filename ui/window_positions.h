#pragma once
// Where each window was: kept in the settings file "vornelwn.INI" under the
// name of the window's procedure ("Main" for the frame), with the entries
// "Maximize" and "Minimize" ("Yes"/"No") and "XPos", "YPos", "Width",
// "Height". The store also keeps its list of sections under "Sectors" of
// "__Dont_Touch_Me__", written when it shuts down.
#include <optional>
#include <set>
#include <string>

#include "platform/settings_file.h"

namespace vornel::ui {

struct WindowPosition {
  bool maximized = false;
  bool minimized = false;
  std::optional<long> x, y, width, height;  // unknown values are not stored
};

class WindowPositions {
 public:
  explicit WindowPositions(platform::SettingsFile file);

  std::optional<WindowPosition> Restore(const std::string& procedure) const;
  // Saves the position; an unknown value removes its entry. Failures of the
  // settings file are not reported (a lost position is no loss of data).
  void Save(const std::string& procedure, const WindowPosition& position);
  // Writes the list of sections the store has written to.
  void Shutdown();

 private:
  platform::SettingsFile file_;
  std::set<std::string> sections_;
};

}  // namespace vornel::ui
