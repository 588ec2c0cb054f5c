#include "app/agency_settings.h"

#include "platform/settings_file.h"
#include "platform/text.h"

namespace vornel::app {

namespace {

struct Entry {
  std::string_view name;
  std::string AgencySettings::*value;
  std::size_t width;
};

constexpr Entry kEntries[] = {
    {"Name", &AgencySettings::name, AgencySettings::kNameWidth},
    {"Facility", &AgencySettings::facility, AgencySettings::kFacilityWidth},
    {"Signature", &AgencySettings::signature, AgencySettings::kSignatureWidth},
    {"NPI", &AgencySettings::npi, AgencySettings::kNpiWidth},
};

// Why the value cannot be stored, or "" when it fits.
std::string CheckWidth(const Entry& entry, std::string_view value) {
  if (value.size() <= entry.width) return {};
  return "Agency settings " + std::string(kAgencySettingsFile) + ": entry \"" +
         std::string(entry.name) + "\" of section [" + std::string(kAgencySection) + "] has " +
         std::to_string(value.size()) + " characters; at most " + std::to_string(entry.width) +
         " fit.";
}

std::string UnresolvedName() {
  return "Agency settings: the name " + std::string(kAgencySettingsFile) +
         " does not map into the data root.";
}

}  // namespace

AgencySettingsResult ReadAgencySettings(const platform::PathMap& paths) {
  AgencySettingsResult result;
  auto path = paths.Resolve(kAgencySettingsFile);
  if (!path) {
    result.error = UnresolvedName();
    return result;
  }
  platform::SettingsFile file(*path);
  if (std::string problem = file.Problem(); !problem.empty()) {
    result.unreadable = "Agency settings: " + problem + ".";
    return result;
  }
  for (const Entry& entry : kEntries) {
    std::string value(platform::Clip(file.Get(kAgencySection, entry.name)));
    if (result.error.empty()) result.error = CheckWidth(entry, value);
    result.settings.*entry.value = std::move(value);
  }
  return result;
}

std::string WriteAgencySettings(const platform::PathMap& paths, const AgencySettings& settings) {
  for (const Entry& entry : kEntries) {
    std::string error = CheckWidth(entry, platform::Clip(settings.*entry.value));
    if (!error.empty()) return error;
  }
  auto path = paths.Resolve(kAgencySettingsFile);
  if (!path) return UnresolvedName();
  platform::SettingsFile file(*path);
  for (const Entry& entry : kEntries) {
    if (!file.Set(kAgencySection, entry.name, platform::Clip(settings.*entry.value)))
      return "Agency settings: entry \"" + std::string(entry.name) + "\" not written: " +
             file.LastError();
  }
  return {};
}

}  // namespace vornel::app
