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

  // Runs the program; returns the process exit status.
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

  HWND MainWindow() const { return mainWindow; }
  void SetMainWindow(HWND window) { mainWindow = window; }

  // Opens the program's help file (its path with the extension .HLP) at the
  // topic of a dialog: context 0x20000 plus the dialog's template number.
  void ShowHelp(unsigned dialogTemplate) const;

 protected:
  // Start-up: returns false to end the process without a message loop.
  virtual bool InitInstance() = 0;

 private:
  std::vector<std::string> arguments;
  std::string registryCompany;
  HWND mainWindow = nullptr;
};

}  // namespace fw
