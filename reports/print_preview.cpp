#include "reports/print_preview.h"

#include <algorithm>
#include <array>
#include <memory>

#include "platform/window/window_spec.h"
#include "reports/page_ranges.h"
#include "ui/dialog_procedure.h"
#include "ui/system_warning.h"
#include "ui/window_manager.h"

namespace vornel::reports {
namespace {

using platform::Beside;
using platform::Entry;
using platform::EventKind;
using platform::MenuItem;
using platform::PageViewState;
using platform::Ref;
using platform::Shown;

struct ZoomEntry {
  int percentile;
  const char* menu;
  const char* status;
};
constexpr std::array<ZoomEntry, 7> kZooms{{{-2, "Tile pages", "Zoom: Tile Pages"},
                                           {-1, "Page Width", "Zoom: Page Width"},
                                           {50, "50% Zoom", "Zoom: 50%"},
                                           {75, "75% Zoom", "Zoom: 75%"},
                                           {100, "100% Zoom", "Zoom: 100%"},
                                           {200, "200% Zoom", "Zoom: 200%"},
                                           {300, "300% Zoom", "Zoom: 300%"}}};

enum Command : int {
  kPagesToPrint = platform::kFirstCommand + 1,
  kPrint,
  kSaveAs,
  kExit,
  kNextPages,
  kPreviousPages,
  kJump,
  kChangeDisplay,
  kFirstZoom,  // one command per zoom entry from here
};

class Preview : public ui::WindowManager {
 public:
  Preview(const ui::Services& services, platform::page::PageFolder& pages, std::string title, int zoom, int first,
          int across, int down)
      : WindowManager(services.windows, services.errors),
        services_(services),
        pages_(pages),
        title_(std::move(title)),
        zoom_(zoom == 0 ? PageViewState::kTilePages : zoom),
        current_(std::clamp(first, 1, std::max(1, pages.count()))),
        across_(std::max(1, across)),
        down_(std::max(1, down)) {}
  ~Preview() override { Preview::Shutdown(); }

  bool print_chosen() const { return print_; }

  int Init() override {
    WindowManager::Init();
    platform::WindowSpec spec;
    spec.procedure = "_PreviewWindow_";
    spec.title = "Report Preview";
    std::vector<MenuItem> zooms;
    std::vector<platform::Choice> zoom_choices;
    for (std::size_t i = 0; i < kZooms.size(); ++i) {
      zooms.push_back({kZooms[i].menu, kZooms[i].status, kFirstZoom + static_cast<int>(i)});
      zoom_choices.push_back({kZooms[i].menu, std::to_string(kZooms[i].percentile)});
    }
    spec.menu = {{"&File", "", 0, {}, {{"Pa&ges to Print...", "Select which pages to print", kPagesToPrint},
                                        {"&Print", "Print the report", kPrint},
                                        {"&Save As - PDF", "Save the report", kSaveAs},
                                        {"E&xit", "Exit without printing the report", kExit}}},
                 {"&View", "", 0, {}, {{"&Next Page(s)", "", kNextPages},
                                        {"&Previous Page(s)", "", kPreviousPages},
                                        {"&Jump to a page", "Jump to a specific page of the report", kJump},
                                        {"&Change Display", "Change the number of pages displayed", kChangeDisplay},
                                        {"&Zoom", "", 0, {}, zooms}}}};
    zoom_text_ = std::to_string(zoom_);
    platform::ControlSpec view;
    view.name = "?Pages";
    view.kind = platform::ControlKind::kPageView;
    spec.controls = {Entry("?Page", "&Page:", "@n5", Ref(current_)),
                     Beside(Entry("?Across", "&Across:", "@n2", Ref(across_))),
                     Beside(Entry("?Down", "&Down:", "@n2", Ref(down_))),
                     Beside(platform::DropChoice("?Zoom", "Z&oom:", Ref(zoom_text_), zoom_choices)),
                     Beside(platform::Button("?PrintButton", "&Print")),
                     Beside(platform::Button("?ExitButton", "E&xit")),
                     Beside(platform::Button("?ZoomButton", "Zoom")),
                     Shown("?Status", "", "@s30", Ref(status_)),
                     Beside(Shown("?PageOf", "", "@s30", Ref(page_of_))),
                     view};
    spec.cancel_button = "?ExitButton";
    Open(spec);
    window()->Place({.maximized = true});
    if (pages_.count() < 2) {
      for (const char* control : {"?Page", "?Across", "?Down"}) window()->SetEnabled(window()->Control(control), false);
    }
    Show();
    return 0;
  }

  int OnAccepted(const platform::Event& event) override {
    const int control = event.control;
    if (control == kPrint || control == window()->Control("?PrintButton")) {
      print_ = true;
      SetResponse(ui::kCompleted);
    } else if (control == kExit || control == window()->Control("?ExitButton")) {
      SetResponse(ui::kCancelled);
    } else if (control == kSaveAs) {
      SaveAs();
    } else if (control == kPagesToPrint) {
      AskPagesToPrint();
    } else if (control == kNextPages) {
      current_ += Shown_();
    } else if (control == kPreviousPages) {
      current_ -= Shown_();
    } else if (control == kJump) {
      Jump();
    } else if (control == kChangeDisplay) {
      ChangeDisplay();
    } else if (control >= kFirstZoom && control < kFirstZoom + static_cast<int>(kZooms.size())) {
      zoom_ = kZooms[static_cast<std::size_t>(control - kFirstZoom)].percentile;
    } else if (control == window()->Control("?ZoomButton")) {
      ZoomIn();
    } else if (control == window()->Control("?Zoom")) {
      zoom_ = std::atoi(zoom_text_.c_str());
    } else if (control != window()->Control("?Page") && control != window()->Control("?Across") &&
               control != window()->Control("?Down")) {
      return WindowManager::OnAccepted(event);
    }
    Show();
    return ui::kHandled;
  }

  int OnNewSelection(const platform::Event& event) override {
    if (event.control == window()->Control("?Zoom")) {
      zoom_ = std::atoi(zoom_text_.c_str());
      Show();
      return ui::kHandled;
    }
    return WindowManager::OnNewSelection(event);
  }

  int OnCloseWindow() override { return ui::kEndLoop; }

 private:
  int Shown_() const { return across_ * down_; }

  // The zoom button steps through the fixed zooms, from the page width up.
  void ZoomIn() {
    const auto next = std::find_if(kZooms.begin(), kZooms.end(), [this](const ZoomEntry& z) {
      return z.percentile > std::max(zoom_, 0);
    });
    zoom_ = next == kZooms.end() ? PageViewState::kPageWidth : next->percentile;
  }

  void Show() {
    const int count = pages_.count();
    across_ = std::clamp(across_, 1, 10);
    down_ = std::clamp(down_, 1, 10);
    current_ = std::clamp(current_, 1, std::max(1, count));
    PageViewState state;
    state.page_count = pages_.made();
    state.zoom = zoom_;
    state.across = across_;
    state.down = down_;
    state.current = count > 0 ? pages_.NumberAt(current_) : 0;
    for (int n = current_; n <= count && n < current_ + Shown_(); ++n) {
      state.files.push_back(pages_.FileAt(n).string());
      state.numbers.push_back(pages_.NumberAt(n));
    }
    window()->SetPages(window()->Control("?Pages"), std::move(state));
    zoom_text_ = std::to_string(zoom_);
    const auto known = std::find_if(kZooms.begin(), kZooms.end(), [this](const ZoomEntry& z) { return z.percentile == zoom_; });
    status_ = known != kZooms.end() ? known->status : "Zoom: " + std::to_string(zoom_) + "%";
    page_of_ = "Page " + std::to_string(current_) + " of " + std::to_string(count);
    window()->Display();
  }

  void SaveAs() {
    const std::string file = services_.display.AskSaveFile("Save As - PDF", "PDF files (*.pdf)", title_ + ".pdf");
    if (file.empty()) return;
    const std::string why = services_.output.WritePdf(pages_, file, title_);
    if (!why.empty()) ui::Warn(services_, why);
  }

  void Jump() {
    auto page = std::make_shared<std::int32_t>(current_);
    ui::DialogDeclaration dialog;
    dialog.window.procedure = "P39$JUMPWINDOW";
    dialog.window.title = "Jump to a Report Page";
    dialog.window.controls = {Entry("?Page", "&Page:", "@n5", Ref(*page)), platform::Button("?OK", "OK"), platform::Button("?Cancel", "Cancel")};
    dialog.window.default_button = "?OK";
    dialog.window.cancel_button = "?Cancel";
    dialog.buttons = {{"?OK", ui::kCompleted, [this, page] {
                         if (*page >= 1 && *page <= pages_.count()) current_ = *page;
                       }},
                      {"?Cancel", ui::kCancelled, {}}};
    ui::RunDialog(services_, std::move(dialog));
  }

  void ChangeDisplay() {
    auto across = std::make_shared<std::int32_t>(across_);
    auto down = std::make_shared<std::int32_t>(down_);
    ui::DialogDeclaration dialog;
    dialog.window.procedure = "P40$SELECTWINDOW";
    dialog.window.title = "Change the Report Display";
    dialog.window.controls = {Shown("?Displayed", "Pages Displayed"), Entry("?Across", "Across", "@n2", Ref(*across)),
                              Entry("?Down", "Down", "@n2", Ref(*down)), platform::Button("?OK", "OK")};
    dialog.window.default_button = "?OK";
    // More pages in view than the report has is refused: the window stays.
    dialog.buttons = {{"?OK", ui::kCompleted,
                       [this, across, down] {
                         across_ = *across;
                         down_ = *down;
                       },
                       [this, across, down] { return *across >= 1 && *down >= 1 && *across * *down <= pages_.count(); }}};
    ui::RunDialog(services_, std::move(dialog));
  }

  void AskPagesToPrint() {
    auto text = std::make_shared<std::string>(pages_text_);
    ui::DialogDeclaration dialog;
    dialog.window.procedure = "_PreviewAskPagesWindow_";
    dialog.window.title = "Pages to Print";
    dialog.window.controls = {Entry("?PagesToPrint", "&Pages to Print:", "@s255", Ref(*text)), platform::Button("?Reset", "&Reset"),
                              platform::Button("?Ok", "&Ok"), platform::Button("?Cancel", "&Cancel")};
    dialog.window.default_button = "?Ok";
    dialog.window.cancel_button = "?Cancel";
    const int count = pages_.count();
    dialog.buttons = {{"?Reset", ui::kCompleted, {},
                       [text, count] {
                         *text = "1-" + std::to_string(count);
                         return false;
                       }},
                      {"?Ok", ui::kCompleted, [this, text] { pages_text_ = *text; },
                       [this, text, count] {
                         std::string why;
                         if (ParsePageRanges(*text, count, &why)) return true;
                         ui::Warn(services_, why);
                         return false;
                       }},
                      {"?Cancel", ui::kCancelled, {}}};
    ui::RunDialog(services_, std::move(dialog));
  }

 public:
  // The pages chosen to print, by their page numbers (every page when none were chosen).
  void KeepChosenPages() {
    std::string why;
    std::vector<int> numbers;
    const auto chosen = ParsePageRanges(pages_text_, pages_.count(), &why);
    for (int n : chosen.value_or(std::vector<int>{})) numbers.push_back(pages_.NumberAt(n));
    if (chosen) pages_.KeepOnly(numbers);
  }

 private:
  const ui::Services& services_;
  platform::page::PageFolder& pages_;
  std::string title_;
  int zoom_;
  std::int32_t current_;
  std::int32_t across_;
  std::int32_t down_;
  std::string zoom_text_;
  std::string status_;
  std::string page_of_;
  std::string pages_text_;
  bool print_ = false;
};

}  // namespace

int ShowPreview(const ui::Services& services, platform::page::PageFolder& pages, const std::string& title, int zoom,
                int first_page, int across, int down) {
  if (pages.count() == 0) return 0;
  Preview preview(services, pages, title, zoom, first_page, across, down);
  preview.Run();
  if (!preview.print_chosen()) return 0;
  preview.KeepChosenPages();
  return 1;
}

}  // namespace vornel::reports
