#include "ui/locators.h"

#include "data/dictionary/field_access.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "platform/picture.h"
#include "platform/text.h"

namespace vornel::ui {
namespace {

// The printable character a list key stands for, or 0.
char Printable(int key) {
  const int code = key - platform::kKeyCharacter;
  return code >= 32 && code < 256 && code != 127 ? static_cast<char>(code) : 0;
}

// Puts the located value into the free key element and refills the list from it.
void Locate(BrowseManager& browse, const std::string& typed, bool no_case) {
  const data::FieldDef* free = browse.free_element();
  if (free == nullptr) return;
  const data::FileDef& file = browse.primary()->me().def();
  const std::string value = no_case ? platform::Upper(typed) : typed;
  if (free->type == data::FieldType::kText) {
    if (!data::WriteText(file, *free, browse.primary_buffer(), value)) return;
  } else {
    data::WriteNumber(file, *free, browse.primary_buffer(), platform::ReadNumber(value).value_or(0));
  }
  browse.ClearAfterFreeElement();
  browse.RefreshFromBuffer();
}

}  // namespace

bool StepLocator::OnKey(int key) {
  const char typed = Printable(key);
  if (typed == 0 || browse_ == nullptr) return false;
  BrowseManager& browse = *browse_;
  if (!browse.rows().empty()) {
    browse.ScrollOne(platform::ScrollKind::kLineDown);
    browse.CopyRowToRecord();
  }
  const data::FieldDef* free = browse.free_element();
  if (free != nullptr && free->type == data::FieldType::kText) {
    const std::string current = data::ReadText(browse.primary()->me().def(), *free, browse.primary_buffer());
    const bool same = !current.empty() && (no_case_ ? platform::UpperChar(current[0]) == platform::UpperChar(typed)
                                                    : current[0] == typed);
    if (same) return true;  // the same letter again walks down the list
  }
  Locate(browse, std::string(1, typed), no_case_);
  return true;
}

bool EntryLocator::OnKey(int key) {
  const char typed = Printable(key);
  if (typed == 0 || browse_ == nullptr || browse_->rows().empty()) return false;
  platform::Window& window = *browse_->window_manager().window();
  window.Select(entry_);
  window.SetText(entry_, std::string(1, typed));
  return true;
}

bool EntryLocator::OnAccepted(int control) {
  if (control != entry_ || browse_ == nullptr) return false;
  Locate(*browse_, value_.Text(), no_case_);
  return true;
}

void EntryLocator::RefreshWindow() {
  if (browse_) browse_->window_manager().window()->SetEnabled(entry_, !browse_->rows().empty());
}

bool IncrementalLocator::OnKey(int key) {
  if (browse_ == nullptr) return false;
  if (key == platform::kKeyBackspace) {
    if (shadow_.empty()) return false;
    shadow_.pop_back();
  } else if (const char typed = Printable(key); typed != 0 && shadow_.size() < kMaxShadow) {
    shadow_ += typed;
  } else {
    return false;
  }
  Locate(*browse_, shadow_, no_case_);
  return true;
}

void IncrementalLocator::RefreshWindow() {
  if (browse_) browse_->window_manager().window()->SetText(display_, shadow_);
}

}  // namespace vornel::ui
