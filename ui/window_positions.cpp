#include "ui/window_positions.h"

#include <atomic>

namespace vornel::ui {
namespace {

constexpr const char* kListSection = "__Dont_Touch_Me__";
constexpr const char* kListEntry = "Sectors";

void SaveNumber(platform::SettingsFile& file, const std::string& section, const char* entry,
                const std::optional<long>& value) {
  if (value) {
    file.SetInt(section, entry, *value);
  } else {
    file.Remove(section, entry);
  }
}

std::optional<long> ReadNumber(const platform::SettingsFile& file, const std::string& section,
                               const char* entry) {
  if (!file.Find(section, entry)) return std::nullopt;
  constexpr long kUnset = -999999;
  long value = file.GetInt(section, entry, kUnset);
  if (value == kUnset) return std::nullopt;
  return value;
}

std::atomic<WindowPositions*> global{nullptr};

}  // namespace

WindowPositions* WindowPositions::Global() { return global.load(); }
void WindowPositions::SetGlobal(WindowPositions* positions) { global.store(positions); }

void WindowPositions::RestoreWindow(platform::Window& window) const {
  const std::string& procedure = window.spec().procedure;
  if (procedure.empty()) return;
  if (std::optional<WindowPosition> position = Restore(procedure)) window.Place(*position);
}

void WindowPositions::SaveWindow(const platform::Window& window) {
  const std::string& procedure = window.spec().procedure;
  if (procedure.empty()) return;
  if (std::optional<WindowPosition> position = window.Position()) Save(procedure, *position);
}

WindowPositions::WindowPositions(platform::SettingsFile file) : file_(std::move(file)) {}

std::optional<WindowPosition> WindowPositions::Restore(const std::string& procedure) const {
  if (file_.Entries(procedure).empty()) return std::nullopt;
  WindowPosition position;
  position.maximized = file_.Get(procedure, "Maximize") == "Yes";
  position.minimized = file_.Get(procedure, "Minimize") == "Yes";
  position.x = ReadNumber(file_, procedure, "XPos");
  position.y = ReadNumber(file_, procedure, "YPos");
  position.width = ReadNumber(file_, procedure, "Width");
  position.height = ReadNumber(file_, procedure, "Height");
  return position;
}

void WindowPositions::Save(const std::string& procedure, const WindowPosition& position) {
  std::lock_guard lock(mutex_);
  sections_.insert(procedure);
  file_.Set(procedure, "Maximize", position.maximized ? "Yes" : "No");
  file_.Set(procedure, "Minimize", position.minimized ? "Yes" : "No");
  SaveNumber(file_, procedure, "XPos", position.x);
  SaveNumber(file_, procedure, "YPos", position.y);
  SaveNumber(file_, procedure, "Width", position.width);
  SaveNumber(file_, procedure, "Height", position.height);
}

void WindowPositions::Shutdown() {
  std::lock_guard lock(mutex_);
  std::string list;
  for (const std::string& section : sections_) list += (list.empty() ? "" : ",") + section;
  if (!list.empty()) file_.Set(kListSection, kListEntry, list);
}

}  // namespace vornel::ui
