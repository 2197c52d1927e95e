// Drive A: of the Wine prefix holding a real floppy disk for a test.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The real disks a drive can hold: FAT12 file systems of a 1.44 MB and of a 720 KB floppy
// (2,847 clusters of 512 bytes, 713 of 1,024), which refuse a write past their end.
enum class FloppyFormat { FAT_1440, FAT_720 };

// Makes drive A: a floppy drive with an empty disk of the format in it while it lives; the
// drive's previous mapping returns afterwards. A disk is an image file made by mkfs.fat and
// mounted through FUSE (fusefat), and each disk put in later is a new image, kept for the
// test to look at until the drive goes. Mounting needs root and /dev/fuse: without them the
// drive is not Ready(), and the test says so with NOT_READY and returns.
class FloppyDrive {
 public:
  static constexpr const char* NOT_READY =
      "skipped: no FAT disk image could be mounted as drive A: (fusefat needs root and /dev/fuse)";

  explicit FloppyDrive(FloppyFormat format);
  ~FloppyDrive();
  FloppyDrive(const FloppyDrive&) = delete;
  FloppyDrive& operator=(const FloppyDrive&) = delete;

  static std::string Root() { return "A:\\"; }
  bool Ready() const { return ready; }
  // The user takes the disk out and puts an empty one in, write-protected if asked (the
  // disk then refuses every write); false when that failed. Callable from a worker's
  // thread (no test assertions), as are the two below.
  bool InsertEmptyDisk(bool writeProtected = false) const;
  // The user takes the disk out and puts one of those put in before back in.
  bool PutBackDisk(size_t disk) const;
  // The user takes the disk out, and the drive stays empty.
  bool TakeOutDisk() const;

  // The disks put in so far (the first one at 0), each as its image, read with mtools:
  // the names of the files on it, sorted; one file's bytes (empty for a missing file);
  // all of them copied into a folder (a Windows path). A disk still in the drive is taken
  // out first.
  std::vector<std::string> FilesOnDisk(size_t disk) const;
  std::string FileOnDisk(size_t disk, const std::string& name) const;
  bool CopyFilesOfDisk(size_t disk, const std::string& folder) const;
  size_t DisksPutIn() const { return disks; }

 private:
  std::string Image(size_t disk) const;
  bool Mount(size_t disk, bool writeProtected) const;

  std::string unixFolder;
  bool ready = false;
  const char* formatSize;  // mkfs.fat's size in KiB of a disk of the format
  mutable size_t disks = 0;
  mutable bool mounted = false;
};
