#include "support/FloppyDrive.h"

#include <cstdlib>
#include <doctest/doctest.h>
#include <windows.h>

#include "framework/Texts.h"
#include "support/TestFiles.h"
#include "support/TestSupport.h"

namespace {

// Runs a shell script on the Linux side of Wine (Z: is the root folder there);
// such a process cannot be waited for, so callers watch for its effect.
void RunLinuxScript(const std::string& unixPath, const std::string& script) {
  WriteWholeFile(test::WindowsPathOf(unixPath), script);
  std::string commandLine = "Z:\\bin\\sh " + unixPath;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  REQUIRE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

const char* const MARKER = "A:\\.parvola-test-floppy";

}  // namespace

FloppyDrive::FloppyDrive() {
  static unsigned counter = 0;
  REQUIRE_MESSAGE(getenv("WINEPREFIX") != nullptr,
                  "drive A: is mapped in the Wine prefix that WINEPREFIX names");
  unixFolder = fw::Format("/tmp/parvola-floppy-%lu-%u", GetCurrentProcessId(), ++counter);
  RunLinuxScript(unixFolder + ".sh", "mkdir -p " + unixFolder + " && touch " + unixFolder +
                                         "/.parvola-test-floppy && cd \"$WINEPREFIX/dosdevices\" && "
                                         "{ [ ! -L a: ] || mv a: a:.parvola-saved; } && ln -s " +
                                         unixFolder + " a:\n");
  REQUIRE_MESSAGE(test::WaitFor([] { return FileExists(MARKER); }), "drive A: could not be mapped");
}

FloppyDrive::~FloppyDrive() {
  RunLinuxScript(unixFolder + ".sh",
                 "cd \"$WINEPREFIX/dosdevices\" && rm -f a: && "
                 "{ [ ! -L a:.parvola-saved ] || mv a:.parvola-saved a:; }; rm -rf " +
                     unixFolder + " " + unixFolder + ".sh\n");
  test::WaitFor([] { return !FileExists(MARKER); });
}
