#include "data/view_def.h"

#include <algorithm>

namespace vornel::data {

ViewDef& ViewDef::Join(const FileDef& file, std::string_view key,
                       std::initializer_list<std::string_view> on, JoinType type) {
  joins_.push_back({&file, std::string(key), std::vector<std::string>(on.begin(), on.end()), type});
  return *this;
}

ViewPlanResult PlanView(const ViewDef& view) {
  ViewPlanResult result;
  ViewPlan& plan = result.plan;
  plan.files.push_back(&view.primary());
  auto refuse = [&result](std::string problem) {
    result.plan = {};
    result.problem = std::move(problem);
    return result;
  };
  for (const ViewJoin& join : view.joins()) {
    const std::string label(join.file->label);
    if (std::find(plan.files.begin(), plan.files.end(), join.file) != plan.files.end())
      return refuse(label + " occurs twice in the view");
    const KeyDef* key = join.file->FindKey(join.key);
    if (key == nullptr) return refuse(label + " has no key " + join.key);
    if (join.on.empty() || join.on.size() > key->components.size()) {
      return refuse("the join of " + label + " through " + join.key + " names " +
                    std::to_string(join.on.size()) + " linking fields for a key of " +
                    std::to_string(key->components.size()) + " components");
    }
    ViewPlan::Join planned{plan.files.size(), key, {}, join.type};
    for (std::size_t i = 0; i < join.on.size(); ++i) {
      const FieldDef* from = nullptr;
      std::size_t file = 0;
      for (; file < plan.files.size() && from == nullptr; ++file) from = plan.files[file]->FindField(join.on[i]);
      if (from == nullptr)
        return refuse(join.on[i] + " is no field of a file before " + label + " in the view");
      planned.links.push_back({file - 1, from, &join.file->fields[key->components[i].field]});
    }
    plan.files.push_back(join.file);
    plan.joins.push_back(std::move(planned));
  }
  return result;
}

}  // namespace vornel::data
