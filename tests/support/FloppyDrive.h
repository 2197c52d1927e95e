// Drive A: of the Wine prefix mapped to a fresh folder for a test.
#pragma once
#include <cstdint>
#include <string>

// Makes drive A: a fresh, empty folder while it lives, as a floppy drive looks to
// the program; the drive's previous mapping returns afterwards. Given a capacity in
// bytes, the folder is a file system of that size of its own, a disk that fills up.
// Mounting one needs root: such a drive is then not Ready(), and the test says so.
class FloppyDrive {
 public:
  explicit FloppyDrive(uint64_t capacity = 0);
  ~FloppyDrive();
  FloppyDrive(const FloppyDrive&) = delete;
  FloppyDrive& operator=(const FloppyDrive&) = delete;

  static std::string Root() { return "A:\\"; }
  bool Ready() const { return ready; }
  // The user takes the disk out and puts an empty one in; false when that failed.
  // Callable from a worker's thread (no test assertions).
  bool InsertEmptyDisk() const;

 private:
  std::string unixFolder;
  bool ready = false;
};
