// Shared helpers of the test executables: temporary folders, the program under
// test, waiting for windows and answering them.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

#include "support/TestFiles.h"

namespace test {

// Bytes that do not repeat in any short period, so misplaced blocks show.
std::string PatternBytes(size_t count, unsigned seed = 1);

// A Linux path (as the build knows it) in the form the program under Wine sees.
std::string WindowsPathOf(const std::string& unixPath);
// The program under test, Parvola95.exe of this build.
std::string ProgramPath();

// Polls the condition until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// A started program: its process, and its windows.
class RunningProgram {
 public:
  // Starts the program under test, or the one given.
  explicit RunningProgram(const std::string& arguments, const std::string& currentFolder = std::string(),
                          const std::string& program = ProgramPath());
  ~RunningProgram();  // ends the process if it still runs
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return process != nullptr; }
  DWORD ProcessId() const { return processId; }
  // The first visible top-level window of the process whose caption matches (any when empty).
  HWND FindWindowByCaption(const std::string& caption = std::string(), DWORD timeoutMs = 15000) const;
  // A message box of the program (caption "Parvola 95") other than the given windows.
  HWND FindMessageBox(DWORD timeoutMs = 15000, HWND except = nullptr) const;
  // The program's active window once it is another than except (a dialog it opened), or
  // nullptr when none comes within the time.
  HWND FindActiveWindow(HWND except, DWORD timeoutMs = 10000) const;
  // Waits for the process to end; returns false on time-out.
  bool WaitForExit(DWORD timeoutMs = 15000) const;
  // The exit status of the ended process (STILL_ACTIVE while it runs).
  DWORD ExitCode() const;

 private:
  HANDLE process = nullptr;
  DWORD processId = 0;
};

std::string WindowText(HWND window);
// The text of a message box, and its answer by button (IDOK, IDYES, IDRETRY, ...).
std::string MessageBoxText(HWND box);
void PressButton(HWND dialog, int button);
// Presses a button of a message box and waits until the box has gone.
void AnswerMessageBox(HWND box, int button);
// Types a text into a dialog's control as the user would change it (WM_SETTEXT).
void SetControlText(HWND dialog, int control, const std::string& text);

// A control anywhere below a window (inside its child dialogs too), or nullptr.
HWND FindControl(HWND ancestor, int id);

// A registry key with everything below it, as it was at construction; put back
// (or removed again, when it did not exist) at destruction.
class SavedRegistryKey {
 public:
  SavedRegistryKey(HKEY root, std::string path);
  ~SavedRegistryKey();
  SavedRegistryKey(const SavedRegistryKey&) = delete;
  SavedRegistryKey& operator=(const SavedRegistryKey&) = delete;

  struct Value {
    std::string name;
    DWORD type;
    std::string data;
  };
  struct Tree {
    std::vector<Value> values;
    std::vector<std::pair<std::string, Tree>> keys;
  };

 private:
  HKEY root;
  std::string path;
  bool existed;
  Tree saved;
};

}  // namespace test
