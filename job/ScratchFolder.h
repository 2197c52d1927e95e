// A folder of the job's own in the system's temporary folder, for files that the job keeps
// only while it runs (a repair disk's files, read after the disk went out). It goes with
// everything in it when the object goes.
#pragma once
#include <string>

class ScratchFolder {
 public:
  ScratchFolder() = default;
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Makes the folder, once; false when it cannot be made.
  bool Make();
  // Its path, without a trailing backslash; empty until it is made.
  const std::string& Path() const { return path; }

 private:
  std::string path;
};
