#include "app/main_menu.h"

#include <algorithm>
#include <array>
#include <string>

namespace vornel::app {
namespace {

using platform::MenuItem;
using platform::StandardAction;
constexpr ItemAction kPlatform = ItemAction::kPlatform;

constexpr int kToolCommands = platform::kFirstCommand + 500;

constexpr MainMenuItem Platform(std::string_view menu, std::string_view item, std::string_view hint,
                                StandardAction action) {
  return {menu, item, hint, {}, 0, kPlatform, action};
}

// The menu, in order. Items without a procedure name in the documentation
// of the reports they start carry the name of that report.
constexpr std::array kMenu = {
    Platform("&File", "&Print Setup ...", "Setup printer", StandardAction::kPrintSetup),
    MainMenuItem{"&File", "E&xit", "Exit this application", {}, 0, ItemAction::kExit},
    Platform("&Edit", "Cu&t", "Remove item to Windows Clipboard", StandardAction::kCut),
    Platform("&Edit", "&Copy", "Copy item to Windows Clipboard", StandardAction::kCopy),
    Platform("&Edit", "&Paste", "Paste contents of Windows Clipboard", StandardAction::kPaste),
    MainMenuItem{"Browse &Lists", "Browse the &Client File", "Browse Client", "BrowseClient", 50000},
    MainMenuItem{"Browse &Lists", "Browse Client &Study Groups", "Browse Studygrp", "BrowseStudygrp", 50000},
    MainMenuItem{"Browse &Lists", "Browse the &Daily Log File", "Browse Log", "BrowseLog", 50000},
    MainMenuItem{"Browse &Lists", "Browse Archived Client &Listing", "Review Archived Client List",
                 "BrowseArchived_Clients"},
    MainMenuItem{"&Daily Entries", "&Log Entries by Date", "Log Entries by Date", "BrowseLog"},
    MainMenuItem{"&Daily Entries", "&Post Daily Entries", "Post Entries", "Post_visits"},
    MainMenuItem{"&Daily Entries", "Record &Client Payments", "Record Client Payments", "RecordClipmts"},
    MainMenuItem{"&Daily Entries", "Record &Vendor Payments", "Record Vendor Payments", "RecordVendorPay"},
    MainMenuItem{"&Daily Entries|&Daily Reports", "Daily &Entry Summary", "Daily Entry Summary",
                 "DailyEntryRpt"},
    MainMenuItem{"&Daily Entries|&Daily Reports", "Daily &Schedule", "Daily Schedule", "DailySchedRpt"},
    MainMenuItem{"&Daily Entries|&Daily Reports", "&Daily Entry Summary by Day",
                 "Daily Entry Summary by Day", "DailyEntrySummaryRpt"},
    MainMenuItem{"&Billing Options|&SCA Billing", "&Non-MA  Indv/Group Billing",
                 "Non-MA Indv/ Group Billing", "SCA_NON_MA_RPT"},
    MainMenuItem{"&Billing Options|&SCA Billing", "MA Individual Billing", {}, "SCA_MA_INDV_RPT_NEW"},
    MainMenuItem{"&Billing Options|&SCA Billing", "MA &Group Billing", "MA Group Billing", "SCA_MA_GRP_RPT"},
    MainMenuItem{"&Billing Options|&SCA Billing", "Custom Billing Format", {}, "SCA_CUSTOM_RPT_NEW"},
    MainMenuItem{"&Billing Options|&Medical Assistance  Billing", "MA Preview Report",
                 "Single Entry MA Preview Report", "MA_PREVIEW_NEW"},
    MainMenuItem{"&Billing Options|&Medical Assistance  Billing", "&FORM 319C MA Dot Matrix",
                 "Single Entry Version MA Form - Dot Matrix Format", "FORM_319C_NEW_RPT"},
    MainMenuItem{"&Billing Options|&Medical Assistance  Billing", "FORM 319-1 MA &Laser Format",
                 "FORM 319-1 MA Laser Format", "FORM_319_1_RPT"},
    MainMenuItem{"&Billing Options|&Medical Assistance  Billing", "FORM CMS-1500 - Any Vendor", {},
                 "FORM_CMS_1500_RPT"},
    MainMenuItem{"&Billing Options|&Vendor BIlling", "&Common Format", "Common Vendor BIlling  Format",
                 "Vend_Bill_common_rpt"},
    MainMenuItem{"&Billing Options|&Vendor BIlling", "&No OSM Format - O2", "No OSM Vendor Billing Format",
                 "Vendor_noOSM_RPT"},
    MainMenuItem{"&Billing Options|&Vendor BIlling", "&No OSM Format - O2a (No Fees)",
                 "No Fees shown on this report", "Vendor_noOSM_RPT_a"},
    MainMenuItem{"&Billing Options|&Vendor BIlling", "&With OSM - O3", "With OSM Vendor Billing Format",
                 "Vendor_withOSM_RPT"},
    MainMenuItem{"&Billing Options|&Vendor BIlling", "With OSM - O3a  (No Fees)",
                 "O3 report with no Fees shown", "Vendor_withOSM_RPT_a"},
    MainMenuItem{"&Billing Options|&Vendor BIlling", "&Payables Status Report",
                 "Vendor PayablesStatus Report", "Recv_status_rpt"},
    MainMenuItem{"&Billing Options|&Vendor BIlling", "Vendor &Activity Report", {}, "Vendor_Activity_RPT"},
    MainMenuItem{"&Billing Options", "&UB-92 Form Billing - (Dot Matrix) Any Vendor", "UB-92 Form Billing",
                 "UB92_RPT"},
    MainMenuItem{"&Billing Options", "U&B-92 Form Billing (Laser) - Any Vendor", "Laser UB92 Forms",
                 "UB92_LASER_RPT"},
    MainMenuItem{"&Billing Options", "UB-0&4 Form Billing (Laser) - Any Vendor", {}, "UB04_LASER_RPT"},
    MainMenuItem{"&Billing Options|&Client Billing", "&Client Balance Audit", {}, "CilentBalanceAudit"},
    MainMenuItem{"&Billing Options|&Client Billing", "&Client Statements", "Client Billing",
                 "Client_bill_rpt"},
    MainMenuItem{"&Billing Options|&Client Billing", "&Potential Client Balance Writeoffs",
                 "Potential Writeoffs", "Poten_writeoffs_rpt"},
    MainMenuItem{"&Statistical Reports", "&Full  - Session Stats", {}, "Fullsessionstats", 25000,
                 ItemAction::kStart, StandardAction::kNone, 'F'},
    MainMenuItem{"&Statistical Reports", "&Employee - Session Stats", {}, "Fullsessionstats", 25000,
                 ItemAction::kStart, StandardAction::kNone, 'E'},
    MainMenuItem{"&Statistical Reports", "&Calculate Monthly Stats", {}, "calcstats"},
    MainMenuItem{"Data &Maintenance", "&Consolidate Client Records", {}, "Select_Consolidations"},
    MainMenuItem{"Data &Maintenance", "&Archive Clients", {}, "ArchiveClients"},
    MainMenuItem{"Data &Maintenance", "&Delete Visits", {}, "PurgeVisits"},
    MainMenuItem{"Data &Maintenance", "Delete Old Client &Payments", {}, "DelCliPayments"},
    MainMenuItem{"Data &Maintenance", "&Empty File Creation", {}, "\\vornel\\seedstygp.exe", 25000,
                 ItemAction::kExternal},
    MainMenuItem{"Data &Maintenance", "Prior Post Date &Set", "Set Post Date Back Temporarily",
                 "ASKCHNGPOSTPWD"},
    MainMenuItem{"&Setup", "&Facility Constants", "Facility Constants", "BrowseSetups", 50000},
    MainMenuItem{"&Setup", "&Department Listing", "Department Maintenance", "BrowseDepartments"},
    MainMenuItem{"&Setup", "&Employee Lisiting", "Browse Employees", "BrowseEmployee", 50000},
    MainMenuItem{"&Setup", "&Services Listing", "Browse Services", "BrowseServices", 50000},
    MainMenuItem{"&Setup", "&Vendor Listing", "Browse Vendors", "BrowseVendor", 50000},
    MainMenuItem{"&Setup", "&Diagnosis Listing", "Browse Diagnosis Listing", "BrowseDiaglist", 50000},
    Platform("&Window", "T&ile", "Make all open windows visible", StandardAction::kTile),
    Platform("&Window", "&Cascade", "Stack all open windows", StandardAction::kCascade),
    Platform("&Window", "&Arrange Icons", "Align all window icons", StandardAction::kArrangeIcons),
    MainMenuItem{"&Help", "&Review Revision History", "Review Listing of Revisions",
                 "BrowseRevisionHistory", 25500},
    MainMenuItem{"&Help", "Report &Definitions Listing", {}, "Report_Definitions"},
    MainMenuItem{"&Help", "&About", "About  Vornel for Windows", "ABOUTPROC"},
};

// Hints of the menus themselves.
struct MenuHint {
  std::string_view menu;
  std::string_view hint;
};
constexpr std::array kMenuHints = {
    MenuHint{"&Window", "Create and Arrange windows"},
    MenuHint{"&Help", "Windows Help"},
    MenuHint{"&Daily Reports", "Daily Reports"},
    MenuHint{"&Billing Options", "Billing Options"},
    MenuHint{"&SCA Billing", "SCA Billing"},
    MenuHint{"&Medical Assistance  Billing", "Medical Assistance Billing"},
    MenuHint{"&Vendor BIlling", "Vendor Billing"},
};

constexpr std::array kToolbar = {
    MainToolItem{"Change Departments", "Edit.ico", "SwitchDepartments", ItemAction::kCallHere},
    MainToolItem{"Daily Log Entries", "Log1.ico", "BrowseLog"},
    MainToolItem{"Client Listing", "Clients.ico", "BrowseClient"},
    MainToolItem{"Report Selections", "Icon_59.ico", "ReportSelector"},
    MainToolItem{"Exit Application", "Exit.ico", {}, ItemAction::kExit},
    MainToolItem{"Appointment Management", "APPT2.ICO", "Appointment_window"},
};

// The standard buttons: they act on the window the user works in (a list
// or a form), which enables them and sets their tips.
struct StandardTool {
  std::string_view text;
  std::string_view icon;
  int command;
};
constexpr std::array kStandardTools = {
    StandardTool{"Insert", "insert", 3001},     StandardTool{"Change", "change", 3002},
    StandardTool{"Delete", "delete", 3003},     StandardTool{"Select", "select", 3004},
    StandardTool{"Last", "last", 3005},         StandardTool{"First", "first", 3006},
    StandardTool{"Page Down", "pagedown", 3007}, StandardTool{"Page Up", "pageup", 3008},
    StandardTool{"Next", "next", 3009},         StandardTool{"Previous", "previous", 3010},
    StandardTool{"Locate", "locate", 3011},     StandardTool{"History", "history", 3012},
    StandardTool{"Help", "help", 3013},
};

// The menu of that name in `items`, made at the end when it is not there yet.
MenuItem& MenuNamed(std::vector<MenuItem>& items, std::string_view name) {
  auto it = std::find_if(items.begin(), items.end(),
                         [&](const MenuItem& item) { return item.text == name && item.command == 0; });
  if (it != items.end()) return *it;
  MenuItem menu;
  menu.text = name;
  for (const MenuHint& hint : kMenuHints) {
    if (hint.menu == name) menu.hint = hint.hint;
  }
  items.push_back(std::move(menu));
  return items.back();
}

}  // namespace

std::span<const MainMenuItem> MainMenuItems() { return kMenu; }
std::span<const MainToolItem> MainToolItems() { return kToolbar; }

platform::WindowSpec MainFrameSpec() {
  platform::WindowSpec spec;
  spec.procedure = "Main";
  spec.title = "VORNEL";
  spec.frame = true;
  spec.status_parts = 4;
  for (std::size_t i = 0; i < kMenu.size(); ++i) {
    const MainMenuItem& row = kMenu[i];
    std::vector<MenuItem>* items = &spec.menu;
    std::string_view path = row.menu;
    while (!path.empty()) {
      const std::size_t bar = path.find('|');
      items = &MenuNamed(*items, path.substr(0, bar)).items;
      path = bar == std::string_view::npos ? std::string_view() : path.substr(bar + 1);
    }
    MenuItem item;
    item.text = row.item;
    item.hint = row.hint;
    item.action = row.platform_action;
    item.command = row.action == kPlatform ? 0 : platform::kFirstCommand + static_cast<int>(i);
    items->push_back(std::move(item));
  }
  for (std::size_t i = 0; i < kToolbar.size(); ++i) {
    spec.toolbar.push_back({std::string(kToolbar[i].text), std::string(kToolbar[i].icon),
                            kToolCommands + static_cast<int>(i), false});
  }
  for (const StandardTool& tool : kStandardTools)
    spec.toolbar.push_back({std::string(tool.text), std::string(tool.icon), tool.command, true});
  return spec;
}

const MainMenuItem* MenuItemOfCommand(int command) {
  const int index = command - platform::kFirstCommand;
  if (index < 0 || index >= static_cast<int>(kMenu.size())) return nullptr;
  return &kMenu[static_cast<std::size_t>(index)];
}

const MainToolItem* ToolItemOfCommand(int command) {
  const int index = command - kToolCommands;
  if (index < 0 || index >= static_cast<int>(kToolbar.size())) return nullptr;
  return &kToolbar[static_cast<std::size_t>(index)];
}

}  // namespace vornel::app
