// The application object: the process-wide part of the user interface. It initialises COM and
// OLE for the user-interface thread (a single-threaded apartment, which the embedded browser
// needs), owns a hidden window of its own, runs the message loop and ends it.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "base_window.h"

namespace win {

class Form;

// Sees each message of the loop before it is translated and dispatched.
class MessageFilter {
 public:
  // True when the message has been dealt with and must go no further.
  virtual bool PreTranslateMessage(MSG& msg) = 0;

 protected:
  ~MessageFilter() = default;
};

class Application {
 public:
  // Start-up of every process: OLE for this thread and the hidden application window.
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application& Instance();
  // The application object of the process, if there is one.
  static Application* Current();

  // Initialises OLE for the thread once more (balanced at destruction).
  void Initialize();

  // When true, the main form owns its taskbar button and the hidden window shows none.
  void SetMainFormOnTaskBar(bool value) { mainFormOnTaskBar_ = value; }
  bool MainFormOnTaskBar() const { return mainFormOnTaskBar_; }

  // The first form registered becomes the main form: closing it ends the program.
  void RegisterForm(Form& form);
  void UnregisterForm(Form& form);
  Form* MainForm() const { return mainForm_; }

  // The hidden application window.
  HWND Handle() const { return window_.Handle(); }

  // Shows the main form as the launcher asked (showCommand from STARTUPINFO) and runs the
  // message loop until Terminate. Returns the exit code.
  int Run(int showCommand);

  // Filters see messages in the order they were added.
  void AddMessageFilter(MessageFilter& filter);
  void RemoveMessageFilter(MessageFilter& filter);

  // What the loop does with a message before translating and dispatching it: the filters, then
  // Tab and Shift+Tab moving the focus between the controls of a form. True when handled.
  bool PreTranslateMessage(MSG& msg);

  // Handles every message waiting in the queue as the loop would, then returns.
  void ProcessMessages();

  // Ends the message loop once the current message has been handled.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // The standard error box of a failure caught around a handler.
  static void ShowException(std::string_view message);

 private:
  class HiddenWindow : public BaseWindow {
   public:
    bool Create();
  };

  HiddenWindow window_;
  Form* mainForm_ = nullptr;
  std::vector<Form*> forms_;
  std::vector<MessageFilter*> filters_;
  bool mainFormOnTaskBar_ = false;
  bool terminated_ = false;
  int oleInits_ = 0;
};

}  // namespace win
