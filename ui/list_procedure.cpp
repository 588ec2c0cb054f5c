#include "ui/list_procedure.h"

#include <algorithm>

#include "data/file_registry.h"
#include "data/relation_manager.h"
#include "platform/text.h"
#include "ui/locators.h"

namespace vornel::ui {
namespace {

using platform::ControlKind;
using platform::ControlSpec;

ControlSpec Control(std::string name, ControlKind kind, std::string text) {
  ControlSpec c;
  c.name = std::move(name);
  c.kind = kind;
  c.text = std::move(text);
  return c;
}

}  // namespace

const data::FieldDef* ViewField(const data::ViewDef& view, std::string_view name) {
  if (const data::FieldDef* field = view.primary().FindField(name)) return field;
  for (const data::ViewJoin& join : view.joins()) {
    if (const data::FieldDef* field = join.file->FindField(name)) return field;
  }
  return nullptr;
}

ListProcedure::ListProcedure(const Services& services, ListDeclaration declaration)
    : WindowManager(services.windows, services.errors),
      services_(services),
      declaration_(std::move(declaration)),
      thread_(*CurrentThread()) {}

ListProcedure::~ListProcedure() { ListProcedure::Shutdown(); }

int ListProcedure::RunForCaller() {
  const int response = Run();
  thread_.global_response = response;
  return response;
}

int ListProcedure::ControlNumber(std::string_view name) const { return window_ ? window_->Control(name) : 0; }

std::unique_ptr<StepPosition> ListProcedure::StepFor(const data::KeyDef* key) const {
  if (key == nullptr || key->components.empty()) return nullptr;
  const data::FieldDef& first = declaration_.view.primary().fields[key->components[0].field];
  if (first.type == data::FieldType::kText)
    return std::make_unique<TextStep>(TextStepKind::kComputed, kStepLetters | kStepDigits);
  return std::make_unique<WholeNumberStep>();
}

int ListProcedure::Init() {
  errors_.PushProcedureName(declaration_.procedure);
  name_pushed_ = true;
  request_ = thread_.global_request;
  thread_.global_request = 0;
  thread_.global_response = 0;
  WindowManager::Init();

  platform::WindowSpec spec;
  spec.procedure = declaration_.procedure;
  spec.title = declaration_.title;
  for (const ListOrder& order : declaration_.orders) {
    if (!order.tab.empty()) spec.controls.push_back(platform::Tab("?Tab" + std::to_string(spec.controls.size() + 1), order.tab));
  }
  const auto entry = std::find_if(declaration_.orders.begin(), declaration_.orders.end(),
                                  [](const ListOrder& o) { return o.locator == LocatorKind::kEntry; });
  if (entry != declaration_.orders.end())
    spec.controls.push_back(platform::Entry("?Locator", entry->locator_prompt, entry->locator_picture, LocatorValue(*entry)));
  for (const ControlSpec& control : declaration_.above) spec.controls.push_back(control);
  ControlSpec list = Control("?List", ControlKind::kList, "Browsing Records");
  for (const ListColumn& column : declaration_.columns) list.columns.push_back(column.header);
  spec.controls.push_back(list);
  for (const ControlSpec& control : declaration_.controls) spec.controls.push_back(control);
  for (const FormListDeclaration& shown : declaration_.record_lists)
    for (ControlSpec& control : FormListControls(shown)) spec.controls.push_back(std::move(control));
  AddControls(spec);
  if (declaration_.selection) {
    spec.controls.push_back(platform::Button("?Select", "&Select"));
  } else {
    spec.controls.push_back(platform::Button("?Insert", declaration_.insert_text));
    spec.controls.push_back(platform::Button("?Change", declaration_.change_text));
    spec.controls.push_back(platform::Button("?Delete", declaration_.delete_text));
  }
  spec.controls.push_back(platform::Button("?Close", declaration_.close_text));
  spec.controls.push_back(platform::Button("?Help", "Help"));
  spec.default_button = declaration_.selection ? "?Select" : "?Change";
  spec.cancel_button = "?Close";
  Open(spec);
  for (std::size_t i = 0; i < spec.controls.size(); ++i) {
    if (spec.controls[i].kind == ControlKind::kTab) tab_controls_.push_back(static_cast<int>(i) + 1);
  }

  browse_ = std::make_unique<BrowseManager>(*this, thread_);
  primary_relation_ = &thread_.files.Relations(declaration_.view.primary());
  browse_->Init(ControlNumber("?List"), declaration_.view, *primary_relation_, declaration_.variables);
  for (const ListOrder& order : declaration_.orders) {
    const data::KeyDef* key = order.key.empty() ? nullptr : declaration_.view.primary().FindKey(order.key);
    std::unique_ptr<Locator> locator;
    if (order.locator == LocatorKind::kStep) locator = std::make_unique<StepLocator>();
    if (order.locator == LocatorKind::kEntry)
      locator = std::make_unique<EntryLocator>(ControlNumber("?Locator"), LocatorValue(order));
    browse_->AddSortOrder(key, StepFor(key), std::move(locator));
    if (!declaration_.filter.empty()) browse_->SetFilter(declaration_.filter);
    if (!order.filter.empty()) browse_->SetFilter(order.filter, "Order");
    if (!order.range.empty() && key != nullptr && declaration_.variables != nullptr) {
      if (const auto value = declaration_.variables->Find(order.range))
        browse_->AddRange(declaration_.view.primary().fields[key->components[0].field], *value);
    }
  }
  for (const ListColumn& column : declaration_.columns) {
    if (column.compute) {
      browse_->AddComputed(column.compute);
    } else if (const data::FieldDef* field = ViewField(declaration_.view, column.field)) {
      browse_->AddField(*field, column.picture);
    }
  }
  browse_->may_request = declaration_.may_request;
  browse_->row_colour = declaration_.row_colour;
  if (declaration_.selection) {
    browse_->SELECTCONTROL = ControlNumber("?Select");
  } else if (request_ != kView) {
    browse_->INSERTCONTROL = ControlNumber("?Insert");
    browse_->CHANGECONTROL = ControlNumber("?Change");
    browse_->DELETECONTROL = ControlNumber("?Delete");
  } else {
    for (const char* button : {"?Insert", "?Change", "?Delete"}) window_->SetEnabled(ControlNumber(button), false);
  }
  // The order is always the one of the tab shown, from the first fill on.
  if (declaration_.choose_order) {
    browse_->sort_order_choice = declaration_.choose_order;
  } else if (!tab_controls_.empty()) {
    browse_->sort_order_choice = [this] { return OrderForTab(shown_tab_); };
  }
  AddButton(ControlNumber("?Close"), kCancelled);
  const std::string update = declaration_.update_procedure;
  if (!update.empty()) {
    browse_->update_form = [this, update](int request) {
      const int response = services_.procedures.CallWith(update, request);
      if (declaration_.after_request) declaration_.after_request(*this, request, response);
      return response;
    };
  }
  for (const FormListDeclaration& shown : declaration_.record_lists)
    record_lists_.push_back(&OpenRecordList(*this, thread_, declaration_.view.primary(), shown));
  if (declaration_.on_open) declaration_.on_open(*this);
  return 0;
}

// A text locator keeps what is typed as text; a date or number locator as
// the number its picture reads, which goes into the key as it is.
platform::ValueRef ListProcedure::LocatorValue(const ListOrder& order) {
  const bool text = order.locator_picture.size() < 2 || platform::UpperChar(order.locator_picture[1]) == 'S';
  return text ? platform::Ref(locator_text_) : platform::Ref(locator_number_);
}

int ListProcedure::OnEvent(const platform::Event& event) {
  if (event.kind == platform::EventKind::kNewSelection) {
    auto tab = std::find(tab_controls_.begin(), tab_controls_.end(), event.control);
    if (tab != tab_controls_.end()) {
      shown_tab_ = static_cast<int>(tab - tab_controls_.begin());
      browse_->RefreshSortOrder(false);
      browse_->RefreshWindow();
      return kHandled;
    }
  }
  const int result = WindowManager::OnEvent(event);
  if (result != kEndLoop && window_) {
    // The lists of the highlighted record follow the highlight.
    if (!record_lists_.empty() && !browse_->rows().empty()) {
      browse_->CopyRowToRecord();
      for (BrowseManager* list : record_lists_) list->Reset();
    }
    if (declaration_.after_event) declaration_.after_event(*this);
  }
  return result;
}

int ListProcedure::OnAccepted(const platform::Event& event) {
  for (const auto& [control, action] : declaration_.actions) {
    if (event.control != ControlNumber(control)) continue;
    action(*this);
    return kHandled;
  }
  if (declaration_.on_accepted && declaration_.on_accepted(*this, event.control) != kContinue) return kHandled;
  return WindowManager::OnAccepted(event);
}

void ListProcedure::Locate(double value) {
  const int locator = ControlNumber("?Locator");
  if (locator == 0) return;
  locator_number_ = value;
  window_->Display(locator);
  browse_->OnEvent(platform::Event{.kind = platform::EventKind::kAccepted, .control = locator});
  browse_->RefreshWindow();
}

int ListProcedure::OrderForTab(int tab) const {
  return declaration_.order_for_tab ? declaration_.order_for_tab(tab) : tab + 1;
}

int ListProcedure::Shutdown() {
  const int result = WindowManager::Shutdown();
  if (name_pushed_) errors_.PopProcedureName();
  name_pushed_ = false;
  return result;
}

void RegisterList(const Services& services, ListDeclaration declaration) {
  const std::string name = declaration.procedure;
  services.procedures.Register(name, [&services, declaration = std::move(declaration)] {
    ListProcedure(services, declaration).RunForCaller();
  });
}

void RegisterList(const Services& services, std::string name,
                  std::function<ListDeclaration(ThreadState& thread)> declare) {
  services.procedures.Register(std::move(name), [&services, declare = std::move(declare)] {
    ListProcedure(services, declare(*CurrentThread())).RunForCaller();
  });
}

}  // namespace vornel::ui
