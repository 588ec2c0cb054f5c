#pragma once
// The window manager: runs one window of a procedure from its opening to its
// end. For a record form it also carries the request (insert, change,
// delete, view), saves the record through the primary file's relation
// manager and asks before changes are lost. Procedures derive from it and
// override the operations they need, calling the base.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/relation_manager.h"
#include "errors/error_manager.h"
#include "platform/window/window.h"
#include "ui/procedure_thread.h"
#include "ui/toolbar.h"
#include "ui/window_component.h"

namespace vornel::ui {

class WindowManager {
 public:
  WindowManager(platform::WindowSystem& windows, errors::ErrorManager& errors);
  virtual ~WindowManager();
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

  // Runs the window: Init, the event loop when Init answered 0, Shutdown.
  // Answers the response (cancelled when none was set).
  int Run();

  virtual int Init();
  virtual int Shutdown();
  virtual void EventLoop();
  virtual void InitialReset();
  void Open(const platform::WindowSpec& spec, platform::Window* owner = nullptr);
  virtual void PrimeNewRecord() {}
  virtual int PrepareRequest();
  virtual void Reset(bool force = false);
  virtual void RestoreFieldValue(int control);
  virtual void SetResponse(int response);
  virtual int OnEvent(const platform::Event& event);
  virtual int OnAccepted(const platform::Event& event);
  virtual int OnCompleted();
  virtual int OnCloseWindow();
  // The window's help box (F1, the Help button, the toolbar's help).
  int ShowHelp();
  virtual int OnFieldEvent(const platform::Event&) { return kContinue; }
  virtual int OnNewSelection(const platform::Event& event);
  virtual int OnRejected(const platform::Event& event);
  virtual int OnSelected(const platform::Event&) { return kContinue; }
  virtual int OnWindowEvent(const platform::Event& event);
  virtual int DoInsert();
  virtual int DoChange();
  virtual int DoDelete();
  virtual int SaveChanged();
  virtual int SaveInserted();

  void AddItem(WindowComponent* component) { components_.push_back(component); }
  // Keeps a part of the window (a list on a tab, a drop list) for the
  // window manager's lifetime; the part adds itself as an item.
  void Own(std::unique_ptr<WindowComponent> part) { parts_.push_back(std::move(part)); }
  // The window's toolbar: made, and offered every event, when first asked for.
  Toolbar& toolbar();
  void AddButton(int control, int response) { buttons_.push_back({control, response}); }
  void AddFileToSave(data::FileManager* file) { files_.push_back({file, 0}); }
  // Ditto: the key recalls, in the control with the focus, the value the
  // field had in the last completed record.
  void AddDittoField(int control);
  // Where the saved values live: the window's own by default; a form keeps
  // them on its thread so that its next record can recall them.
  void KeepDittoIn(std::map<int, std::string>& values) { ditto_values_ = &values; }
  bool HasDittoFields() const { return !ditto_.empty(); }

  platform::Window* window() { return window_.get(); }
  int request() const { return request_; }
  int response() const { return response_; }
  bool RecordChanged();

  // The actions (defaults set by Init).
  int INSERTACTION = 2;
  int CHANGEACTION = 2;
  int DELETEACTION = 2;
  int CANCELACTION = 3;
  int HISTORYKEY = 0;
  int OKCONTROL = 0;
  int SAVECONTROL = 0;
  int FIRSTFIELD = 0;
  bool AUTOREFRESH = true;
  bool DEAD = false;

 protected:
  void SelectFirstField();
  // Once the form's files are closed: the record it saved goes back into
  // the buffer, so the caller (a list) shows it.
  void ReloadSavedRecord();
  void SaveFileBuffers();
  void RestoreFileBuffers();
  void TakeSavedCopy();
  int RequestAccepted();  // posts the completed event, or enters validate-all mode
  void ShowStoredAfterRefusal();

  platform::WindowSystem& windows_;
  errors::ErrorManager& errors_;
  std::unique_ptr<platform::Window> window_;
  data::RelationManager* primary_ = nullptr;
  int request_ = 0;
  int original_request_ = 0;
  int before_save_request_ = 0;
  int response_ = 0;
  int saved_ = 0;  // the primary file's saved copy of the record as stored
  std::string last_inserted_position_;
  std::string saved_position_;  // the record the form saved last
  bool inited_ = false;
  bool killed_ = false;
  bool first_reset_done_ = false;

 private:
  struct Button {
    int control;
    int response;
  };
  struct SavedFile {
    data::FileManager* file;
    int buffer;
  };
  std::vector<WindowComponent*> components_;
  std::vector<std::unique_ptr<WindowComponent>> parts_;
  std::unique_ptr<Toolbar> toolbar_;
  std::vector<Button> buttons_;
  std::vector<SavedFile> files_;
  std::vector<int> ditto_;  // the controls
  std::map<int, std::string> own_ditto_values_;
  std::map<int, std::string>* ditto_values_ = &own_ditto_values_;
};

}  // namespace vornel::ui
