#include "support/FloppyDrive.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <windows.h>

#include "framework/Texts.h"
#include "support/TestFiles.h"
#include "support/UnixScript.h"

FloppyDrive::FloppyDrive(FloppyFormat format)
    : formatSize(format == FloppyFormat::FAT_1440 ? "1440" : "720") {
  static unsigned counter = 0;
  REQUIRE_MESSAGE(getenv("WINEPREFIX") != nullptr,
                  "drive A: is mapped in the Wine prefix that WINEPREFIX names");
  unixFolder = fw::Format("/tmp/parvola-fat-floppy-%lu-%u", GetCurrentProcessId(), ++counter);
  const std::string folder = ShellWord(unixFolder);
  ready = RunUnixScript("mkdir -p " + folder + " && cd \"$WINEPREFIX/dosdevices\" && { [ ! -L a: ] || mv a: " +
                        "a:.parvola-saved; } && ln -s " + folder + " a:") == 0 &&
          InsertEmptyDisk() && FileExists(Root() + ".");
}

FloppyDrive::~FloppyDrive() {
  TakeOutDisk();
  const std::string folder = ShellWord(unixFolder);
  // Only this drive's own mapping is taken away; then the one it replaced returns.
  const std::string unmap = "cd \"$WINEPREFIX/dosdevices\" && { [ \"$(readlink a:)\" != " + folder +
                            " ] || rm -f a:; } && { [ -L a: ] || [ ! -L a:.parvola-saved ] || " +
                            "mv a:.parvola-saved a:; }\n";
  RunUnixScript(unmap + "rm -rf " + folder + " " + folder + "-disk-*.img");
}

bool FloppyDrive::InsertEmptyDisk(bool writeProtected) const {
  if (!TakeOutDisk() ||
      RunUnixScript(std::string("mkfs.fat -C ") + ShellWord(Image(disks)) + " " + formatSize + " >/dev/null") != 0)
    return false;
  return Mount(disks++, writeProtected);
}

bool FloppyDrive::PutBackDisk(size_t disk) const { return disk < disks && TakeOutDisk() && Mount(disk, false); }

bool FloppyDrive::Mount(size_t disk, bool writeProtected) const {
  mounted = RunUnixScript(std::string("fusefat -o ") + (writeProtected ? "ro " : "rw+ ") + ShellWord(Image(disk)) +
                          " " + ShellWord(unixFolder) + " >/dev/null") == 0;
  return mounted;
}

bool FloppyDrive::TakeOutDisk() const {
  if (!mounted) return true;
  const std::string folder = ShellWord(unixFolder);
  mounted = RunUnixScript("fusermount -u " + folder + " || fusermount -uz " + folder) != 0;
  return !mounted;
}

std::string FloppyDrive::Image(size_t disk) const { return unixFolder + "-disk-" + std::to_string(disk) + ".img"; }

std::vector<std::string> FloppyDrive::FilesOnDisk(size_t disk) const {
  REQUIRE(disk < disks);
  REQUIRE(TakeOutDisk());
  TempFolder listing;
  REQUIRE(RunUnixScript("mdir -b -i " + ShellWord(Image(disk)) + " :: >" + ShellWord(UnixPathOf(listing / "names"))) ==
          0);
  std::vector<std::string> names;
  const std::string text = ReadWholeFile(listing / "names");
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (line.starts_with("::/")) names.push_back(line.substr(3));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string FloppyDrive::FileOnDisk(size_t disk, const std::string& name) const {
  TempFolder copy;
  REQUIRE(CopyFilesOfDisk(disk, copy.Path()));
  return FileExists(copy / name) ? ReadWholeFile(copy / name) : std::string();
}

bool FloppyDrive::CopyFilesOfDisk(size_t disk, const std::string& folder) const {
  return disk < disks && TakeOutDisk() &&
         RunUnixScript("mcopy -n -o -i " + ShellWord(Image(disk)) + " '::*' " + ShellWord(UnixPathOf(folder))) == 0;
}
