#include "posting/client_archive.h"

#include <array>
#include <functional>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/text.h"

namespace vornel::posting {
namespace {


// A file of a client's records that the archive deletes, walked by its key
// from the client's first record.
struct ClientRecords {
  const data::FileDef& (*def)();
  const char* key;
  const char* client;
};
constexpr std::array<ClientRecords, 7> kDeleted = {{
    {data::UdcsFile, "UDC:UDCS_KEY", "UDC:CLCODE"},
    {data::DischargFile, "DIS:DIS_KEY", "DIS:CLCODE"},
    {data::Cli_cmmtFile, "CMT:COM_KEY", "CMT:CLI_CODE"},
    {data::ClipmtsFile, "CPY:CLI_KEY", "CPY:CLCODE"},
    {data::GrpassinFile, "SIN:CLI_KEY", "SIN:CLI_CODE"},
    {data::Ins_cardFile, "INS:CARD_KEY", "INS:CLCODE"},
    {data::LineitemFile, "LIN:CLI_KEY", "LIN:CLCODE"},
}};

// Walks the client's records in `file` by `key`, from his first; `each`
// sees every record as the current one and answers a store code: any other
// than kStoreOk ends the walk with that code. `each` may delete the record;
// any other write during the walk would make the file read its rows ahead
// again for every record.
int EachRecordOf(data::RecordFile& file, const char* key, const char* client_field, std::int16_t client,
                 const std::function<int()>& each) {
  const data::FileDef& def = file.def();
  const data::FieldDef& field = *def.FindField(client_field);
  file.ClearBuffer();
  data::WriteNumber(def, field, file.buffer(), client);
  if (const int answer = file.SetByKey(*def.FindKey(key)); answer != data::kStoreOk) return answer;
  while (file.Next() == data::kStoreOk && data::ReadNumber(def, field, file.buffer()) == client) {
    if (const int answer = each(); answer != data::kStoreOk) return answer;
  }
  return data::kStoreOk;
}

// Runs `each` on every record of the client in `file`, each the current
// record when it runs (so that it may delete it): the positions are read
// first, so that the writes do not disturb the walk.
int ChangeEachRecordOf(data::RecordFile& file, const char* key, const char* client_field, std::int16_t client,
                       const std::function<int()>& each) {
  std::vector<data::RecordPosition> positions;
  int answer = EachRecordOf(file, key, client_field, client, [&] {
    positions.push_back(file.Position());
    return static_cast<int>(data::kStoreOk);
  });
  for (std::size_t i = 0; answer == data::kStoreOk && i < positions.size(); ++i) {
    answer = file.GetByPosition(positions[i]);
    if (answer == data::kStoreOk) answer = each();
  }
  return answer;
}

// The files of the archive, in the order they are opened and locked.
std::vector<const data::FileDef*> ArchiveFiles() {
  std::vector<const data::FileDef*> defs = {&data::ClientFile(), &data::CliarcFile(), &data::LogFile(),
                                            &data::LogarcFile()};
  for (const ClientRecords& deleted : kDeleted) defs.push_back(&deleted.def());
  return defs;
}

std::string Code(int answer) { return std::to_string(answer); }

}  // namespace

bool AwaitsPayer(const data::LineitemRecord& line) {
  const char status = platform::UpperChar(line.STATUS[0]);
  return status == 'O' || status == 'B' || status == 'R';
}

ClientArchive::ClientArchive(data::FileRegistry& files, std::int32_t cutoff, int clients_per_commit,
                             int wait_seconds)
    : files_(files), cutoff_(cutoff), groups_(files, ArchiveFiles(), clients_per_commit, wait_seconds) {}

ClientArchive::~ClientArchive() { Finish(); }

ArchiveOutcome ClientArchive::Fail(std::string why) {
  const std::int16_t first = groups_.first_uncommitted();
  if (groups_.Undo()) why += " Clients from " + std::to_string(first) + " on were not archived.";
  return {.ok = false, .problem = std::move(why)};
}

std::string ClientArchive::NotSaved() const {
  return "The archive could not be saved. Clients from " + std::to_string(groups_.first_uncommitted()) +
         " on were not archived.";
}

ArchiveOutcome ClientArchive::Finish() {
  if (!groups_.Finish()) return Fail(NotSaved());
  return {};
}

bool ClientArchive::Begin(std::int16_t client, std::string& why) {
  switch (groups_.Begin(client)) {
    case ClientGroups::Start::kOk: return true;
    case ClientGroups::Start::kCannotOpen:
      why = "The " + std::string(groups_.unopened()->label) + " file cannot be opened; no client was archived.";
      return false;
    case ClientGroups::Start::kInUse:
      why = "The client files are in use on another station; try again when the other station is done.";
      return false;
  }
  return false;
}

ArchiveOutcome ClientArchive::Consider(const data::ClientRecord& client) {
  if (groups_.stopped()) return {.ok = false, .problem = "The archive has stopped."};
  if (!Archivable(client)) return {};
  std::string why;
  if (!Begin(client.CLCODE, why)) return Fail(why);
  data::RecordFile& archive = files_.Get(data::CliarcFile()).file();
  archive.ClearBuffer();
  archive.record<data::CliarcRecord>().CLCODE = client.CLCODE;
  if (archive.DuplicatesKey(*data::CliarcFile().FindKey("CAR:CODE_KEY"))) {
    ++in_archive_already_;
    return {};
  }
  // His visits tell whether he came after the cutoff; his lines whether a
  // payer may still pay.
  data::RecordFile& log = files_.Get(data::LogFile()).file();
  std::int32_t last_visit = 0;
  EachRecordOf(log, "LOG:LOG_CUST", "LOG:CLCODE", client.CLCODE, [&log, &last_visit] {
    last_visit = log.record<data::LogRecord>().LOG_DATE;
    return static_cast<int>(data::kStoreOk);
  });
  if (last_visit > cutoff_) return {};
  data::RecordFile& lines = files_.Get(data::LineitemFile()).file();
  constexpr int kAwaits = -1;
  if (EachRecordOf(lines, "LIN:CLI_KEY", "LIN:CLCODE", client.CLCODE, [&lines] {
        return AwaitsPayer(lines.record<data::LineitemRecord>()) ? kAwaits : data::kStoreOk;
      }) == kAwaits) {
    ++kept_for_payers_;
    return {};
  }
  groups_.Join();
  if (!Move(client, why)) return Fail(why);
  ++archived_;
  if (!groups_.CommitWhenFull()) return Fail(NotSaved());
  return {.archived = true};
}

bool ClientArchive::Archivable(const data::ClientRecord& client) {
  const char status = platform::UpperChar(client.CURRENT[0]);
  return client.BAL_DUE == 0 && (status == 'I' || status == 'D') && client.LAST_SEEN > 0 &&
         client.LAST_SEEN <= cutoff_;
}

bool ClientArchive::Move(const data::ClientRecord& client, std::string& why) {
  data::RecordFile& archive = files_.Get(data::CliarcFile()).file();
  archive.ClearBuffer();
  const auto whole = [](const auto& record) {
    return std::span<const char>(reinterpret_cast<const char*>(&record), sizeof record);
  };
  data::CopyRecord(data::ClientFile(), whole(client), data::CliarcFile(), archive.buffer());
  if (const int answer = archive.Add(); answer != data::kStoreOk) {
    why = "error adding cliarc: " + Code(answer);
    return false;
  }
  data::RecordFile& log = files_.Get(data::LogFile()).file();
  data::RecordFile& archived_visits = files_.Get(data::LogarcFile()).file();
  std::string stop;
  int answer = ChangeEachRecordOf(log, "LOG:LOG_CUST", "LOG:CLCODE", client.CLCODE, [&] {
    data::CopyRecord(data::LogFile(), log.buffer(), data::LogarcFile(), archived_visits.buffer());
    int step = archived_visits.Add();
    if (step != data::kStoreOk) stop = "Stop on Add Logarc  - ";
    else if (step = log.Delete(); step != data::kStoreOk) stop = "Stop on Delete Log  - ";
    return step;
  });
  if (answer != data::kStoreOk) {
    why = (stop.empty() ? "Stop on Add Logarc  - " : stop) + Code(answer);
    return false;
  }
  for (const ClientRecords& deleted : kDeleted) {
    data::RecordFile& file = files_.Get(deleted.def()).file();
    // Deleting the record just read keeps the rows read ahead: the walk goes on.
    answer = EachRecordOf(file, deleted.key, deleted.client, client.CLCODE, [&file] { return file.Delete(); });
    if (answer != data::kStoreOk) {
      why = "Stop on Delete " + std::string(deleted.def().label) + "  - " + Code(answer);
      return false;
    }
  }
  data::RecordFile& clients = files_.Get(data::ClientFile()).file();
  clients.ClearBuffer();
  clients.record<data::ClientRecord>().CLCODE = client.CLCODE;
  answer = clients.GetByKey(*data::ClientFile().FindKey("CLI:CODE_KEY"));
  if (answer == data::kStoreOk) answer = clients.Delete();
  if (answer != data::kStoreOk) {
    why = "Stop Delete of Client  - " + Code(answer);
    return false;
  }
  return true;
}

bool PurgeVisit(data::FileRegistry& files, PurgeOutcome& outcome) {
  data::RecordFile& log = files.Get(data::LogFile()).file();
  data::FileManager& line_file = files.Get(data::LineitemFile());
  if (line_file.Open() != 0 || line_file.EnsurePhysicallyOpen() != 0) return false;
  data::RecordFile& lines = line_file.file();
  const std::int32_t visit = log.record<data::LogRecord>().LOG_NO;
  std::vector<data::RecordPosition> positions;
  lines.ClearBuffer();
  lines.record<data::LineitemRecord>().LOG_NO = visit;
  if (lines.SetByKey(*data::LineitemFile().FindKey("LIN:LOG_KEY")) == data::kStoreOk) {
    while (lines.Next() == data::kStoreOk && lines.record<data::LineitemRecord>().LOG_NO == visit) {
      if (AwaitsPayer(lines.record<data::LineitemRecord>())) return true;  // the visit stays
      positions.push_back(lines.Position());
    }
  }
  for (const data::RecordPosition line : positions) {
    if (lines.GetByPosition(line) != data::kStoreOk || lines.Delete() != data::kStoreOk) return false;
    ++outcome.lines;
  }
  if (log.Delete() != data::kStoreOk) return false;
  ++outcome.visits;
  return true;
}

bool PurgeClosedLines(data::FileRegistry& files, std::int32_t cutoff, PurgeOutcome& outcome) {
  data::FileManager& line_file = files.Get(data::LineitemFile());
  if (line_file.Open() != 0 || line_file.EnsurePhysicallyOpen() != 0) return false;
  data::RecordFile& lines = line_file.file();
  std::vector<data::RecordPosition> closed;
  lines.SetOrder(nullptr);
  while (lines.Next() == data::kStoreOk) {
    const auto& line = lines.record<data::LineitemRecord>();
    if (line.SERV_DATE < cutoff && !AwaitsPayer(line)) closed.push_back(lines.Position());
  }
  for (const data::RecordPosition line : closed) {
    if (lines.GetByPosition(line) != data::kStoreOk || lines.Delete() != data::kStoreOk) return false;
    ++outcome.lines;
  }
  return true;
}

}  // namespace vornel::posting
