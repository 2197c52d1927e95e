#include "logic/FileSystemLimits.h"

namespace {

bool SameName(const std::string& name, const char* other) {
  size_t index = 0;
  for (; index < name.size() && other[index]; ++index) {
    char letter = name[index];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter != other[index]) return false;
  }
  return index == name.size() && !other[index];
}

}  // namespace

uint64_t LargestFileOn(const std::string& fileSystemName) {
  if (SameName(fileSystemName, "FAT")) return FILES_EVERY_FILE_SYSTEM_HOLDS;
  if (SameName(fileSystemName, "FAT32")) return (uint64_t{1} << 32) - 1;
  return UINT64_MAX;
}
