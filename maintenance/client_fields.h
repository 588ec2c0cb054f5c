#pragma once
// The fields of a client as the forms show them: the client form and the
// review of an archived client share one layout (Client and Cliarc have the
// same fields).
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/window/window_spec.h"

namespace vornel::maintenance {

// A Y/N choice.
platform::ControlSpec YesNo(std::string name, std::string prompt, platform::ValueRef value);

// "?CLI:CLCODE" for prefix "CLI".
inline std::string Name(const std::string& prefix, const char* field) { return "?" + prefix + ":" + field; }

// The controls of every field of `c` (a ClientRecord or a CliarcRecord),
// named with `prefix`; `beside_staff`, when given, stands beside the staff code.
template <typename Record>
std::vector<platform::ControlSpec> ClientFieldControls(const std::string& prefix, Record& c,
                                                       std::optional<platform::ControlSpec> beside_staff = {}) {
  using platform::Beside;
  using platform::DropChoice;
  using platform::Entry;
  using platform::Shown;
  std::vector<platform::ControlSpec> controls = {
      Entry(Name(prefix, "CLCODE"), "Client Code:", "@n_8", VORNEL_FIELD(c, CLCODE)),
      Entry(Name(prefix, "CLLNAME"), "Last Name:", "@s30", VORNEL_FIELD(c, CLLNAME)),
      Entry(Name(prefix, "CLFNAME"), "First Name:", "@s15", VORNEL_FIELD(c, CLFNAME)),
      Beside(Entry(Name(prefix, "CLMID"), "Initial:", "@s1", VORNEL_FIELD(c, CLMID))),
      Entry(Name(prefix, "SOC_SEC_NO"), "Social Sec:", "@p###-##-####p", VORNEL_FIELD(c, SOC_SEC_NO)),
      Beside(DropChoice(Name(prefix, "SEX"), "Sex:", VORNEL_FIELD(c, SEX), {{"M", "M"}, {"F", "F"}})),
      Beside(Entry(Name(prefix, "BIRTHDATE"), "Birth Date:", "@d2", VORNEL_FIELD(c, BIRTHDATE))),
      Entry(Name(prefix, "ADMDATE"), "Admitted:", "@d2", VORNEL_FIELD(c, ADMDATE)),
      Entry(Name(prefix, "STAFF_ID"), "Staff ID:", "@s5", VORNEL_FIELD(c, STAFF_ID)),
      Beside(DropChoice(Name(prefix, "MARRYSTAT"), "Married?:", VORNEL_FIELD(c, MARRYSTAT),
                        {{"M", "M"}, {"S", "S"}, {"D", "D"}})),
      Entry(Name(prefix, "DIAG_CODE"), "Diag Code:", "@s6", VORNEL_FIELD(c, DIAG_CODE)),
      Beside(Entry(Name(prefix, "DIAGNOSIS"), "Diagnosis:", "@s12", VORNEL_FIELD(c, DIAGNOSIS))),
      YesNo(Name(prefix, "PAYFLG"), "Pay Flag:", VORNEL_FIELD(c, PAYFLG)),
      Beside(YesNo(Name(prefix, "MED_ASSIST"), "MA?:", VORNEL_FIELD(c, MED_ASSIST))),
      Beside(Entry(Name(prefix, "INCOME"), "Income:", "@n$10.2", VORNEL_FIELD(c, INCOME))),
      Entry(Name(prefix, "FIRST_SEEN"), "First Seen:", "@d2", VORNEL_FIELD(c, FIRST_SEEN)),
      Beside(Entry(Name(prefix, "LAST_SEEN"), "Last Seen:", "@d2", VORNEL_FIELD(c, LAST_SEEN))),
      Entry(Name(prefix, "INSDUE"), "Insurance Due:", "@n-10.2", VORNEL_FIELD(c, INSDUE)),
      Beside(Entry(Name(prefix, "FEE_DUE"), "Client Fee Due:", "@n-10.2", VORNEL_FIELD(c, FEE_DUE))),
      Entry(Name(prefix, "BAL_DUE"), "Balance Due:", "@n-10.2", VORNEL_FIELD(c, BAL_DUE)),
      Entry(Name(prefix, "ADDRESS1"), "Address 1:", "@s30", VORNEL_FIELD(c, ADDRESS1)),
      Entry(Name(prefix, "ADDRESS2"), "Address 2:", "@s30", VORNEL_FIELD(c, ADDRESS2)),
      Entry(Name(prefix, "CITY"), "City / State:", "@s24", VORNEL_FIELD(c, CITY)),
      Beside(Entry(Name(prefix, "ST"), "", "@s2", VORNEL_FIELD(c, ST))),
      Beside(Entry(Name(prefix, "ZIP"), "Zip:", "@s5", VORNEL_FIELD(c, ZIP))),
      Entry(Name(prefix, "PHONE"), "Phone:", "@p(###)###-####p", VORNEL_FIELD(c, PHONE)),
      YesNo(Name(prefix, "CALLOK"), "Call OK?", VORNEL_FIELD(c, CALLOK)),
      Shown("?PhysicalStatus", "Physical Status"),
      Beside(YesNo(Name(prefix, "PHYS_CPT"), "Complete ?", VORNEL_FIELD(c, PHYS_CPT))),
      Beside(Entry(Name(prefix, "PHYS_DATE"), "Date", "@d2", VORNEL_FIELD(c, PHYS_DATE))),
      DropChoice(Name(prefix, "MINORITY"), "Race:", VORNEL_FIELD(c, MINORITY),
                 {{"WHIT", "WHIT"}, {"BLAC", "BLAC"}, {"ASIA", "ASIA"}, {"HISP", "HISP"}, {"OTHR", "OTHR"}}),
      platform::Radio(Name(prefix, "CURRENT"), "Status", VORNEL_FIELD(c, CURRENT),
                      {{"Active", "A"}, {"Pending", "P"}, {"Inactive", "I"}, {"Discharged", "D"}}),
      DropChoice(Name(prefix, "INTAKE"), "Intake/Primary Counselor:", VORNEL_FIELD(c, INTAKE), {{"I", "I"}, {"P", "P"}}),
      YesNo(Name(prefix, "OUT_COUNTY"), "Out of County?", VORNEL_FIELD(c, OUT_COUNTY)),
      YesNo(Name(prefix, "OUTR_STUDENT"), "Outreach Student? ", VORNEL_FIELD(c, OUTR_STUDENT)),
      Entry(Name(prefix, "OUTR_FACILTY"), "Outreach Facility:", "@s18", VORNEL_FIELD(c, OUTR_FACILTY)),
      YesNo(Name(prefix, "PRIINS"), "Primary Insurance?", VORNEL_FIELD(c, PRIINS)),
      Entry(Name(prefix, "REF_BY"), "Referred By:", "@s35", VORNEL_FIELD(c, REF_BY)),
      Entry(Name(prefix, "REFER_DATE"), "Referred Date:", "@d2", VORNEL_FIELD(c, REFER_DATE)),
      Entry(Name(prefix, "CIS_NO"), "CIS No. :", "@s14", VORNEL_FIELD(c, CIS_NO)),
      Entry(Name(prefix, "NUM_VSTS"), "Total Visits:", "@n-7", VORNEL_FIELD(c, NUM_VSTS)),
      Entry(Name(prefix, "IND_VSTS"), "Indiv. Visits:", "@n-7", VORNEL_FIELD(c, IND_VSTS))};
  if (beside_staff) {
    const auto staff = std::find_if(controls.begin(), controls.end(), [&](const platform::ControlSpec& control) {
      return control.name == Name(prefix, "STAFF_ID");
    });
    controls.insert(staff + 1, Beside(*beside_staff));
  }
  return controls;
}

}  // namespace vornel::maintenance
