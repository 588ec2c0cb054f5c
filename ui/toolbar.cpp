#include "ui/toolbar.h"

#include "ui/window_manager.h"

namespace vornel::ui {
namespace {

const std::vector<std::uint8_t> kFormChangeTips = PackTips({
    {kToolLast, "Save changes and go to last record"},
    {kToolFirst, "Save changes and go to first record"},
    {kToolPageDown, "Save changes and page down to record"},
    {kToolPageUp, "Save changes and page up to record"},
    {kToolNext, "Save changes and go to next record"},
    {kToolPrevious, "Save changes and go to previous record"},
    {kToolInsert, "Save this record and add a new one"},
});
const std::vector<std::uint8_t> kFormInsertTips = PackTips({
    {kToolInsert, "Save record and add another"},
    {kToolNext, "Save record and add another"},
});
const std::vector<std::uint8_t> kListTips = PackTips({
    {kToolNext, "Go to the Next Record"},
    {kToolLast, "Go to the Last Page"},
    {kToolFirst, "Go to the First Page"},
    {kToolPageDown, "Go to the Next Page"},
    {kToolPageUp, "Go to the Prior Page"},
    {kToolNext, "Go to the Next Record"},
    {kToolPrevious, "Go to the Prior Record"},
    {kToolInsert, "Insert a new Record"},
});

}  // namespace

std::vector<std::uint8_t> PackTips(std::initializer_list<std::pair<int, std::string_view>> tips) {
  std::vector<std::uint8_t> block{static_cast<std::uint8_t>(tips.size())};
  for (const auto& [button, text] : tips) {
    block.push_back(static_cast<std::uint8_t>(button & 0xFF));
    block.push_back(static_cast<std::uint8_t>(button >> 8));
    block.push_back(static_cast<std::uint8_t>(text.size()));
    block.insert(block.end(), text.begin(), text.end());
  }
  return block;
}

// A damaged block keeps the whole entries before the damage.
std::map<int, std::string> UnpackTips(std::span<const std::uint8_t> block) {
  std::map<int, std::string> tips;
  if (block.empty()) return tips;
  std::size_t at = 1;
  for (int entry = 0; entry < block[0]; ++entry) {
    if (at + 3 > block.size()) break;
    const int button = block[at] | (block[at + 1] << 8);
    const std::size_t length = block[at + 2];
    if (at + 3 + length > block.size()) break;
    tips[button] = std::string(block.begin() + static_cast<std::ptrdiff_t>(at + 3),
                               block.begin() + static_cast<std::ptrdiff_t>(at + 3 + length));
    at += 3 + length;
  }
  return tips;
}

std::span<const std::uint8_t> FormChangeTips() { return kFormChangeTips; }
std::span<const std::uint8_t> FormInsertTips() { return kFormInsertTips; }
std::span<const std::uint8_t> ListTips() { return kListTips; }

// The first target stays current: a form keeps the toolbar when a list on
// one of its tabs is added.
void Toolbar::AddTarget(ToolbarTarget& target, int control) {
  targets_.push_back({&target, control});
  if (current_ == nullptr) SetTarget(control);
}

void Toolbar::SetTarget(int control) {
  for (const Target& target : targets_) {
    if (target.control == control) current_ = target.target;
  }
  Display();
}

void Toolbar::Display() {
  if (current_ == nullptr || window_.window() == nullptr) return;
  const std::map<int, std::string> tips = UnpackTips(current_->Tips());
  std::vector<platform::ToolState> states;
  for (const auto& [button, enabled] : current_->Buttons()) {
    auto tip = tips.find(button);
    states.push_back({button, enabled, tip == tips.end() ? std::string() : tip->second});
  }
  window_.window()->SetToolButtons(std::move(states));
}

int Toolbar::OnEvent(const platform::Event& event) {
  if (event.kind != platform::EventKind::kAccepted || event.control < kToolInsert || event.control > kToolHelp ||
      current_ == nullptr)
    return kContinue;
  current_->OnButton(event.control);
  return kHandled;
}

}  // namespace vornel::ui
