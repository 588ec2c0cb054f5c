#pragma once
// Posting a period of the current department, all or nothing: the visits
// still scheduled refuse it; every shown visit is counted on its client
// (visits, individual visits, last seen) and leaves its client charge; every
// payment and charge record of the period moves its client's balance; the
// department's last posting date and the settings' reference date move to
// the end of the period. It all happens in one transaction over the five
// files, so a failure, a killed process or a station posting the same
// department at the same time leaves the period wholly posted or wholly not.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "data/file_registry.h"

namespace vornel::posting {

struct PostingRequest {
  std::int16_t department = 0;
  std::int32_t last_post_date = 0;  // as this station holds it: the period starts the day after
  std::int32_t end = 0;             // the last day of the period (botdate)
  bool override_in_force = false;   // the last posting date was set back on purpose
};

// What the progress window shows, now and then.
struct PostingProgress {
  std::function<void(std::int32_t date, std::int32_t log_no)> record;
  std::function<void(std::string_view message)> message;
};

enum class PostingOutcome {
  kPosted,           // the period is posted
  kNothingToPost,    // no visit from the period's first day on: nothing changed
  kScheduled,        // a visit of the period is still "SCHED": nothing changed
  kMissingClient,    // a visit or payment names a client who is not there: nothing changed
  kPostedElsewhere,  // another station posted the department meanwhile: nothing changed
  kBusy,             // another station's transaction holds the files: nothing changed
  kFailed,           // a file error: rolled back, nothing changed
};

struct PostingResult {
  PostingOutcome outcome = PostingOutcome::kFailed;
  std::string message;              // what the user is told; "" when posted or nothing to post
  std::int32_t posted_through = 0;  // the department's last posting date afterwards
  long visits_counted = 0;
  long charges_written = 0;
  long balance_records = 0;
};

// Runs the posting on the calling thread's files.
PostingResult PostPeriod(data::FileRegistry& files, const PostingRequest& request, const PostingProgress& progress);

}  // namespace vornel::posting
