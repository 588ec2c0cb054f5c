#pragma once
// The relation manager: opens a file together with the files related to it,
// and changes or deletes a record so that its dependent records follow
// (cascade), are detached (clear) or prevent the change (restrict), framed in
// one transaction. One per file per thread.
#include <functional>
#include <string>
#include <vector>

#include "data/dictionary/relations.h"
#include "data/file_manager.h"

namespace vornel::data {

class RelationManager {
 public:
  RelationManager(FileManager& me, FileRegistry& registry);

  FileManager& me() { return me_; }

  int Open(bool nested = false);
  void Close(bool nested = false);
  // Remembers this file's linking values of the record read, so that Update
  // can tell which links the user changed.
  void SaveLinks();
  int Update(bool from_form = false);
  int Delete(bool ask = true);
  int CancelAutoNumber();
  // "QUICKSCAN=on/off" to this file (when open) and to every related file.
  void SetQuickScan(bool on);
  void SetUseTransactions(bool on) { use_transactions_ = on; }
  bool use_transactions() const { return use_transactions_; }

  struct Link {
    const FieldDef* mine;
    const FieldDef* theirs;
    std::string saved;  // this file's value when SaveLinks ran
  };
  struct Relation {
    RelationManager* other;
    const KeyDef* their_key;  // nullptr for an entry naming a parent
    std::vector<Link> links;
    RelationAction on_update = RelationAction::kNone;
    RelationAction on_delete = RelationAction::kNone;
  };
  std::vector<Relation>& relations();

 private:
  void AddRelations();
  bool Reached(int stamp);
  // Opens this file and, recursively, the related files not yet reached in
  // the pass; false when this manager was reached already.
  bool OpenPass(int stamp);
  void OpenPhysically(int stamp);
  // The files a change (or removal) of this record can write, recursively.
  void CollectTransactionFiles(bool for_delete, int stamp, std::vector<RecordFile*>& files);
  int BeginTransaction(bool for_delete);
  bool EndTransaction(bool commit);  // false: the commit failed and was rolled back
  void RefreshKeepingBuffer();
  // Runs `act` on every dependent record linked to `values` (or refuses
  // with `restrict_message` at the first one), keeping the dependent file's
  // state; `act` answers a level, or -1 when the dependent's write failed.
  int ForEachDependent(Relation& relation, const std::vector<std::string>& values,
                       int restrict_message, const std::function<int(RelationManager&)>& act);
  int RelinkDependent(Relation& relation, RelationManager& other,
                      const std::vector<std::string>* values);
  int Fail(FileManager& dependent, int message);
  int CascadeUpdate(Relation& relation, const std::vector<std::string>& old_values);
  int CascadeDelete(Relation& relation);
  int UpdateDependents();  // step 4 of Update, also used for cascaded records
  // Positions `dependent` at the first record linked to `values`.
  void PositionDependents(Relation& relation, const std::vector<std::string>& values);
  bool StillLinked(const Relation& relation, const std::vector<std::string>& values);
  std::vector<std::string> CurrentLinkValues(const Relation& relation);
  int DeleteOnce();

  FileManager& me_;
  FileRegistry& registry_;
  std::vector<Relation> relations_;
  bool relations_added_ = false;
  bool use_transactions_ = true;
  bool in_transaction_ = false;
  int transaction_wait_ = 2;
  int last_touched_ = 0;
  // Per open not yet closed: the related managers that open opened, so that
  // each close closes exactly what its open opened.
  std::vector<std::vector<RelationManager*>> opens_;
};

}  // namespace vornel::data
