#pragma once
// The fixed tables of the demo agency: staff, payers, diagnoses, services,
// study groups and the word lists that clients are made from.
#include <span>
#include <string_view>

namespace vornel::app::demo {

inline constexpr std::string_view kIndividualService = "INDV";
inline constexpr std::string_view kMaService = "MA1";
inline constexpr std::string_view kGroupService = "GRP";
inline constexpr std::string_view kIntakeService = "INTK";
inline constexpr std::string_view kOutreachService = "OUTR";

inline constexpr std::string_view kMaPayer = "MA1";
inline constexpr std::string_view kScaPayer = "SCA";
inline constexpr std::string_view kOsmPayer = "OSM";
inline constexpr std::string_view kFirstInsurer = "BCB";
inline constexpr std::string_view kSecondInsurer = "AET";

struct StaffEntry {
  std::string_view code, last_name, first_name, title, degrees;
  char status;  // 'A' active, 'I' inactive
  char type;    // 'P' primary counselor, 'I' intake, 'O' other
};

struct VendorEntry {
  std::string_view code, name, address1, address2, city, state, zip, contact, phone;
  std::string_view provider_number;  // UB92_51
  std::string_view remark;           // UB92_84B
  std::string_view claim_name;       // UB92_50A: the payer as the claim form names it
};

struct DiagnosisEntry {
  std::string_view code, bc_code, short_name, description;
};

struct ServiceEntry {
  std::string_view code, description;
  int rate_cents;  // per unit
  int unit_minutes;
  std::string_view procedure, modifier;
  bool group, outreach;
};

struct DepartmentEntry {
  int number;
  std::string_view activity, provider_name, provider_type, provider_id, payee, address_code,
      supervising_doctor, license, dx, type, place, tax_number;
  char residence_code;
};

struct Town {
  std::string_view city, state, zip;
};

std::span<const StaffEntry> Staff();
std::span<const VendorEntry> Vendors();
std::span<const DiagnosisEntry> Diagnoses();
std::span<const ServiceEntry> Services();
std::span<const DepartmentEntry> Departments();
std::span<const std::string_view> StudyGroups();

std::span<const std::string_view> LastNames();
std::span<const std::string_view> MaleFirstNames();
std::span<const std::string_view> FemaleFirstNames();
std::span<const std::string_view> Streets();
std::span<const Town> Towns();
std::span<const std::string_view> ReferralSources();
std::span<const std::string_view> Schools();
std::span<const std::string_view> Employers();
std::span<const std::string_view> ClientComments();
std::span<const std::string_view> VisitComments();

// The entry of that code; nullptr when there is none.
const ServiceEntry* FindService(std::string_view code);

}  // namespace vornel::app::demo
