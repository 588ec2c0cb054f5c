#include "data/relation_manager.h"

#include "data/dictionary/field_access.h"
#include "data/file_registry.h"
#include "errors/message_table.h"
#include "platform/text.h"

namespace vornel::data {
namespace msg = errors::msg;
using errors::kDeclined;
using errors::kFieldInvalid;
using errors::kGoOn;
using errors::kNotified;

namespace {

constexpr int kNoTransactions = 80;  // the store cannot frame transactions
constexpr int kWriteFailed = -1;     // a dependent's write failed; its message is still to show

bool SameLinkValue(std::string_view a, std::string_view b) {
  // Linking values compare in upper case: a vendor code differing only in
  // case is the same vendor.
  return platform::Upper(platform::Clip(a)) == platform::Upper(platform::Clip(b));
}

}  // namespace

RelationManager::RelationManager(FileManager& me, FileRegistry& registry)
    : me_(me), registry_(registry) {}

std::vector<RelationManager::Relation>& RelationManager::relations() {
  AddRelations();
  return relations_;
}

void RelationManager::AddRelations() {
  if (relations_added_) return;
  relations_added_ = true;
  const FileDef& mine = me_.def();
  for (const RelationDef& def : AllRelations()) {
    if (&def.parent() != &mine) continue;
    const FileDef& dependent = def.dependent();
    Relation relation{&registry_.Relations(dependent), dependent.FindKey(def.dependent_key), {},
                      def.on_update, def.on_delete};
    for (const RelationLink& link : def.links)
      relation.links.push_back({mine.FindField(link.parent_field),
                                dependent.FindField(link.dependent_field), {}});
    relations_.push_back(std::move(relation));
  }
  for (const ParentDef& def : AllParentEntries()) {
    if (&def.file() == &mine)
      relations_.push_back({&registry_.Relations(def.parent()), nullptr, {},
                            RelationAction::kNone, RelationAction::kNone});
  }
}

bool RelationManager::Reached(int stamp) {
  if (last_touched_ == stamp) return true;
  last_touched_ = stamp;
  return false;
}

bool RelationManager::OpenPass(int stamp) {
  if (Reached(stamp)) return false;
  me_.Open();
  std::vector<RelationManager*> opened;
  for (Relation& relation : relations()) {
    if (relation.other->OpenPass(stamp)) opened.push_back(relation.other);
  }
  opens_.push_back(std::move(opened));
  return true;
}

int RelationManager::Open(bool nested) {
  OpenPass(nested ? registry_.current_pass() : registry_.NewPass());
  return kGoOn;
}

void RelationManager::Close(bool) {
  if (opens_.empty()) return;
  std::vector<RelationManager*> opened = std::move(opens_.back());
  opens_.pop_back();
  me_.Close();
  for (RelationManager* other : opened) other->Close(true);
}

void RelationManager::OpenPhysically(int stamp) {
  if (Reached(stamp)) return;
  me_.EnsurePhysicallyOpen();
  for (Relation& relation : relations()) relation.other->OpenPhysically(stamp);
}

void RelationManager::SetQuickScan(bool on) {
  const std::string command = std::string("QUICKSCAN=") + (on ? "on" : "off");
  int stamp = registry_.NewPass();
  std::vector<RelationManager*> todo{this};
  while (!todo.empty()) {
    RelationManager* manager = todo.back();
    todo.pop_back();
    if (manager->Reached(stamp)) continue;
    if (manager->me_.IsPhysicallyOpen()) manager->me_.file().SendCommand(command);
    for (Relation& relation : manager->relations()) todo.push_back(relation.other);
  }
}

void RelationManager::SaveLinks() {
  for (Relation& relation : relations()) {
    for (Link& link : relation.links) link.saved = ReadText(me_.def(), *link.mine, me_.buffer());
  }
}

std::vector<std::string> RelationManager::CurrentLinkValues(const Relation& relation) {
  std::vector<std::string> values;
  for (const Link& link : relation.links)
    values.push_back(ReadText(me_.def(), *link.mine, me_.buffer()));
  return values;
}

void RelationManager::CollectTransactionFiles(bool for_delete, int stamp,
                                              std::vector<RecordFile*>& files) {
  if (Reached(stamp)) return;
  files.push_back(&me_.file());
  for (Relation& relation : relations()) {
    if (!relation.their_key) continue;
    RelationAction action = for_delete ? relation.on_delete : relation.on_update;
    if (action == RelationAction::kCascade)
      relation.other->CollectTransactionFiles(for_delete, stamp, files);
    else if (action == RelationAction::kClear)
      relation.other->CollectTransactionFiles(false, stamp, files);
  }
}

int RelationManager::BeginTransaction(bool for_delete) {
  OpenPhysically(registry_.NewPass());
  if (!use_transactions_) return kGoOn;
  std::vector<RecordFile*> files;
  CollectTransactionFiles(for_delete, registry_.NewPass(), files);
  int answer = registry_.BeginTransaction(files, transaction_wait_);
  if (answer == kStoreOk) return kGoOn;
  if (answer == kNoTransactions) {
    use_transactions_ = false;
    return kGoOn;
  }
  me_.RaiseMessage(msg::kTransactionCancelled);
  return kNotified;
}

bool RelationManager::EndTransaction(bool commit) {
  if (commit) return registry_.CommitTransaction();
  registry_.RollbackTransaction();
  return true;
}

// After a rolled-back write the stored record is the one read before it: read
// it again (for its revision, which the change watch compares) and keep the
// user's values in the buffer.
void RelationManager::RefreshKeepingBuffer() {
  int saved = me_.SaveBuffer();
  me_.file().Reget();
  me_.RestoreBuffer(saved);
}

void RelationManager::PositionDependents(Relation& relation,
                                         const std::vector<std::string>& values) {
  FileManager& dependent = relation.other->me_;
  dependent.file().ClearBuffer();
  for (std::size_t i = 0; i < relation.links.size(); ++i)
    WriteText(dependent.def(), *relation.links[i].theirs, dependent.buffer(), values[i]);
  dependent.ClearKeyFrom(*relation.their_key, relation.links.size());
  dependent.file().SetByKey(*relation.their_key);
}

bool RelationManager::StillLinked(const Relation& relation,
                                  const std::vector<std::string>& values) {
  FileManager& dependent = relation.other->me_;
  for (std::size_t i = 0; i < relation.links.size(); ++i) {
    if (!SameLinkValue(ReadText(dependent.def(), *relation.links[i].theirs, dependent.buffer()),
                       values[i]))
      return false;
  }
  return true;
}

// Cascades the changed links of the record in the buffer into its dependents.
int RelationManager::UpdateDependents() {
  for (Relation& relation : relations()) {
    if (!relation.their_key || relation.on_update == RelationAction::kNone) continue;
    std::vector<std::string> old_values;
    bool changed = false;
    for (const Link& link : relation.links) {
      old_values.push_back(link.saved);
      changed |= !SameLinkValue(link.saved, ReadText(me_.def(), *link.mine, me_.buffer()));
    }
    if (!changed) continue;
    int level = CascadeUpdate(relation, old_values);
    if (level != kGoOn) {
      // The parent gets its old linking values back.
      for (std::size_t i = 0; i < relation.links.size(); ++i)
        WriteText(me_.def(), *relation.links[i].mine, me_.buffer(), old_values[i]);
      return level;
    }
  }
  return kGoOn;
}

int RelationManager::ForEachDependent(Relation& relation, const std::vector<std::string>& values,
                                      int restrict_message,
                                      const std::function<int(RelationManager&)>& act) {
  RelationManager& other = *relation.other;
  FileManager& dependent = other.me_;
  const int state = dependent.SaveFile();
  PositionDependents(relation, values);
  int result = kGoOn;
  while (result == kGoOn) {
    if (dependent.NextQuiet() != kGoOn) {
      if (!dependent.at_eof()) result = Fail(dependent, 0);
      break;
    }
    if (!StillLinked(relation, values)) break;
    if (restrict_message != 0) {
      result = Fail(dependent, restrict_message);
    } else {
      result = act(other);
      if (result == kWriteFailed) result = Fail(dependent, 0);
    }
  }
  dependent.RestoreFile(state, true);
  return result;
}

// A failed step of a cascade: the transaction is rolled back first (no
// message box is shown while other stations wait for the files), then the
// dependent file's message is raised.
int RelationManager::Fail(FileManager& dependent, int message) {
  registry_.RollbackTransaction();
  if (message != 0) dependent.set_last_error(message);
  dependent.Raise();
  return kNotified;
}

// Gives the dependent's linking fields `values` (blank when clearing) and
// writes it with its own cascades.
int RelationManager::RelinkDependent(Relation& relation, RelationManager& other,
                                     const std::vector<std::string>* values) {
  other.SaveLinks();
  FileManager& dependent = other.me_;
  for (std::size_t i = 0; i < relation.links.size(); ++i)
    WriteText(dependent.def(), *relation.links[i].theirs, dependent.buffer(),
              values ? (*values)[i] : std::string());
  if (dependent.UpdateQuiet() != kGoOn) return kWriteFailed;
  return other.UpdateDependents();
}

int RelationManager::CascadeUpdate(Relation& relation, const std::vector<std::string>& old_values) {
  const std::vector<std::string> new_values = CurrentLinkValues(relation);
  const bool clear = relation.on_update == RelationAction::kClear;
  const int restrict_message =
      relation.on_update == RelationAction::kRestrict ? msg::kRestrictUpdate : 0;
  return ForEachDependent(relation, old_values, restrict_message, [&](RelationManager& other) {
    return RelinkDependent(relation, other, clear ? nullptr : &new_values);
  });
}

int RelationManager::CascadeDelete(Relation& relation) {
  const int restrict_message =
      relation.on_delete == RelationAction::kRestrict ? msg::kRestrictDelete : 0;
  return ForEachDependent(
      relation, CurrentLinkValues(relation), restrict_message, [&](RelationManager& other) {
        if (relation.on_delete == RelationAction::kClear)
          return RelinkDependent(relation, other, nullptr);
        for (Relation& own : other.relations()) {
          if (!own.their_key || own.on_delete == RelationAction::kNone) continue;
          // A failed inner cascade has rolled back and shown its message.
          if (int level = other.CascadeDelete(own); level != kGoOn) return level;
        }
        return other.me_.DeleteRecord(false) == kGoOn ? kGoOn : kWriteFailed;
      });
}

int RelationManager::Update(bool from_form) {
  Open();
  int result = BeginTransaction(false);
  if (result == kGoOn) {
    int level = me_.UpdateQuiet();
    if (level != kGoOn) {
      EndTransaction(false);
      int message = me_.LastError();
      if (from_form && message == msg::kChangedByOther) message = msg::kChangedByOtherShown;
      if (level == kNotified) me_.RaiseMessage(message);
      const bool changed_elsewhere = message == msg::kChangedByOther ||
                                     message == msg::kChangedByOtherShown ||
                                     message == msg::kChangedOrDeleted;
      result = changed_elsewhere ? kNotified : kFieldInvalid;
    } else {
      result = UpdateDependents();
      if (result != kGoOn) {
        EndTransaction(false);
        RefreshKeepingBuffer();
      } else if (!EndTransaction(true)) {
        // The commit failed and was rolled back: nothing was written.
        RefreshKeepingBuffer();
        me_.RaiseMessage(msg::kUpdateFailed);
        result = kNotified;
      } else {
        SaveLinks();  // the saved links are now the stored ones
      }
    }
  }
  Close();
  return result;
}

int RelationManager::DeleteOnce() {
  RecordFile& file = me_.file();
  const std::string position = file.PositionString();
  const std::int64_t revision = file.Revision();
  me_.set_last_error(0);
  Open();
  int result = BeginTransaction(true);
  if (result == kGoOn) {
    // The re-read inside the transaction must find the record the user
    // chose to delete as he saw it: gone, or rewritten by another station
    // since the list read it, the delete is refused and the list shows what
    // is stored now.
    int message = 0;
    if (file.GetByPositionString(position) != kStoreOk) {
      message = msg::kChangedOrDeleted;
    } else if (file.Watched() && file.Revision() != revision) {
      message = msg::kChangedByOther;
    }
    if (message != 0) {
      EndTransaction(false);
      me_.RaiseMessage(message);
      result = kNotified;
    }
  }
  if (result == kGoOn) {
    for (Relation& relation : relations()) {
      if (relation.their_key && relation.on_delete != RelationAction::kNone) {
        result = CascadeDelete(relation);
        if (result != kGoOn) break;
      }
    }
  }
  if (result == kGoOn) {
    if (me_.DeleteRecord(false) != kGoOn || !EndTransaction(true)) {
      EndTransaction(false);
      me_.RaiseMessage(msg::kDeleteError);
      result = kNotified;
    }
  }
  EndTransaction(false);  // nothing left open after a failed cascade
  Close();
  return result;
}

int RelationManager::Delete(bool ask) {
  errors::ErrorManager& errors = registry_.context().errors;
  if (ask && errors.RaiseError(msg::kConfirmDelete) != kGoOn) return kDeclined;
  for (;;) {
    int result = DeleteOnce();
    if (result == kGoOn) return kGoOn;
    // Trying again cannot help when another station changed or deleted the
    // record; a silent error manager would answer Yes for ever.
    const int cause = me_.LastError();
    if (cause == msg::kChangedOrDeleted || cause == msg::kChangedByOther) return result;
    // Asked as the update's retry is: Yes, No or Cancel, Cancel the default,
    // so that a box answered by its default (Enter, an unattended run)
    // never tries again and again.
    if (errors.silent() ||
        errors.AskById(msg::kDeleteRetry, platform::kButtonYes | platform::kButtonNo | platform::kButtonCancel,
                       platform::kButtonCancel) != platform::kButtonYes)
      return result;
  }
}

int RelationManager::CancelAutoNumber() {
  return me_.CancelAutoNumber([this] { return Delete(false); });
}

}  // namespace vornel::data
