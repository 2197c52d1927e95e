// What the system tells of the volume that holds a path.
#pragma once
#include <string>

namespace fw {

struct VolumeState {
  bool ready = true;       // false for a drive without a disk in it
  std::string fileSystem;  // "FAT", "FAT32", "NTFS", ...; empty when the system does not say
};

// The volume of the drive (C:\...) or the network share (\\server\share\...) that the
// path starts with; a relative path names the current drive's.
VolumeState VolumeOf(const std::string& path);

}  // namespace fw
