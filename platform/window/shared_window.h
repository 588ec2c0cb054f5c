#pragma once
// What a procedure holds of a window whose backend keeps the window alive
// longer (a driver may still look at it after the procedure closed it):
// every call goes to the shared window, and dropping the handle closes it.
#include <memory>

#include "platform/window/window.h"

namespace vornel::platform {

class SharedWindow final : public Window {
 public:
  explicit SharedWindow(std::shared_ptr<Window> window) : window_(std::move(window)) {}
  ~SharedWindow() override { window_->Close(); }

  const WindowSpec& spec() const override { return window_->spec(); }
  Event WaitEvent() override { return window_->WaitEvent(); }
  void Post(Event event) override { window_->Post(std::move(event)); }
  void Display(int control = 0) override { window_->Display(control); }
  void Select(int control) override { window_->Select(control); }
  int Focused() const override { return window_->Focused(); }
  void Refuse(int control, std::string_view why) override { window_->Refuse(control, why); }
  void SetEnabled(int control, bool enabled) override { window_->SetEnabled(control, enabled); }
  void SetHidden(int control, bool hidden) override { window_->SetHidden(control, hidden); }
  void SetText(int control, std::string_view text) override { window_->SetText(control, text); }
  void SetTitle(std::string_view title) override { window_->SetTitle(title); }
  std::string Title() const override { return window_->Title(); }
  void SetStatus(int part, std::string_view text) override { window_->SetStatus(part, text); }
  void SetTimer(int hundredths) override { window_->SetTimer(hundredths); }
  std::optional<WindowPosition> Position() const override { return window_->Position(); }
  void Place(const WindowPosition& position) override { window_->Place(position); }
  void SetRows(int control, std::vector<std::vector<std::string>> rows) override {
    window_->SetRows(control, std::move(rows));
  }
  void SetCurrentRow(int control, int row) override { window_->SetCurrentRow(control, row); }
  void SetPages(int control, PageViewState pages) override { window_->SetPages(control, std::move(pages)); }
  void SetRowColours(int control, std::vector<std::int32_t> colours) override {
    window_->SetRowColours(control, std::move(colours));
  }
  void SetThumb(int control, int position, bool shown) override { window_->SetThumb(control, position, shown); }
  int VisibleRows(int control) const override { return window_->VisibleRows(control); }
  int PopupMenu(std::string_view title, const std::vector<PopupItem>& items) override {
    return window_->PopupMenu(title, items);
  }
  void SetToolButtons(std::vector<ToolState> states) override { window_->SetToolButtons(std::move(states)); }
  void AcceptAll() override { window_->AcceptAll(); }
  void Close() override { window_->Close(); }

 private:
  std::shared_ptr<Window> window_;
};

}  // namespace vornel::platform
