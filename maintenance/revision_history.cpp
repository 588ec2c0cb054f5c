// The revision history: the list of the program's revisions, with the
// description of the highlighted one, the version running and the switch
// that opens the list at start-up; and the form of one revision.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_registry.h"
#include "maintenance/families.h"
#include "platform/text.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {
namespace {

using platform::Ref;

constexpr std::string_view kDescription = "?APP:DESCRIPTION";

class RevisionHistoryList : public ui::ListProcedure {
 public:
  RevisionHistoryList(const ui::Services& services, ui::ListDeclaration declaration)
      : ListProcedure(services, std::move(declaration)),
        values_(services.values),
        revision_(ui::CurrentThread()->files.Get(data::AppRevsFile()).record<data::AppRevsRecord>()) {}

  // The description follows the highlighted row, whatever moved it (a
  // click, a scroll, the list refilled after the form).
  int OnEvent(const platform::Event& event) override {
    const int result = ListProcedure::OnEvent(event);
    if (window() != nullptr && platform::ReadField(revision_.DESCRIPTION) != shown_) {
      shown_ = platform::ReadField(revision_.DESCRIPTION);
      window()->Display(ControlNumber(kDescription));
    }
    return result;
  }

  void Reset(bool force) override {
    ListProcedure::Reset(force);  // displays every control
    shown_ = platform::ReadField(revision_.DESCRIPTION);
  }

 protected:
  void AddControls(platform::WindowSpec& spec) override {
    spec.controls.push_back(platform::Wrapped(
        platform::Shown(std::string(kDescription), "Description of Changes", "@s255", VORNEL_FIELD(revision_, DESCRIPTION)), 5));
    spec.controls.push_back(platform::Shown("?VersionLabel", "Current Version :", "@s15", Ref(values_.version_label)));
    spec.controls.push_back(platform::Check("?HistoryPopup", " Remove check to prevent opening this window on startup.",
                                            Ref(values_.history_popup), "1", "0"));
  }

 private:
  ui::ProgramValues& values_;
  data::AppRevsRecord& revision_;
  std::string shown_;
};

}  // namespace

void RegisterRevisionHistory(const ui::Services& services) {
  ui::ListDeclaration list{.procedure = "BrowseRevisionHistory",
                           .title = "Review Revision History",
                           .view = data::ViewDef(data::AppRevsFile()),
                           .orders = {{"", "APP:REV_KEY", ui::LocatorKind::kNone}},
                           .columns = {{"Revision", "APP:REVISION_NUMBER", "@n6.2"},
                                       {"Change Summary", "APP:TITLE", "@s25"}},
                           .update_procedure = "UpdateRevisioinHistory",
                           .close_text = "Close"};
  services.procedures.Register(list.procedure, [&services, list] {
    RevisionHistoryList(services, list).RunForCaller();
  });

  ui::RegisterForm(services, "UpdateRevisioinHistory", [](ui::ThreadState& thread) {
    auto& a = thread.files.Get(data::AppRevsFile()).record<data::AppRevsRecord>();
    ui::FormDeclaration form = ui::StandardForm(
        "UpdateRevisioinHistory", "Update Revision History", data::AppRevsFile(),
        {platform::Entry("?APP:REVISION_NUMBER", "Revision_Number:", "@N10.2", VORNEL_FIELD(a, REVISION_NUMBER)),
         platform::Entry("?APP:TITLE", "Title:", "@s25", VORNEL_FIELD(a, TITLE)),
         platform::Wrapped(platform::Entry(std::string(kDescription), "", "@s255", VORNEL_FIELD(a, DESCRIPTION)), 5)},
        "Cancel");
    for (platform::ControlSpec& control : form.window.controls) {
      if (control.name == form.ok) control.text = "OK";
    }
    return form;
  });
}

}  // namespace vornel::maintenance
