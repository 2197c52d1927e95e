// Runs a program on a display that nobody watches, and ends it as soon as one of
// its windows waits for the user, instead of letting it wait for ever:
//   HeadlessRun.exe [/attended] PROGRAM [ARGUMENTS...]
// The program's command line is the rest of this one, exactly as written. With
// /attended a person watches the display: the program's windows are left to them,
// and only its end is watched.
//
// A window waits for the user when it is a visible top-level window of the program,
// not minimised, and shows no progress bar: a message box, or a dialog left open on
// the screen. A minimised dialog and a progress window (even one shrunk to nothing)
// are at work. When windows have waited for PATIENCE_MS, the title and the text of
// each go to standard error, and the program is ended with exit status
// ENDED_WAITING. A program that crashed (its exit status is the code of the
// exception that ended it) is reported in one line on standard error, with exit
// status CRASHED; the debugger that the system starts for it writes its dump to the
// program's standard output, which goes nowhere. Otherwise the exit status is the
// program's own.
//
// The watch asks the window system about the program's windows a few times a
// second but sends the program no message until it reports, so a job at work pays
// nothing for it.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD ENDED_WAITING = 3;
constexpr DWORD CRASHED = 3;
constexpr DWORD NOT_RUN = 1;
constexpr DWORD POLL_MS = 250;
constexpr DWORD PATIENCE_MS = 1500;
constexpr UINT TEXT_TIMEOUT_MS = 2000;
constexpr int TEXT_LIMIT = 4096;

// One line on standard error, in UTF-8.
void Report(const std::wstring& line) {
  std::wstring text = line + L"\n";
  int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, bytes.data(), size, nullptr, nullptr);
  DWORD written = 0;
  // Standard error is the last word there is: a failed write has nowhere to go.
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
            nullptr);
}

// The first word of a command line (a quoted one without its quotes), and where
// the rest begins, after the blanks that follow it.
struct Word {
  std::wstring text;
  const wchar_t* rest;
};

Word FirstWord(const wchar_t* line) {
  Word word;
  bool quoted = *line == L'"';
  if (quoted) ++line;
  while (*line && (quoted ? *line != L'"' : *line != L' ' && *line != L'\t')) word.text += *line++;
  if (quoted && *line) ++line;
  while (*line == L' ' || *line == L'\t') ++line;
  word.rest = line;
  return word;
}

std::wstring FileNameOf(const std::wstring& path) {
  size_t folderEnd = path.find_last_of(L"\\/");
  return folderEnd == std::wstring::npos ? path : path.substr(folderEnd + 1);
}

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t className[64];
  return GetClassNameW(window, className, 64) > 0 && lstrcmpiW(className, name) == 0;
}

BOOL CALLBACK FindProgressBar(HWND child, LPARAM found) {
  if (!HasClass(child, PROGRESS_CLASSW)) return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

bool ShowsProgress(HWND window) {
  bool found = false;
  EnumChildWindows(window, FindProgressBar, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> waiting;
};

BOOL CALLBACK CollectWaiting(HWND window, LPARAM searchAddress) {
  auto& search = *reinterpret_cast<WindowSearch*>(searchAddress);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.processId && IsWindowVisible(window) && !IsIconic(window) && !ShowsProgress(window))
    search.waiting.push_back(window);
  return TRUE;
}

std::vector<HWND> WaitingWindows(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(CollectWaiting, reinterpret_cast<LPARAM>(&search));
  return search.waiting;
}

// A window's text on one line. It is asked for with a message, which the window's
// own thread answers: another process's controls give their text no other way.
std::wstring TextOf(HWND window) {
  wchar_t buffer[TEXT_LIMIT];
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, TEXT_LIMIT, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           TEXT_TIMEOUT_MS, &length))
    return L"";
  std::wstring text;
  for (size_t index = 0; index < length && index < TEXT_LIMIT - 1; ++index) {
    wchar_t c = buffer[index];
    bool blank = c == L' ' || c == L'\r' || c == L'\n' || c == L'\t';
    if (!blank)
      text += c;
    else if (!text.empty() && text.back() != L' ')
      text += L' ';
  }
  if (!text.empty() && text.back() == L' ') text.pop_back();
  return text;
}

// A label that shows a picture has the picture's resource number for its text.
bool ShowsPicture(HWND label) {
  LONG_PTR kind = GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK;
  return kind == SS_ICON || kind == SS_BITMAP || kind == SS_ENHMETAFILE;
}

// The texts a person would read in a window: its visible labels and fields.
BOOL CALLBACK CollectTexts(HWND child, LPARAM textsAddress) {
  if (!IsWindowVisible(child)) return TRUE;
  if (!(HasClass(child, L"Static") && !ShowsPicture(child)) && !HasClass(child, L"Edit")) return TRUE;
  std::wstring text = TextOf(child);
  if (!text.empty()) reinterpret_cast<std::vector<std::wstring>*>(textsAddress)->push_back(text);
  return TRUE;
}

std::wstring Description(HWND window) {
  std::vector<std::wstring> texts;
  EnumChildWindows(window, CollectTexts, reinterpret_cast<LPARAM>(&texts));
  std::wstring description = L"\"" + TextOf(window) + L"\":";
  for (size_t index = 0; index < texts.size(); ++index) description += (index ? L" | " : L" ") + texts[index];
  return description;
}

// Waits for the program to end by itself, or, when the windows are watched, ends it
// once they have waited for the user for PATIENCE_MS. Returns the exit status to pass on.
DWORD Watch(HANDLE process, DWORD processId, const std::wstring& programName, bool watchWindows) {
  bool waiting = false;
  DWORD waitingSince = 0;
  for (;;) {
    DWORD wait = WaitForSingleObject(process, watchWindows ? POLL_MS : INFINITE);
    if (wait == WAIT_OBJECT_0) break;
    if (wait != WAIT_TIMEOUT) {
      Report(L"Cannot watch " + programName + L": error " + std::to_wstring(GetLastError()));
      return NOT_RUN;
    }
    std::vector<HWND> windows = WaitingWindows(processId);
    DWORD now = GetTickCount();
    if (windows.empty() || !waiting) {
      waiting = !windows.empty();
      waitingSince = now;
      continue;
    }
    if (now - waitingSince < PATIENCE_MS) continue;
    for (HWND window : windows) Report(programName + L" waits for the user in window " + Description(window));
    if (!TerminateProcess(process, ENDED_WAITING)) {
      Report(L"Cannot end " + programName + L": error " + std::to_wstring(GetLastError()));
      return NOT_RUN;
    }
    WaitForSingleObject(process, INFINITE);
    Report(L"Nobody can answer on this display, so " + programName + L" was ended (exit status " +
           std::to_wstring(ENDED_WAITING) + L").");
    return ENDED_WAITING;
  }
  DWORD status = NOT_RUN;
  if (!GetExitCodeProcess(process, &status)) {
    Report(L"Cannot read the exit status of " + programName + L": error " + std::to_wstring(GetLastError()));
    return NOT_RUN;
  }
  // A program's own statuses are small; the top bit set marks an exception code
  // (0xC0000005: an access violation).
  if (status & 0x80000000) {
    wchar_t code[16];
    wsprintfW(code, L"0x%08lX", status);
    Report(programName + L" crashed with exception " + code + L" (exit status " + std::to_wstring(CRASHED) + L").");
    return CRASHED;
  }
  return status;
}

// Where the program's standard output goes: nowhere. The program writes nothing
// there, but the debugger that the system starts when it crashes would write its
// whole dump; null when the null device cannot be opened.
HANDLE NullOutput() {
  SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING,
                           0, nullptr);
  return nul == INVALID_HANDLE_VALUE ? nullptr : nul;
}

}  // namespace

int main() {
  const wchar_t* rest = FirstWord(GetCommandLineW()).rest;
  Word option = FirstWord(rest);
  const bool watchWindows = option.text != L"/attended";
  std::wstring commandLine = watchWindows ? rest : option.rest;
  std::wstring programName = FileNameOf(FirstWord(commandLine.c_str()).text);
  HANDLE nul = NullOutput();
  if (programName.empty() || !nul) {
    Report(programName.empty() ? L"Usage: HeadlessRun.exe [/attended] PROGRAM [ARGUMENTS...]"
                               : L"Cannot open NUL: error " + std::to_wstring(GetLastError()));
    return NOT_RUN;
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = nul;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &started)) {
    Report(L"Cannot start " + programName + L": error " + std::to_wstring(GetLastError()));
    return NOT_RUN;
  }
  CloseHandle(nul);
  CloseHandle(started.hThread);
  DWORD status = Watch(started.hProcess, started.dwProcessId, programName, watchWindows);
  CloseHandle(started.hProcess);
  return static_cast<int>(status);
}
