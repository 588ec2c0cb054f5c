#pragma once
// Small record files for the store's tests: a file with an auto-numbered
// int16 primary key and keys of every shape (text with duplicates and no
// case, date + text + time, a descending float, mixed directions), a file
// with a unique text key without case, and a file without keys.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <span>
#include <string_view>

#include "data/dictionary/file_def.h"
#include "data/store/record_file.h"
#include "platform/text.h"

namespace vornel::data::test_files {

#pragma pack(push, 1)
struct PatientRecord {
  std::int16_t code;
  char name[20];
  char first[10];
  std::int32_t birth;  // date
  std::int32_t seen;   // time
  double balance;
  std::uint8_t flag;
};
struct StaffRecord {
  char code[5];
  char name[20];
  double rate;
};
struct NoteRecord {
  char text[30];
  std::int32_t amount;
};
#pragma pack(pop)
static_assert(sizeof(PatientRecord) == 49 && offsetof(PatientRecord, balance) == 40);
static_assert(sizeof(StaffRecord) == 33);
static_assert(sizeof(NoteRecord) == 34);

inline constexpr FieldDef kPatientFields[] = {
    {"PAT:CODE", FieldType::kInt16, 0, 2, "", "", nullptr},
    {"PAT:NAME", FieldType::kText, 2, 20, "", "", nullptr},
    {"PAT:FIRST", FieldType::kText, 22, 10, "", "", nullptr},
    {"PAT:BIRTH", FieldType::kDate, 32, 4, "", "", nullptr},
    {"PAT:SEEN", FieldType::kTime, 36, 4, "", "", nullptr},
    {"PAT:BALANCE", FieldType::kFloat64, 40, 8, "", "", nullptr},
    {"PAT:FLAG", FieldType::kUInt8, 48, 1, "", "", nullptr},
};
inline constexpr KeyComponent kPatientCode[] = {{0, true}};
inline constexpr KeyComponent kPatientName[] = {{1, true}, {2, true}};
inline constexpr KeyComponent kPatientVisit[] = {{3, true}, {1, true}, {4, true}};
inline constexpr KeyComponent kPatientBalance[] = {{5, false}};
inline constexpr KeyComponent kPatientNameBalance[] = {{1, true}, {5, false}};
inline constexpr KeyDef kPatientKeys[] = {
    {"Pat:CODE_KEY", "Code_Key", kPatientCode, true, false, true, true},
    {"Pat:NAME_KEY", "Name_Key", kPatientName, false, true, false, false},
    {"Pat:VISIT_KEY", "Visit_Key", kPatientVisit, false, false, false, false},
    {"Pat:BALANCE_KEY", "Balance_Key", kPatientBalance, false, false, false, false},
    {"Pat:NAME_BALANCE", "Name_Balance", kPatientNameBalance, false, false, false, false},
};
inline constexpr FileDef kPatientFile{"Patient",
                                      "Pat",
                                      "Patient.dat",
                                      FileLocation::kDepartment,
                                      sizeof(PatientRecord),
                                      true,
                                      kPatientFields,
                                      kPatientKeys,
                                      100};
inline const KeyDef& kCodeKey = kPatientKeys[0];
inline const KeyDef& kNameKey = kPatientKeys[1];
inline const KeyDef& kVisitKey = kPatientKeys[2];
inline const KeyDef& kBalanceKey = kPatientKeys[3];
inline const KeyDef& kNameBalanceKey = kPatientKeys[4];

inline constexpr FieldDef kStaffFields[] = {
    {"STA:CODE", FieldType::kText, 0, 5, "", "", nullptr},
    {"STA:NAME", FieldType::kText, 5, 20, "", "", nullptr},
    {"STA:RATE", FieldType::kFloat64, 25, 8, "", "", nullptr},
};
inline constexpr KeyComponent kStaffCode[] = {{0, true}};
inline constexpr KeyDef kStaffKeys[] = {
    {"Sta:STAFF_KEY", "Staff_Key", kStaffCode, true, true, true, false},
};
inline constexpr FileDef kStaffFile{
    "Staff",      "Sta",      "Staff.dat", FileLocation::kCommon, sizeof(StaffRecord), true,
    kStaffFields, kStaffKeys, 101};

inline constexpr FieldDef kNoteFields[] = {
    {"NOT:TEXT", FieldType::kText, 0, 30, "", "", nullptr},
    {"NOT:AMOUNT", FieldType::kInt32, 30, 4, "", "", nullptr},
};
inline constexpr FileDef kNoteFile{
    "Note",      "Not", "Note.dat", FileLocation::kDepartment, sizeof(NoteRecord), true,
    kNoteFields, {},    102};

inline void SetText(char* field, std::size_t width, std::string_view text) {
  platform::AssignCut(std::span<char>(field, width), text);
}

inline void SetPatient(RecordFile& file, int code, std::string_view name,
                       std::string_view first = "", std::int32_t birth = 0, std::int32_t seen = 0,
                       double balance = 0) {
  file.ClearBuffer();
  auto& r = file.record<PatientRecord>();
  r.code = static_cast<std::int16_t>(code);
  SetText(r.name, sizeof r.name, name);
  SetText(r.first, sizeof r.first, first);
  r.birth = birth;
  r.seen = seen;
  r.balance = balance;
}

inline void SetStaff(RecordFile& file, std::string_view code, std::string_view name,
                     double rate = 0) {
  file.ClearBuffer();
  auto& r = file.record<StaffRecord>();
  SetText(r.code, sizeof r.code, code);
  SetText(r.name, sizeof r.name, name);
  r.rate = rate;
}

inline void SetNote(RecordFile& file, std::string_view text, std::int32_t amount) {
  file.ClearBuffer();
  auto& r = file.record<NoteRecord>();
  SetText(r.text, sizeof r.text, text);
  r.amount = amount;
}

// Runs statements on the directory's database with a connection of its own.
inline void RawSql(const std::filesystem::path& directory, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((directory / "records.db").c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

inline std::string_view Text(const char* field, std::size_t width) {
  return platform::Clip(std::string_view(field, width));
}

}  // namespace vornel::data::test_files
