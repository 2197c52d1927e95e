#include "support/UnixScript.h"

#include "framework/Texts.h"
#include "support/TestSupport.h"

namespace {

thread_local bool writingScript = false;

bool WriteScript(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  writingScript = true;
  BOOL wrote = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  writingScript = false;
  CloseHandle(file);
  return wrote && written == text.size();
}

}  // namespace

bool WritingUnixScript() { return writingScript; }

std::string ShellWord(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int RunUnixScript(const std::string& script, DWORD timeoutMs) {
  static LONG counter = 0;
  const std::string base =
      fw::Format("/tmp/parvola-script-%lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&counter));
  // Wine starts a Linux program but cannot wait for it: the script leaves its exit
  // status in a file, renamed into place so that it is never seen half written.
  const std::string text = "{\n" + script + "\n} >" + base + ".log 2>&1\necho $? >" + base + ".part && mv " +
                           base + ".part " + base + ".status\n";
  const std::string statusPath = test::WindowsPathOf(base + ".status");
  if (!WriteScript(test::WindowsPathOf(base + ".sh"), text)) return -1;
  std::string commandLine = "Z:\\bin\\sh " + base + ".sh";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  int status = -1;
  // For a Linux program Wine gives no handles: what info holds then is left over from its
  // own work (in the 32-bit Wine, a handle of this process's, such as the message queue of
  // the thread, which then waits for messages no more), so none of it is closed.
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    if (test::WaitFor([&] { return GetFileAttributesA(statusPath.c_str()) != INVALID_FILE_ATTRIBUTES; },
                      timeoutMs)) {
      char digits[16] = "";
      HANDLE file =
          CreateFileA(statusPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      DWORD count = 0;
      if (file != INVALID_HANDLE_VALUE && ReadFile(file, digits, sizeof(digits) - 1, &count, nullptr))
        status = atoi(digits);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
  }
  for (const char* ending : {".sh", ".log", ".status"})
    DeleteFileA(test::WindowsPathOf(base + ending).c_str());
  return status;
}

std::string UnixPathOf(const std::string& windowsPath) {
  // Wine's own conversion, exported by its kernel32 for Windows programs.
  using Conversion = char*(CDECL*)(const WCHAR*);
  auto convert = reinterpret_cast<Conversion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  WCHAR wide[1024];
  if (!convert || !MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, 1024)) return std::string();
  char* unix = convert(wide);
  if (!unix) return std::string();
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

ImmutableFlag::~ImmutableFlag() {
  if (set) RunUnixScript("chattr -i " + ShellWord(unixPath));
}

bool ImmutableFlag::Set() {
  set = !unixPath.empty() && RunUnixScript("chattr +i " + ShellWord(unixPath)) == 0;
  return set;
}
