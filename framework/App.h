// The application object: one per process, started by WinMain.
#pragma once
#include <string>
#include <vector>
#include <windows.h>

namespace fw {

class App {
 public:
  App();
  virtual ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  static App* Current();

  // Runs the program: its start-up, which returns when the program has done its work.
  // Returns the process exit status that the start-up gave.
  int Run();

  // The process arguments as the platform splits them; element 0 is the program.
  const std::vector<std::string>& Arguments() const { return arguments; }
  void SetArguments(std::vector<std::string> values) { arguments = std::move(values); }

  // Per-user settings live under HKEY_CURRENT_USER\Software\<company>\<title>.
  void SetRegistryKey(const std::string& company);
  std::string ProfileKeyPath() const;
  std::string GetProfileString(const char* name, const std::string& fallback) const;
  int GetProfileInt(const char* name, int fallback) const;
  void WriteProfileString(const char* name, const std::string& value) const;
  void WriteProfileInt(const char* name, int value) const;

  // Help for a dialog, for the window owner. When the program's help file (its path
  // with the extension .HLP) lies beside it, the help file viewer opens it at the
  // dialog's topic: context 0x20000 plus the dialog's template number. Otherwise, or
  // when the viewer fails, the program's own help opens at the topic of topicTemplate,
  // the dialog or the page within it that was active.
  void ShowHelp(HWND owner, unsigned dialogTemplate, unsigned topicTemplate) const;
  // The help file viewer, WinHelpA unless a test stands in for it.
  using HelpFileViewer = BOOL(WINAPI*)(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR context);
  void SetHelpFileViewer(HelpFileViewer viewer) { helpFileViewer = viewer; }

  // The full path of the running program, from its module: the same however the
  // program was started (by its bare name from a prompt too). Empty when the system
  // cannot name it within a path's length.
  static std::string ProgramPath();

 protected:
  // Start-up: runs the program's dialog; the process ends when it returns, with the
  // exit status it returns.
  virtual int InitInstance() = 0;
  // The program's own help, at the topic of a dialog or page.
  virtual void ShowProgramHelp(HWND owner, unsigned topicTemplate) const = 0;

 private:
  std::vector<std::string> arguments;
  std::string registryCompany;
  HelpFileViewer helpFileViewer = WinHelpA;
};

}  // namespace fw
