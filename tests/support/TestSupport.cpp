#include "support/TestSupport.h"

#include <cstdio>

namespace test {
namespace {

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

}  // namespace

TempFolder::TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    char name[MAX_PATH + 64];
    snprintf(name, sizeof(name), "%sparvola-test-%lu-%u", base, GetCurrentProcessId(), ++counter);
    if (CreateDirectoryA(name, nullptr)) {
      path = name;
      return;
    }
  }
}

TempFolder::~TempFolder() { RemoveTree(path); }

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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

bool RunningProgram::WaitForExit(DWORD timeoutMs) const {
  return process && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

std::string WindowText(HWND window) {
  char text[1024];
  int length = GetWindowTextA(window, text, sizeof(text));
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace test
