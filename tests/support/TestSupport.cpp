#include "support/TestSupport.h"

#include <cstdio>

namespace test {

std::string PatternBytes(size_t count, unsigned seed) {
  std::string bytes(count, '\0');
  unsigned state = seed * 2654435761u + 1;
  for (size_t index = 0; index < count; ++index) {
    state = state * 1103515245u + 12345u;
    bytes[index] = static_cast<char>(state >> 16);
  }
  return bytes;
}

std::string WindowsPathOf(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string ProgramPath() { return WindowsPathOf(PARVOLA_EXE); }

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(20);
  }
}

RunningProgram::RunningProgram(const std::string& arguments, const std::string& currentFolder) {
  std::string commandLine = "\"" + ProgramPath() + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &info))
    return;
  CloseHandle(info.hThread);
  process = info.hProcess;
  processId = info.dwProcessId;
}

RunningProgram::~RunningProgram() {
  if (!process) return;
  if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
  }
  CloseHandle(process);
}

HWND RunningProgram::FindWindowByCaption(const std::string& caption, DWORD timeoutMs) const {
  struct Search {
    DWORD processId;
    const std::string* caption;
    HWND found;
  } search = {processId, &caption, nullptr};
  WaitFor(
      [&] {
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
              auto* wanted = reinterpret_cast<Search*>(context);
              DWORD owner = 0;
              GetWindowThreadProcessId(window, &owner);
              if (owner != wanted->processId || !IsWindowVisible(window)) return TRUE;
              if (!wanted->caption->empty() && WindowText(window) != *wanted->caption) return TRUE;
              wanted->found = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

HWND RunningProgram::FindMessageBox(DWORD timeoutMs, HWND except) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = nullptr;
        for (HWND window = GetTopWindow(nullptr); window && !found; window = GetWindow(window, GW_HWNDNEXT)) {
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner == processId && window != except && IsWindowVisible(window) &&
              WindowText(window) == "Parvola 95" && GetDlgItem(window, 0xFFFF))
            found = window;
        }
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool RunningProgram::WaitForExit(DWORD timeoutMs) const {
  return process && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

std::string WindowText(HWND window) {
  // WM_GETTEXT reaches the controls of other processes too, unlike GetWindowText.
  char text[1024];
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           5000, &length))
    return std::string();
  return std::string(text, length < sizeof(text) ? length : 0);
}

std::string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

void PressButton(HWND dialog, int button) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

void AnswerMessageBox(HWND box, int button) {
  PressButton(box, button);
  WaitFor([&] { return !IsWindow(box); });
}

void SetControlText(HWND dialog, int control, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace test
