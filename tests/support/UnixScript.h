// Shell scripts run on the Linux side of Wine, for what only the system below
// Wine can do in a test: mount a small disk, set a file's immutable flag, cut a
// file short that the program holds open.
#pragma once
#include <string>
#include <windows.h>

// Runs the script with /bin/sh (Z: is the Linux root folder) and waits until it has
// ended; returns its exit status, or -1 when it could not be started or did not end
// in time. It makes no test assertions, so an action on a worker's thread may call it.
int RunUnixScript(const std::string& script, DWORD timeoutMs = 20000);

// Whether this thread is writing the file of a script for RunUnixScript: a write of the
// test's own, which those that count the program's writes leave out.
bool WritingUnixScript();

// The text as one word of a shell command, whatever it holds.
std::string ShellWord(const std::string& text);

// The Linux path of a file or folder that the program sees under this Windows path.
std::string UnixPathOf(const std::string& windowsPath);

// A file or folder whose immutable flag the test sets: no write, no truncation, no
// new entry in a folder. The flag is taken off again when the object goes, so the
// test's folders can be removed.
class ImmutableFlag {
 public:
  explicit ImmutableFlag(const std::string& windowsPath) : unixPath(UnixPathOf(windowsPath)) {}
  ~ImmutableFlag();
  ImmutableFlag(const ImmutableFlag&) = delete;
  ImmutableFlag& operator=(const ImmutableFlag&) = delete;

  // Sets the flag; false when that failed. Callable from a worker's thread.
  bool Set();

 private:
  std::string unixPath;
  bool set = false;
};
