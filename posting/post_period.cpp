#include "posting/post_period.h"

#include <array>
#include <chrono>
#include <map>
#include <vector>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/record_store.h"
#include "data/store/store_answer.h"
#include "platform/picture.h"
#include "posting/posting_rules.h"

namespace vornel::posting {
namespace {

// How long a posting waits for another station's transaction on the files
// (a save, or a posting of the same department) before it gives up.
constexpr int kWaitSeconds = 10;
// The progress window is told where the posting is about twenty times a
// second: often enough to see it move, seldom enough to cost nothing.
constexpr long kClockEvery = 64;  // records between looks at the clock
constexpr std::chrono::milliseconds kProgressEvery{50};

std::string Date(std::int32_t date) { return platform::FormatWith("d2", date); }

std::string Error(std::string_view what, int answer) {
  return std::string(what) + std::to_string(answer) + " (" + data::StoreAnswerText(answer) + ")";
}

class PostingRun {
 public:
  PostingRun(data::FileRegistry& files, const PostingRequest& request, const PostingProgress& progress)
      : files_(files),
        request_(request),
        progress_(progress),
        log_(files.Get(data::LogFile())),
        clients_(files.Get(data::ClientFile())),
        payments_(files.Get(data::ClipmtsFile())),
        departments_(files.Get(data::DepartmentsFile())),
        setups_(files.Get(data::SetupsFile())),
        start_(request.last_post_date + 1) {}

  PostingResult Run();

 private:
  PostingResult Passes();
  bool ReadDepartment(PostingResult& result);
  bool CheckPass(PostingResult& result);
  bool LoadClient(std::int16_t code, PostingResult& result, const std::string& whose);
  bool VisitPass(PostingResult& result);
  bool BalancePass(PostingResult& result);
  bool WriteClients(PostingResult& result);
  bool Close(PostingResult& result);
  void Tell(std::int32_t date, std::int32_t log_no) {
    if (!progress_.record || ++seen_ % kClockEvery != 1) return;
    const auto now = std::chrono::steady_clock::now();
    if (seen_ > 1 && now - told_ < kProgressEvery) return;
    told_ = now;
    progress_.record(date, log_no);
  }
  void Say(std::string_view message) {
    if (progress_.message) progress_.message(message);
  }
  PostingResult& Fail(PostingResult& result, PostingOutcome outcome, std::string message) {
    result.outcome = outcome;
    result.message = std::move(message);
    return result;
  }

  data::FileRegistry& files_;
  const PostingRequest& request_;
  const PostingProgress& progress_;
  data::FileManager& log_;
  data::FileManager& clients_;
  data::FileManager& payments_;
  data::FileManager& departments_;
  data::FileManager& setups_;
  std::int32_t start_;
  std::vector<data::LogRecord> counted_;         // the shown visits of the period, in log order
  std::map<std::int16_t, ClientTally> tallies_;  // by client code
  long seen_ = 0;                              // records passed, for the progress window
  std::chrono::steady_clock::time_point told_;  // when it was last told
};

PostingResult PostingRun::Run() {
  const data::BatchCache cache(files_.context().store);
  PostingResult result;
  std::array<data::FileManager*, 5> managers = {&log_, &clients_, &payments_, &departments_, &setups_};
  std::array<data::RecordFile*, 5> files{};
  std::size_t opened = 0;  // the managers to close again
  const data::FileManager* failed = nullptr;
  for (data::FileManager* file : managers) {
    if (file->Open() != 0) {
      failed = file;
      break;
    }
    files[opened++] = &file->file();
    if (file->EnsurePhysicallyOpen() != 0) {
      failed = file;
      break;
    }
  }
  if (failed == nullptr) {
    if (files_.BeginTransaction(files, kWaitSeconds) != data::kStoreOk) {
      Fail(result, PostingOutcome::kBusy,
           "The files of this department are in use at another station (a posting may be running there). "
           "Nothing was posted; post again when it has finished.");
    } else {
      result = Passes();
      if (result.outcome == PostingOutcome::kPosted) {
        if (!files_.CommitTransaction()) {
          files_.RollbackTransaction();
          Fail(result, PostingOutcome::kFailed, "The posting could not be saved. Nothing was posted.");
        }
      } else {
        files_.RollbackTransaction();
      }
    }
  } else {
    Fail(result, PostingOutcome::kFailed,
         "Error opening " + std::string(failed->def().label) + " for the posting. Nothing was posted.");
  }
  for (std::size_t i = 0; i < opened; ++i) managers[i]->Close();
  return result;
}

PostingResult PostingRun::Passes() {
  PostingResult result;
  result.outcome = PostingOutcome::kPosted;
  result.posted_through = request_.last_post_date;
  if (!ReadDepartment(result) || !CheckPass(result)) return result;
  if (result.outcome == PostingOutcome::kNothingToPost) return result;
  Say("Now processing log data.");
  if (!VisitPass(result)) return result;
  Say("Now processing line item data.");
  if (!BalancePass(result) || !WriteClients(result) || !Close(result)) return result;
  result.posted_through = request_.end;
  return result;
}

// Another station that posted the department meanwhile moved its date on.
bool PostingRun::ReadDepartment(PostingResult& result) {
  data::RecordFile& file = departments_.file();
  file.ClearBuffer();
  departments_.record<data::DepartmentsRecord>().DEPT_NO = request_.department;
  if (const int answer = file.GetByKey(*data::DepartmentsFile().PrimaryKey()); answer != data::kStoreOk) {
    Fail(result, PostingOutcome::kFailed, Error("Error on Opening Department File: ", answer));
    return false;
  }
  const std::int32_t stored = departments_.record<data::DepartmentsRecord>().POSTDATE;
  if (!request_.override_in_force && stored > request_.last_post_date) {
    Fail(result, PostingOutcome::kPostedElsewhere,
         "This department was posted through " + Date(stored) +
             " at another station meanwhile. Nothing was posted here; the next posting starts on " +
             Date(stored + 1) + ".");
    result.posted_through = stored;
    return false;
  }
  return true;
}

// The period's visits in log order: none scheduled, the shown ones kept.
bool PostingRun::CheckPass(PostingResult& result) {
  data::RecordFile& file = log_.file();
  auto& visit = log_.record<data::LogRecord>();
  file.ClearBuffer();
  visit.LOG_DATE = start_;
  if (file.SetByKey(*data::LogFile().FindKey("LOG:LOG_DAY")) != data::kStoreOk) {
    Fail(result, PostingOutcome::kFailed, "Error reading the visit log for the posting.");
    return false;
  }
  bool any = false;
  for (;;) {
    const int answer = file.Next();
    if (answer == data::kRecordNotAvailable) break;
    if (answer != data::kStoreOk) {
      Fail(result, PostingOutcome::kFailed, Error("Error reading the visit log: ", answer));
      return false;
    }
    any = true;
    if (visit.LOG_DATE > request_.end) break;
    Tell(visit.LOG_DATE, visit.LOG_NO);
    if (StillScheduled(visit)) {
      Fail(result, PostingOutcome::kScheduled, ScheduledVisitMessage(visit.LOG_DATE));
      return false;
    }
    if (Counted(visit)) counted_.push_back(visit);
  }
  // Nothing from the period's first day on: the posting date stays.
  if (!any) result.outcome = PostingOutcome::kNothingToPost;
  return true;
}

// The client's tally, starting from his stored balance; a client who is not
// there refuses the posting, naming the record that names him.
bool PostingRun::LoadClient(std::int16_t code, PostingResult& result, const std::string& whose) {
  if (tallies_.count(code) != 0) return true;
  data::RecordFile& file = clients_.file();
  file.ClearBuffer();
  clients_.record<data::ClientRecord>().CLCODE = code;
  const int answer = file.GetByKey(*data::ClientFile().FindKey("CLI:CODE_KEY"));
  if (answer == data::kRecordNotAvailable) {
    Fail(result, PostingOutcome::kMissingClient,
         whose + " names client " + std::to_string(code) +
             ", who is not in the client file. Nothing was posted: enter the client or correct the record, "
             "then post again.");
    return false;
  }
  if (answer != data::kStoreOk) {
    Fail(result, PostingOutcome::kFailed, Error("Error updating Client 1 file. ", answer));
    return false;
  }
  tallies_[code].balance = clients_.record<data::ClientRecord>().BAL_DUE;
  return true;
}

bool PostingRun::VisitPass(PostingResult& result) {
  data::RecordFile& file = payments_.file();
  for (const data::LogRecord& visit : counted_) {
    Tell(visit.LOG_DATE, visit.LOG_NO);
    if (!LoadClient(visit.CLCODE, result, "Visit " + std::to_string(visit.LOG_NO) + " of " + Date(visit.LOG_DATE)))
      return false;
    const std::int16_t client = visit.CLCODE;  // a packed field: copied before it is a map key
    CountVisit(visit, tallies_[client]);
    ++result.visits_counted;
    const std::optional<data::ClipmtsRecord> charge = VisitCharge(visit, start_);
    if (!charge) continue;
    payments_.record<data::ClipmtsRecord>() = *charge;
    if (const int answer = file.Add(); answer != data::kStoreOk) {
      Fail(result, PostingOutcome::kFailed, Error("Error updating Client Payments 1 file. ", answer));
      return false;
    }
    ++result.charges_written;
  }
  return true;
}

// Every payment and charge record of the period, by date, through its
// client's running balance.
bool PostingRun::BalancePass(PostingResult& result) {
  data::RecordFile& file = payments_.file();
  auto& record = payments_.record<data::ClipmtsRecord>();
  file.ClearBuffer();
  record.DATE = start_;
  if (file.SetByKey(*data::ClipmtsFile().FindKey("CPY:LINE_DAY")) != data::kStoreOk) {
    Fail(result, PostingOutcome::kFailed, "Error reading the client payments for the posting.");
    return false;
  }
  for (;;) {
    const int answer = file.Next();
    if (answer == data::kRecordNotAvailable) break;
    if (answer != data::kStoreOk) {
      Fail(result, PostingOutcome::kFailed, Error("Error reading the client payments: ", answer));
      return false;
    }
    if (record.DATE > request_.end) break;
    Tell(record.DATE, record.LOG_NO);
    if (!LoadClient(record.CLCODE, result, "The client payment record of " + Date(record.DATE))) return false;
    const std::int16_t client = record.CLCODE;
    ApplyToBalance(record, tallies_[client].balance);
    if (const int put = file.Put(); put != data::kStoreOk) {
      Fail(result, PostingOutcome::kFailed, Error("Error updating Client Payment -2  file. ", put));
      return false;
    }
    ++result.balance_records;
  }
  return true;
}

// Each client once, with what the passes gathered for him.
bool PostingRun::WriteClients(PostingResult& result) {
  data::RecordFile& file = clients_.file();
  auto& client = clients_.record<data::ClientRecord>();
  const data::KeyDef& key = *data::ClientFile().FindKey("CLI:CODE_KEY");
  for (const auto& [code, tally] : tallies_) {
    file.ClearBuffer();
    client.CLCODE = code;
    int answer = file.GetByKey(key);
    if (answer == data::kStoreOk) {
      client.NUM_VSTS = static_cast<std::int16_t>(client.NUM_VSTS + tally.visits);
      client.IND_VSTS = static_cast<std::int16_t>(client.IND_VSTS + tally.individual);
      if (tally.last_seen != 0) client.LAST_SEEN = tally.last_seen;
      client.BAL_DUE = tally.balance;
      answer = file.Put();
    }
    if (answer != data::kStoreOk) {
      Fail(result, PostingOutcome::kFailed, Error("Error updating Client 1 file. ", answer));
      return false;
    }
  }
  return true;
}

// The department's last posting date and the settings' reference date.
bool PostingRun::Close(PostingResult& result) {
  data::RecordFile& settings = setups_.file();
  int answer = settings.SetOrder(nullptr);
  if (answer == data::kStoreOk) answer = settings.Next();
  if (answer != data::kStoreOk) {
    Fail(result, PostingOutcome::kFailed, Error("Error Opening Setups file. ", answer));
    return false;
  }
  setups_.record<data::SetupsRecord>().REF_DATE = request_.end + 1;
  departments_.record<data::DepartmentsRecord>().POSTDATE = request_.end;
  if (answer = departments_.file().Put(); answer != data::kStoreOk) {
    Fail(result, PostingOutcome::kFailed, Error("Error updating the departments file. ", answer));
    return false;
  }
  if (answer = settings.Put(); answer != data::kStoreOk) {
    Fail(result, PostingOutcome::kFailed, Error("Error Setups the departments file. ", answer));
    return false;
  }
  return true;
}

}  // namespace

PostingResult PostPeriod(data::FileRegistry& files, const PostingRequest& request, const PostingProgress& progress) {
  return PostingRun(files, request, progress).Run();
}

}  // namespace vornel::posting
