// Drive A: of the Wine prefix mapped to a fresh folder for a test.
#pragma once
#include <string>

// Makes drive A: a fresh, empty folder while it lives, as a floppy drive looks to
// the program; the drive's previous mapping returns afterwards.
class FloppyDrive {
 public:
  FloppyDrive();
  ~FloppyDrive();
  static std::string Root() { return "A:\\"; }

 private:
  std::string unixFolder;
};
