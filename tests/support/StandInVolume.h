// A volume that Wine cannot show, stood in for through the program's lookup of system
// functions: while an object lives, every volume has the given file system, or, while
// its disk is out, none: the system tells of an empty floppy drive that it is not ready.
#pragma once
#include <atomic>
#include <string>

class StandInVolume {
 public:
  // With a root ("\\\\server\\share\\"), only that volume is stood in for; the system
  // answers for any other root that the path does not exist.
  explicit StandInVolume(std::string fileSystem, bool diskIn = true, std::string root = std::string());
  ~StandInVolume();
  StandInVolume(const StandInVolume&) = delete;
  StandInVolume& operator=(const StandInVolume&) = delete;

  // The user puts the disk in. Callable from a worker's thread.
  void InsertDisk() { diskIn.store(true); }

 private:
  friend struct StandInVolumeCall;
  std::string fileSystem;
  std::atomic<bool> diskIn;
  std::string root;
};
