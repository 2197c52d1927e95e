// Drive A: of the Wine prefix mapped to a fresh folder for a test.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The real disks a drive can hold: FAT12 file systems of a 1.44 MB and of a 720 KB floppy
// (2,847 clusters of 512 bytes, 713 of 1,024), which refuse a write past their end.
enum class FloppyFormat { FAT_1440, FAT_720 };

// Makes drive A: a fresh, empty folder while it lives, as a floppy drive looks to
// the program; the drive's previous mapping returns afterwards. Given a capacity in
// bytes, the folder is a file system of that size of its own, a disk that fills up.
// Given a floppy format, it is a disk of that format: an image file made by mkfs.fat and
// mounted through FUSE (fusefat), and each disk put in later is a new image, kept for the
// test to look at until the drive goes. Mounting needs root: such a drive is then not
// Ready(), and the test says so.
class FloppyDrive {
 public:
  explicit FloppyDrive(uint64_t capacity = 0);
  explicit FloppyDrive(FloppyFormat format);
  ~FloppyDrive();
  FloppyDrive(const FloppyDrive&) = delete;
  FloppyDrive& operator=(const FloppyDrive&) = delete;

  static std::string Root() { return "A:\\"; }
  bool Ready() const { return ready; }
  // The user takes the disk out and puts an empty one in; false when that failed.
  // Callable from a worker's thread (no test assertions).
  bool InsertEmptyDisk() const;

  // Disks of a format: the user takes the disk out, and the drive stays empty.
  bool TakeOutDisk() const;
  // Disks of a format: the user puts back a disk put in before (the first one is 0).
  // Callable from a worker's thread (no test assertions).
  bool InsertDisk(size_t disk) const;
  // The disks put in so far (the first one at 0), each as its image, read with mtools:
  // the names of the files on it, sorted, and all of them copied into a folder (a Windows
  // path). A disk still in the drive is taken out first.
  std::vector<std::string> FilesOnDisk(size_t disk) const;
  bool CopyFilesOfDisk(size_t disk, const std::string& folder) const;
  size_t DisksPutIn() const { return disks; }

 private:
  std::string Image(size_t disk) const;
  // Mounts the image as the disk in the drive.
  bool Mount(const std::string& image) const;

  std::string unixFolder;
  bool ready = false;
  const char* formatSize = nullptr;  // mkfs.fat's size in KiB of a disk of the format
  mutable size_t disks = 0;
  mutable bool mounted = false;
};
