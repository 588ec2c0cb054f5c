// Study groups and their members: the list and form of Studygrp (with the
// group's members on a tab), the two member forms of Grpassin and the
// selection list of Studygrp.
#include "data/dictionary/dictionary.h"
#include "data/dictionary/records.h"
#include "data/file_manager.h"
#include "data/file_registry.h"
#include "maintenance/families.h"
#include "platform/text.h"
#include "ui/form_list.h"
#include "ui/list_procedure.h"
#include "ui/record_form.h"

namespace vornel::maintenance {
namespace {


// The members of the group, each with its client, on the form's "Group
// Members" tab.
ui::FormListDeclaration GroupMembers() {
  return {.name = "?Members",
          .tab = "Group Members",
          .view = data::ViewDef(data::GrpassinFile()).Join(data::ClientFile(), "CLI:CODE_KEY", {"SIN:CLI_CODE"}),
          .key = "SIN:GRP_KEY",
          .columns = {{"Client Code", "SIN:CLI_CODE", "@n_7"},
                      {"Group Code", "SIN:GRP_CODE", "@n_7"},
                      {"Client Last Name", "CLI:CLLNAME", "@s30"},
                      {"First Name", "CLI:CLFNAME", "@s15"},
                      {"Init", "CLI:CLMID", "@s1"},
                      {"Balance Due", "CLI:BAL_DUE", "@n10.2"}},
          .update_procedure = "UpdateGrpassin2"};
}

// The member's last name follows its client: the client is read again and
// its last name copied (blank when the code names no client).
void RefreshLastName(ui::ThreadState& thread, data::GrpassinRecord& member) {
  data::FileManager& clients = thread.files.Get(data::ClientFile());
  clients.Open();
  auto& client = clients.record<data::ClientRecord>();
  client.CLCODE = member.CLI_CODE;
  clients.Fetch(*data::ClientFile().FindKey("CLI:CODE_KEY"));
  platform::AssignCut(member.LASTNAME, platform::ReadField(client.CLLNAME));
  clients.Close();
}

// The member form; `from_group` adds the lookup of the client code, for the
// form the group's member list calls.
ui::FormDeclaration MemberForm(ui::ThreadState& thread, const std::string& procedure, bool from_group) {
  auto& m = thread.files.Get(data::GrpassinFile()).record<data::GrpassinRecord>();
  ui::FormDeclaration form =
      ui::StandardForm(procedure, "Update the Grpassin File", data::GrpassinFile(),
                       {platform::Entry("?SIN:CLI_CODE", "CLIENT CODE:", "@n-7", VORNEL_FIELD(m, CLI_CODE)),
                        platform::Entry("?SIN:GRP_CODE", "GROUP CODE:", "@n-7", VORNEL_FIELD(m, GRP_CODE)),
                        platform::Entry("?SIN:LASTNAME", "LAST NAME:", "@s30", VORNEL_FIELD(m, LASTNAME))});
  if (from_group) form.lookups.push_back({"?SIN:CLI_CODE", "CLI:CODE_KEY", "LOV_Client"});
  form.lookups.push_back({"?SIN:GRP_CODE", "STU:STUD_KEY", "lov_stdygroup"});
  form.on_reset = [&thread, &m](ui::RecordForm&) { RefreshLastName(thread, m); };
  return form;
}

}  // namespace

void RegisterStudyGroups(const ui::Services& services) {
  ui::RegisterList(services, {.procedure = "BrowseStudygrp",
                              .title = "Browse the Study Group File",
                              .view = data::ViewDef(data::StudygrpFile()),
                              .orders = {{"Study Group Listing", "STU:STUD_KEY"}},
                              .columns = {{"Group Code", "STU:CODE", "@n_7"}, {"DESC", "STU:DESC", "@s70"}},
                              .update_procedure = "UpdateStudygrp"});

  ui::RegisterForm(services, "UpdateStudygrp", [](ui::ThreadState& thread) {
    auto& s = thread.files.Get(data::StudygrpFile()).record<data::StudygrpRecord>();
    const ui::FormListDeclaration members = GroupMembers();
    const platform::ControlSpec members_tab = platform::Tab("?MembersTab", members.tab);
    std::vector<platform::ControlSpec> controls = {
        platform::Entry("?STU:CODE", "Group Code:", "@n-7", VORNEL_FIELD(s, CODE)),
        platform::Entry("?STU:DESC", "Group Description:", "@s70", VORNEL_FIELD(s, DESC)), members_tab};
    for (platform::ControlSpec& control : ui::FormListControls(members)) controls.push_back(std::move(control));
    ui::FormDeclaration form = ui::StandardForm("UpdateStudygrp", "Update the Study Group File",
                                                data::StudygrpFile(), std::move(controls), "Cancel");
    form.on_open = [members](ui::RecordForm& open) { ui::OpenFormList(open, members); };
    return form;
  });

  // Called from the client form.
  ui::RegisterForm(services, "UpdateGrpassin",
                   [](ui::ThreadState& thread) { return MemberForm(thread, "UpdateGrpassin", false); });
  // Called from the group's member list.
  ui::RegisterForm(services, "UpdateGrpassin2",
                   [](ui::ThreadState& thread) { return MemberForm(thread, "UpdateGrpassin2", true); });

  ui::RegisterList(services, {.procedure = "lov_stdygroup",
                              .title = "Study Group Selection Form",
                              .view = data::ViewDef(data::StudygrpFile()),
                              .orders = {{"Study Groups Selections", "STU:STUD_KEY"}},
                              .columns = {{"Group Code", "STU:CODE", "@n_4"},
                                          {"Group Description", "STU:DESC", "@s70"}},
                              .selection = true,
                              .close_text = "&Close"});
}

}  // namespace vornel::maintenance
