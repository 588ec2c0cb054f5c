#pragma once
// The agency's name, facility number, signature name and provider identifier,
// kept in the settings file "\vornel\agency.ini" of the data root.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace vornel::app {

inline constexpr std::string_view kAgencySettingsFile = "\\vornel\\agency.ini";
inline constexpr std::string_view kAgencySection = "Agency";

// The values, clipped of trailing blanks; a missing entry (or file) is blank.
struct AgencySettings {
  std::string name;       // entry "Name", text(30): the agency name and SET:COMPANY
  std::string facility;   // entry "Facility", text(7): SET:FACILITY
  std::string signature;  // entry "Signature", text(25): SET:BC_SGNAME
  std::string npi;        // entry "NPI", text(12): the provider identifier

  static constexpr std::size_t kNameWidth = 30;
  static constexpr std::size_t kFacilityWidth = 7;
  static constexpr std::size_t kSignatureWidth = 25;
  static constexpr std::size_t kNpiWidth = 12;
};

struct AgencySettingsResult {
  AgencySettings settings;
  std::string error;  // "" when every value fits its field
  // "" when the file was read or does not exist; else why it cannot be read
  // (a FIFO, a device, too large, no permission), naming it. The values are
  // then unknown rather than blank.
  std::string unreadable;
  bool ok() const { return error.empty(); }
};

// Reads the file. A value longer than its field is refused (error set,
// naming the entry and the width), never cut: it goes into stored records.
AgencySettingsResult ReadAgencySettings(const platform::PathMap& paths);

// Writes all four entries; "" on success, else why nothing (or not all) was
// written. Values longer than their field are refused before anything is written.
std::string WriteAgencySettings(const platform::PathMap& paths, const AgencySettings& settings);

}  // namespace vornel::app
