#pragma once
// The client archive and the visit purge as functions of the files: the
// batch windows (posting/archive_batches.cpp) walk the records with the
// progress window and call them.
#include <cstdint>
#include <string>

#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "posting/client_groups.h"

namespace vornel::posting {

// A charge line a payer may still pay: open, billed or re-billed.
bool AwaitsPayer(const data::LineitemRecord& line);

struct ArchiveOutcome {
  bool ok = true;
  bool archived = false;
  std::string problem;  // why the run stopped
};

// Moves whole clients into the archive. A client is archived when he owes
// nothing, is inactive or discharged, was last seen on or before the
// cutoff (a last-seen date of 0 is never), has no visit after the cutoff,
// and has no charge line a payer may still pay. He goes into Cliarc and his
// visits into Logarc, field for field; his Udcs, Discharg, comments,
// payment records, group assignments, insurance cards, charge lines and
// the client record are deleted.
//
// The files stay open for the whole run, and clients are committed in
// groups of whole clients: a failed write, or a process that dies, undoes
// the clients since the last commit, so every client is wholly working or
// wholly archived. A client whose number the archive holds already stays
// in the working files.
class ClientArchive {
 public:
  static constexpr int kClientsPerCommit = 100;

  // Another station's writes to the files are waited for up to `wait_seconds`.
  ClientArchive(data::FileRegistry& files, std::int32_t cutoff, int clients_per_commit = kClientsPerCommit,
                int wait_seconds = 10);
  ~ClientArchive();  // commits what Finish has not
  ClientArchive(const ClientArchive&) = delete;
  ClientArchive& operator=(const ClientArchive&) = delete;

  // Archives the client when the rules allow; after a failure the run has
  // stopped and the clients since the last commit are where they were.
  ArchiveOutcome Consider(const data::ClientRecord& client);
  // Commits the clients archived since the last commit and closes the files.
  ArchiveOutcome Finish();

  int archived() const { return archived_; }
  int kept_for_payers() const { return kept_for_payers_; }  // charge lines still open
  int in_archive_already() const { return in_archive_already_; }

 private:
  bool Begin(std::int16_t client, std::string& why);
  bool Archivable(const data::ClientRecord& client);
  bool Move(const data::ClientRecord& client, std::string& why);
  ArchiveOutcome Fail(std::string why);
  std::string NotSaved() const;

  data::FileRegistry& files_;
  std::int32_t cutoff_;
  ClientGroups groups_;
  int archived_ = 0;
  int kept_for_payers_ = 0;
  int in_archive_already_ = 0;
};

struct PurgeOutcome {
  bool ok = true;
  int visits = 0;  // deleted
  int lines = 0;   // deleted
  std::string problem;
};

// Deletes, in the transaction the caller holds, the visit in the Log
// buffer (dated before the cutoff) with its charge lines, unless one of
// them awaits a payer: then the visit and its lines stay.
bool PurgeVisit(data::FileRegistry& files, PurgeOutcome& outcome);
// Deletes the charge lines dated before the cutoff that no payer will pay
// any more (paid or transferred).
bool PurgeClosedLines(data::FileRegistry& files, std::int32_t cutoff, PurgeOutcome& outcome);

}  // namespace vornel::posting
