#pragma once
// What a view reads, as a procedure declares it: a primary file and files
// joined to it one after the other. Each joined file's record is fetched by
// one of its keys, whose leading components take the values of linking
// fields of files earlier in the view:
//
//   ViewDef(LineitemFile()).Join(LogFile(), "LOG:LOG_KEY", {"LIN:LOG_NO"})
//                          .Join(ClientFile(), "CLI:CODE_KEY", {"LOG:CLCODE"});
//
// reads Lineitem joined with Log through LOG:LOG_KEY on LIN:LOG_NO, and
// each line's visit with its client. An outer join (the default) leaves the
// joined buffer cleared when no record matches; an inner join skips the
// primary record then.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "data/dictionary/file_def.h"

namespace vornel::data {

enum class JoinType : std::uint8_t { kOuter, kInner };

struct ViewJoin {
  const FileDef* file;
  std::string key;              // "LOG:LOG_KEY"
  std::vector<std::string> on;  // the linking fields, one per leading key component
  JoinType type;
};

class ViewDef {
 public:
  explicit ViewDef(const FileDef& primary) : primary_(&primary) {}

  ViewDef& Join(const FileDef& file, std::string_view key, std::initializer_list<std::string_view> on,
                JoinType type = JoinType::kOuter);

  const FileDef& primary() const { return *primary_; }
  const std::vector<ViewJoin>& joins() const { return joins_; }

 private:
  const FileDef* primary_;
  std::vector<ViewJoin> joins_;
};

// A view with its names resolved against the dictionary.
struct ViewPlan {
  struct Link {
    std::size_t file;      // index into `files` of the file holding `from`
    const FieldDef* from;  // the linking field
    const FieldDef* to;    // the key component it sets
  };
  struct Join {
    std::size_t file;  // index into `files`
    const KeyDef* key;
    std::vector<Link> links;
    JoinType type;
  };
  std::vector<const FileDef*> files;  // the primary file first, then each joined file
  std::vector<Join> joins;
};

struct ViewPlanResult {
  ViewPlan plan;
  std::string problem;  // empty when every name resolved
};

// Resolves a view. Refused: a file that occurs twice (each file has one
// record buffer), an unknown key, no linking field or more than the key has
// components, a linking field that is no field of a file before the joined
// one.
ViewPlanResult PlanView(const ViewDef& view);

}  // namespace vornel::data
