#include "support/TestSupport.h"

#include <cstdio>

namespace test {

// SplitMix64: its period is 2^64 words, so no stretch of the bytes comes again at any
// distance that the program cuts at (stripes, blocks, slices, pieces), as a 32-bit
// generator's bytes do every 2^24.
std::string PatternBytes(size_t count, unsigned seed) {
  std::string bytes(count, '\0');
  uint64_t state = seed * 0x9E3779B97F4A7C15ull;
  for (size_t index = 0; index < count; index += 8) {
    uint64_t word = (state += 0x9E3779B97F4A7C15ull);
    word = (word ^ (word >> 30)) * 0xBF58476D1CE4E5B9ull;
    word = (word ^ (word >> 27)) * 0x94D049BB133111EBull;
    word ^= word >> 31;
    for (size_t byte = 0; byte < 8 && index + byte < count; ++byte) bytes[index + byte] = static_cast<char>(word >> (8 * byte));
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

RunningProgram::RunningProgram(const std::string& arguments, const std::string& currentFolder,
                               const std::string& program) {
  std::string commandLine = "\"" + program + "\" " + arguments;
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
            [](HWND window, LPARAM context) WINAPI -> BOOL {
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

HWND RunningProgram::FindActiveWindow(HWND except, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        HWND active = GetForegroundWindow();
        DWORD owner = 0;
        GetWindowThreadProcessId(active, &owner);
        found = owner == processId && active != except ? active : nullptr;
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool RunningProgram::WaitForExit(DWORD timeoutMs) const {
  return process && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD RunningProgram::ExitCode() const {
  DWORD status = STILL_ACTIVE;
  if (process) GetExitCodeProcess(process, &status);
  return status;
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

namespace test {

HWND FindControl(HWND ancestor, int id) {
  struct Search {
    int id;
    HWND found;
  } search = {id, nullptr};
  EnumChildWindows(
      ancestor,
      [](HWND window, LPARAM context) WINAPI -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(context);
        if (GetDlgCtrlID(window) != wanted->id) return TRUE;
        wanted->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

SavedRegistryKey::Tree ReadTree(HKEY key) {
  SavedRegistryKey::Tree tree;
  char name[16384];
  DWORD nameSize, type, dataSize;
  for (DWORD index = 0;; ++index) {
    nameSize = sizeof(name);
    dataSize = 0;
    if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, nullptr, &dataSize)) break;
    std::string data(dataSize, '\0');
    nameSize = sizeof(name);
    auto* bytes = reinterpret_cast<BYTE*>(data.data());
    RegEnumValueA(key, index, name, &nameSize, nullptr, &type, bytes, &dataSize);
    data.resize(dataSize);
    tree.values.push_back({std::string(name, nameSize), type, data});
  }
  for (DWORD index = 0;; ++index) {
    nameSize = sizeof(name);
    if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr)) break;
    HKEY inner;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &inner) != ERROR_SUCCESS) continue;
    tree.keys.emplace_back(std::string(name, nameSize), ReadTree(inner));
    RegCloseKey(inner);
  }
  return tree;
}

void WriteTree(HKEY root, const std::string& path, const SavedRegistryKey::Tree& tree) {
  HKEY key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
    return;
  for (const auto& value : tree.values) {
    auto* bytes = reinterpret_cast<const BYTE*>(value.data.data());
    const char* name = value.name.empty() ? nullptr : value.name.c_str();
    RegSetValueExA(key, name, 0, value.type, bytes, static_cast<DWORD>(value.data.size()));
  }
  RegCloseKey(key);
  for (const auto& [name, inner] : tree.keys) WriteTree(root, path + "\\" + name, inner);
}

}  // namespace

SavedRegistryKey::SavedRegistryKey(HKEY root, std::string path) : root(root), path(std::move(path)) {
  HKEY key;
  existed = RegOpenKeyExA(root, this->path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (!existed) return;
  saved = ReadTree(key);
  RegCloseKey(key);
}

SavedRegistryKey::~SavedRegistryKey() {
  RegDeleteTreeA(root, path.c_str());
  RegDeleteKeyA(root, path.c_str());
  if (existed) WriteTree(root, path, saved);
}

}  // namespace test
