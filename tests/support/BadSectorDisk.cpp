#include "support/BadSectorDisk.h"

#include <windows.h>

#include "framework/Texts.h"
#include "support/TestSupport.h"
#include "support/UnixScript.h"

BadSectorDisk::BadSectorDisk(const std::string& folder, const std::string& name, uint64_t from, uint64_t to) {
#ifdef BAD_SECTOR_FS
  static unsigned counter = 0;
  mountPoint = fw::Format("/tmp/parvola-bad-sectors-%lu-%u", GetCurrentProcessId(), ++counter);
  const std::string source = UnixPathOf(folder);
  if (RunUnixScript("[ -c /dev/fuse ]") != 0) {
    why = "no /dev/fuse";
  } else if (RunUnixScript("[ \"$(id -u)\" = 0 ]") != 0) {
    why = "not root: the server mounts through /dev/fuse itself";
  } else if (RunUnixScript("mkdir -p " + ShellWord(mountPoint) + " && " + ShellWord(BAD_SECTOR_FS) + " " +
                           ShellWord(source) + " " + ShellWord(mountPoint) + " " + ShellWord(name) + " " +
                           std::to_string(from) + " " + std::to_string(to)) != 0) {
    why = "the mount failed";
  } else {
    path = test::WindowsPathOf(mountPoint);
    ready = true;
  }
#else
  (void)folder, (void)name, (void)from, (void)to;
  why = "the server was not built (no C compiler or no linux/fuse.h on the build machine)";
#endif
}

BadSectorDisk::~BadSectorDisk() {
  if (mountPoint.empty()) return;
  const std::string point = ShellWord(mountPoint);
  RunUnixScript("{ umount " + point + " || umount -l " + point + "; } 2>/dev/null; rmdir " + point);
}
