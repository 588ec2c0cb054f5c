#include "visits/visit_lines.h"

#include <array>

#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/store/store_answer.h"
#include "platform/text.h"

namespace vornel::visits {
namespace {

constexpr int kWaitSeconds = 10;  // for another station's transaction on the file

data::LineitemRecord& Record(data::FileManager& lines) { return lines.record<data::LineitemRecord>(); }

void Stamp(data::LineitemRecord& line, const LineStamp& stamp) {
  line.CLCODE = stamp.client;
  line.SERV_DATE = stamp.date;
  platform::AssignPadded(line.CLI_XXX, stamp.initials.substr(0, 3));
}

}  // namespace

VisitLines::VisitLines(data::FileRegistry& files, std::int32_t log_no)
    : files_(files), lines_(files.Get(data::LineitemFile())), log_no_(log_no) {}

bool VisitLines::Framed(const std::function<bool()>& pass) {
  if (lines_.Open() != 0) return false;
  bool done = false;
  if (lines_.EnsurePhysicallyOpen() == 0) {
    std::array<data::RecordFile*, 1> files = {&lines_.file()};
    if (files_.BeginTransaction(files, kWaitSeconds) == data::kStoreOk) {
      done = pass();
      if (done) {
        done = files_.CommitTransaction();
      } else {
        files_.RollbackTransaction();
      }
    }
  }
  lines_.Close();
  return done;
}

template <typename Act>
bool VisitLines::EachLine(Act act) {
  const data::KeyDef& key = *lines_.def().FindKey("LIN:LOG_KEY");
  data::RecordFile& file = lines_.file();
  file.ClearBuffer();
  Record(lines_).LOG_NO = log_no_;
  if (file.SetByKey(key) != data::kStoreOk) return false;
  for (;;) {
    const int read = file.Next();
    if (read == data::kRecordNotAvailable) return true;
    if (read != data::kStoreOk) return false;
    if (Record(lines_).LOG_NO != log_no_) return true;
    if (!act(file, Record(lines_))) return false;
  }
}

std::vector<ChargeLine> VisitLines::Read() {
  std::vector<ChargeLine> read;
  if (lines_.Open() != 0) return read;
  const bool whole = lines_.EnsurePhysicallyOpen() == 0 && EachLine([&](data::RecordFile&, const data::LineitemRecord& line) {
    read.push_back({std::string(platform::Clip(platform::ReadField(line.VEN_CODE))),
                    std::string(platform::Clip(platform::ReadField(line.LINE_SVC))), line.AMOUNT_DUE,
                    std::string(platform::Clip(platform::ReadField(line.STATUS)))});
    return true;
  });
  lines_.Close();
  if (!whole) read.clear();
  return read;
}

bool VisitLines::Add(const std::vector<ChargeLine>& lines, const LineStamp& stamp) {
  if (lines.empty()) return true;
  return Framed([&] {
    for (const ChargeLine& planned : lines) {
      lines_.file().ClearBuffer();
      data::LineitemRecord& line = Record(lines_);
      line.LOG_NO = log_no_;
      platform::AssignPadded(line.VEN_CODE, planned.payer);
      platform::AssignPadded(line.LINE_SVC, planned.service);
      line.AMOUNT_DUE = planned.amount_due;
      platform::AssignPadded(line.STATUS, kOpen);
      line.MA_UNITS = 1;
      Stamp(line, stamp);
      if (lines_.file().Add() != data::kStoreOk) return false;
    }
    return true;
  });
}

int VisitLines::DeleteOpen() {
  int kept = 0;
  const bool done = Framed([&] {
    return EachLine([&](data::RecordFile& file, const data::LineitemRecord& line) {
      const ChargeLine shown{"", "", 0, std::string(platform::Clip(platform::ReadField(line.STATUS)))};
      if (!GoesWithTheVisit(shown)) {
        ++kept;
        return true;
      }
      return file.Delete() == data::kStoreOk;
    });
  });
  return done ? kept : -1;
}

bool VisitLines::Restamp(const LineStamp& stamp) {
  return Framed([&] {
    return EachLine([&](data::RecordFile& file, data::LineitemRecord& line) {
      Stamp(line, stamp);
      return file.Put() == data::kStoreOk;
    });
  });
}

}  // namespace vornel::visits
