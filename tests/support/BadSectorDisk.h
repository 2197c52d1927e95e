// A disk with bad sectors: a folder's files served read-only through FUSE by
// tests/badsectors, where every read of one file that touches a byte range fails (EIO
// below Wine), as a disk fails to read its bad sectors. Reads beside the range succeed.
#pragma once
#include <cstdint>
#include <string>

class BadSectorDisk {
 public:
  // Serves the files of folder (a Windows path); the reads of the file name that touch the
  // bytes [from, to) fail. Mounting needs /dev/fuse, root and the server built for the
  // tests: a disk without them is not Ready(), and Why() says what is missing.
  BadSectorDisk(const std::string& folder, const std::string& name, uint64_t from, uint64_t to);
  ~BadSectorDisk();  // unmounts
  BadSectorDisk(const BadSectorDisk&) = delete;
  BadSectorDisk& operator=(const BadSectorDisk&) = delete;

  bool Ready() const { return ready; }
  const std::string& Why() const { return why; }
  // The folder of the served files as the program sees it (through Z:), without a trailing backslash.
  const std::string& Path() const { return path; }

 private:
  std::string mountPoint;  // a Linux path
  std::string path;
  std::string why;
  bool ready = false;
};
