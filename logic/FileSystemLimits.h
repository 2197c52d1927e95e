// What the file systems of the destinations can hold. Window-free.
#pragma once
#include <cstdint>
#include <string>

// Every file system the program writes to holds files of this many bytes (FAT's limit).
constexpr uint64_t FILES_EVERY_FILE_SYSTEM_HOLDS = (uint64_t{1} << 31) - 1;

// The largest file that a file system holds, by the name the system gives it: FAT
// (FAT12 and FAT16) holds files up to 2 GiB - 1 bytes, FAT32 up to 4 GiB - 1; any other
// file system, and one whose name is not known, counts as holding every file.
uint64_t LargestFileOn(const std::string& fileSystemName);
