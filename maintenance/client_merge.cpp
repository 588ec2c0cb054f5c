#include "maintenance/client_merge.h"

#include <array>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"

namespace vornel::maintenance {
namespace {

// A file of the merge: the key walked, the client field rewritten and the
// starting values of the key's other components (a blank or zero one needs
// none: the cleared buffer has it).
struct MergedFile {
  const data::FileDef& (*def)();
  const char* key;
  const char* client;
  const char* dated = nullptr;  // a date component that starts at day 10
};

constexpr std::array<MergedFile, 8> kMerged = {{
    {data::LogFile, "LOG:LOG_CUST", "LOG:CLCODE", "LOG:LOG_DATE"},
    {data::LineitemFile, "LIN:CLI_KEY", "LIN:CLCODE"},
    {data::Ins_cardFile, "INS:CARD_KEY", "INS:CLCODE"},
    {data::GrpassinFile, "SIN:CLI_KEY", "SIN:CLI_CODE"},
    {data::LogarcFile, "LAC:LOG_CUST", "LAC:CLCODE", "LAC:LOG_DATE"},
    {data::Cli_cmmtFile, "CMT:COM_KEY", "CMT:CLI_CODE", "CMT:COM_DATE"},
    {data::ClipmtsFile, "CPY:CLI_KEY", "CPY:CLCODE"},
    {data::UdcsFile, "UDC:UDCS_KEY", "UDC:CLCODE"},
}};
constexpr double kFirstDay = 10;

bool IsClient(data::FileRegistry& files, std::int32_t code) {
  data::FileManager& clients = files.Get(data::ClientFile());
  if (clients.Open() != 0 || clients.EnsurePhysicallyOpen() != 0) {
    clients.Close();
    return false;
  }
  clients.file().ClearBuffer();
  clients.record<data::ClientRecord>().CLCODE = static_cast<std::int16_t>(code);
  const bool found = clients.file().GetByKey(*data::ClientFile().FindKey("CLI:CODE_KEY")) == data::kStoreOk;
  clients.Close();
  return found;
}

// Whether the buffer, as it would be written, repeats a unique key of
// another record.
bool DuplicatesUniqueKey(data::RecordFile& file) {
  for (const data::KeyDef& key : file.def().keys)
    if (key.unique && file.DuplicatesKey(key)) return true;
  return false;
}

class Merge {
 public:
  Merge(data::FileRegistry& files, std::int32_t from, std::int32_t to, int wait_seconds)
      : files_(files), from_(from), to_(to), wait_seconds_(wait_seconds) {}

  MergeOutcome Run() {
    for (const MergedFile& merged : kMerged) {
      data::FileManager& file = files_.Get(merged.def());
      opened_.push_back(&file);
      if (file.Open() != 0 || file.EnsurePhysicallyOpen() != 0) return Fail("The " + Label(merged) + " file cannot be opened; nothing was merged.");
    }
    std::vector<data::RecordFile*> involved;
    for (data::FileManager* file : opened_) involved.push_back(&file->file());
    if (files_.BeginTransaction(involved, wait_seconds_) != data::kStoreOk)
      return Fail("The client's records are in use on another station; nothing was merged. Try again when the other station is done.");
    for (std::size_t i = 0; i < kMerged.size(); ++i) {
      if (!MoveRecords(kMerged[i], opened_[i]->file()))
        return Fail("A record of the " + Label(kMerged[i]) + " file could not be written; nothing was merged.");
    }
    if (!files_.CommitTransaction()) return Fail("The merge could not be saved; nothing was merged.");
    outcome_.ok = true;
    Close();
    return outcome_;
  }

 private:
  static std::string Label(const MergedFile& merged) { return std::string(merged.def().label); }

  bool MoveRecords(const MergedFile& merged, data::RecordFile& file) {
    const data::FileDef& def = merged.def();
    const data::KeyDef& key = *def.FindKey(merged.key);
    const data::FieldDef& client = *def.FindField(merged.client);
    file.ClearBuffer();
    data::WriteNumber(def, client, file.buffer(), from_);
    if (merged.dated != nullptr) data::WriteNumber(def, *def.FindField(merged.dated), file.buffer(), kFirstDay);
    std::vector<data::RecordPosition> positions;
    if (file.SetByKey(key) != data::kStoreOk) return false;
    while (file.Next() == data::kStoreOk && data::ReadNumber(def, client, file.buffer()) == from_)
      positions.push_back(file.Position());
    for (const data::RecordPosition position : positions) {
      if (file.GetByPosition(position) != data::kStoreOk) return false;
      data::WriteNumber(def, client, file.buffer(), to_);
      if (DuplicatesUniqueKey(file)) {
        ++outcome_.kept;
        continue;
      }
      if (file.Put() != data::kStoreOk) return false;
      ++outcome_.moved;
    }
    return true;
  }

  MergeOutcome Fail(std::string why) {
    files_.RollbackTransaction();
    Close();
    return {.ok = false, .problem = std::move(why)};
  }

  void Close() {
    for (data::FileManager* file : opened_) file->Close();
    opened_.clear();
  }

  data::FileRegistry& files_;
  std::int32_t from_, to_;
  int wait_seconds_;
  std::vector<data::FileManager*> opened_;
  MergeOutcome outcome_;
};

}  // namespace

MergeOutcome MergeClients(data::FileRegistry& files, std::int32_t from, std::int32_t to, int wait_seconds) {
  if (from == 0 || to == 0) return {.problem = "Choose both client numbers: a merge needs a client to merge and a client to merge into."};
  if (!IsClient(files, to))
    return {.problem = "Client " + std::to_string(to) + " is not in the client file; nothing was merged."};
  return Merge(files, from, to, wait_seconds).Run();
}

}  // namespace vornel::maintenance
