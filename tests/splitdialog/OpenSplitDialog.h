// The real split dialog in the test process, as the program would run it with a
// given command line: created modeless-style on the test thread and shown, so
// that a test can type into its fields, click, pump and read back.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/SplitApp.h"
#include "support/Journal.h"
#include "support/ProgramRegistry.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "ui/SplitDialog.h"

// Saves a shell shortcut to the target.
void MakeShortcut(const std::string& shortcut, const std::string& target);

// The last report of this name that the dialog received, or "" when none came.
std::string LastReport(const Journal& journal, const std::string& name);

class OpenSplitDialog {
 public:
  static constexpr LANGID ENGLISH = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  static constexpr LANGID GERMAN = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

  // Arguments as the program would receive them after its own path.
  explicit OpenSplitDialog(std::vector<std::string> arguments = {}, LANGID language = ENGLISH);
  ~OpenSplitDialog();

  HWND Handle() const { return dialog->Handle(); }
  // A control of the dialog or of one of its pages.
  HWND Control(int id) const;
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  bool Checked(int id) const;
  std::string Text(int id) const { return test::WindowText(Control(id)); }
  // Writes a field as the user's typing would end up, and lets the reports arrive.
  void Type(int id, const std::string& text) const;
  void Click(int id) const;
  void SelectTab(int index) const;
  // Handles everything queued for the test thread, including what that posts.
  static void Pump();
  // Visible progress windows that the dialog owns.
  int ProgressWindows() const;
  // The jobs of those windows, as the dialog asked for them, in no particular order.
  std::vector<WorkerJob> Jobs() const;

  Journal journal;  // the private messages the dialog received, with parameters
  ScriptedMessages messages;

 private:
  SplitApp app;
  std::unique_ptr<SplitDialog> dialog;
  std::unique_ptr<MessageSpy> spy;
};
