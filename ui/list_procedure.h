#pragma once
// A list procedure as a compact declaration: its title, file, sort orders
// with their tabs and locators, columns, and the procedure its buttons call.
// ListProcedure runs one: a maintenance list ("&Insert", "&Change",
// "&Delete", "Cl&ose", "Help") or a selection list ("&Select", "&Close",
// "Help"), over a browse manager.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/view_def.h"
#include "ui/browse_manager.h"
#include "ui/form_list.h"
#include "ui/procedure_catalog.h"
#include "ui/window_manager.h"

namespace vornel::ui {

enum class LocatorKind { kNone, kStep, kEntry };

struct ListOrder {
  std::string tab;  // the tab's title ("by Staff Code"); "" = no tab
  std::string key;  // "EMP:STAFF_KEY"; "" = record order
  LocatorKind locator = LocatorKind::kStep;
  std::string locator_picture;  // an entry locator's picture ("@s5", "@d2")
  std::string locator_prompt = "Find:";
  std::string filter = {};  // a filter expression of this order alone; "" = none
  // A name of the declaration's variables the key's first component is held
  // to (the records of one client, read by the key alone); "" = none.
  std::string range = {};
};

class ListProcedure;

struct ListDeclaration {
  std::string procedure;  // "BrowseEmployee"
  std::string title;
  data::ViewDef view;
  std::vector<ListOrder> orders;
  std::vector<ListColumn> columns;
  std::string filter = {};       // a filter expression every order keeps; "" = every record
  bool selection = false;        // a selection list (LOV_...)
  std::string update_procedure;  // the form the buttons call
  std::string close_text = "Cl&ose";
  std::string insert_text = "&Insert";
  std::string change_text = "&Change";
  std::string delete_text = "&Delete";
  // Chooses the sort order when the tab shown changes; by default the
  // order of the tab (tabs and orders in the same order).
  std::function<int(int tab)> order_for_tab;
  // Chooses the sort order (from 1) at every reset, when it depends on
  // more than the tab shown (what the user narrowed the list to).
  std::function<int()> choose_order = {};
  // More to show above the list (after the locator) and below it, before
  // the buttons.
  std::vector<platform::ControlSpec> above = {};
  std::vector<platform::ControlSpec> controls = {};
  // Lists of the highlighted record (his visits), below the list and the
  // controls; shown only, refilled as the highlight moves.
  std::vector<FormListDeclaration> record_lists = {};
  // Names the filters may use besides the view's fields; must outlive the list.
  const platform::NameScope* variables = nullptr;
  // The background of a row, from the row's records (BGR).
  std::function<std::int32_t()> row_colour = {};
  // Asked with the highlighted record in the buffer before it is changed or
  // deleted: false refuses (the rule has said why).
  std::function<bool(int request)> may_request = {};

  // The list's own rules; each may be empty.
  // What the list's own buttons do, by control name ("?WriteOff").
  std::vector<std::pair<std::string, std::function<void(ListProcedure&)>>> actions = {};
  // Once the window is open and the list set up.
  std::function<void(ListProcedure&)> on_open = {};
  // A control of the window was accepted: kContinue, or kHandled when the
  // rule took it.
  std::function<int(ListProcedure&, int control)> on_accepted = {};
  // After every event the window took.
  std::function<void(ListProcedure&)> after_event = {};
  // After the list's form answered a request (insert, change, delete).
  std::function<void(ListProcedure&, int request, int response)> after_request = {};
};

class ListProcedure : public WindowManager {
 public:
  ListProcedure(const Services& services, ListDeclaration declaration);
  ~ListProcedure() override;

  // Runs the list for the caller's request (select or none) and leaves the
  // response in the thread's global response.
  int RunForCaller();

  int Init() override;
  int Shutdown() override;
  int OnEvent(const platform::Event& event) override;
  int OnAccepted(const platform::Event& event) override;

  BrowseManager& browse() { return *browse_; }
  int shown_tab() const { return shown_tab_; }  // the tab in front, from 0
  int ControlNumber(std::string_view name) const;
  ThreadState& thread() { return thread_; }
  const Services& services() const { return services_; }
  // Moves the list to the first record from `value` in the entry locator's
  // element, as if the user had typed it there.
  void Locate(double value);
  double located() const { return locator_number_; }  // a date or number locator's value


 protected:
  // Declares the window; a list with more to show (a note beside the list)
  // adds its controls before the buttons.
  virtual void AddControls(platform::WindowSpec& spec) { (void)spec; }

 private:
  std::unique_ptr<StepPosition> StepFor(const data::KeyDef* key) const;
  int OrderForTab(int tab) const;  // tab from 0, order from 1
  platform::ValueRef LocatorValue(const ListOrder& order);

  const Services& services_;
  ListDeclaration declaration_;
  ThreadState& thread_;
  std::unique_ptr<BrowseManager> browse_;
  std::vector<int> tab_controls_;
  std::vector<BrowseManager*> record_lists_;  // owned by the window
  int shown_tab_ = 0;  // the first tab's page is in front when the window opens
  std::string locator_text_;
  double locator_number_ = 0;  // a date or number locator's value
  data::RelationManager* primary_relation_ = nullptr;
  bool name_pushed_ = false;
};

// Registers a list procedure under its name.
void RegisterList(const Services& services, ListDeclaration declaration);
// Registers a list procedure whose declaration is built on the thread that
// runs it (a list with state and rules of its own).
void RegisterList(const Services& services, std::string name,
                  std::function<ListDeclaration(ThreadState& thread)> declare);

}  // namespace vornel::ui
