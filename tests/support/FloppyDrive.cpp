#include "support/FloppyDrive.h"

#include <doctest/doctest.h>
#include <windows.h>

#include "framework/Texts.h"
#include "support/TestFiles.h"
#include "support/UnixScript.h"

namespace {

const char* const MARKER_NAME = ".parvola-test-floppy";

}  // namespace

FloppyDrive::FloppyDrive(uint64_t capacity) {
  static unsigned counter = 0;
  REQUIRE_MESSAGE(getenv("WINEPREFIX") != nullptr,
                  "drive A: is mapped in the Wine prefix that WINEPREFIX names");
  unixFolder = fw::Format("/tmp/parvola-floppy-%lu-%u", GetCurrentProcessId(), ++counter);
  const std::string folder = ShellWord(unixFolder);
  const std::string disk =
      capacity ? "mount -t tmpfs -o size=" + std::to_string(capacity) + " parvola-floppy " + folder + " && "
               : "";
  RunUnixScript("mkdir -p " + folder + " && " + disk + "touch " + folder + "/" + MARKER_NAME +
                " && cd \"$WINEPREFIX/dosdevices\" && { [ ! -L a: ] || mv a: a:.parvola-saved; } && ln -s " +
                folder + " a:");
  ready = FileExists(Root() + MARKER_NAME);
  if (!capacity) REQUIRE_MESSAGE(ready, "drive A: could not be mapped");
}

FloppyDrive::~FloppyDrive() {
  const std::string folder = ShellWord(unixFolder);
  // Only this drive's own mapping is taken away; then the one it replaced returns.
  const std::string unmap = "cd \"$WINEPREFIX/dosdevices\" && { [ \"$(readlink a:)\" != " + folder +
                            " ] || rm -f a:; } && { [ -L a: ] || [ ! -L a:.parvola-saved ] || " +
                            "mv a:.parvola-saved a:; }\n";
  const std::string unmount = "{ umount " + folder + " || umount -l " + folder + "; } 2>/dev/null\n";
  RunUnixScript(unmap + unmount + "rm -rf " + folder);
}

bool FloppyDrive::InsertEmptyDisk() const {
  return RunUnixScript("find " + ShellWord(unixFolder) + " -mindepth 1 ! -name " + MARKER_NAME +
                       " -delete") == 0;
}
