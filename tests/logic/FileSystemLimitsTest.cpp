#include <doctest/doctest.h>

#include "logic/FileSystemLimits.h"

TEST_CASE("FAT holds files up to 2 GiB - 1, FAT32 up to 4 GiB - 1, every other file system any file") {
  CHECK(LargestFileOn("FAT") == 2147483647u);
  CHECK(LargestFileOn("fat") == 2147483647u);
  CHECK(LargestFileOn("FAT32") == 4294967295u);
  CHECK(LargestFileOn("Fat32") == 4294967295u);
  for (const char* other : {"NTFS", "exFAT", "CDFS", "UDF", "", "FAT3", "FAT320", "FA"}) {
    CAPTURE(other);
    CHECK(LargestFileOn(other) == UINT64_MAX);
  }
}
