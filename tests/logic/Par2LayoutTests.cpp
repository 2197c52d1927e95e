// The recovery set's layout for a split: the slice size on fixed disks and floppies, near
// and past the limit of 32,768 slices, the slices of "N pieces' worth", and how many
// slices a volume file holds on a floppy beside the index and info files.
#include <doctest/doctest.h>

#include <string>

#include "logic/Par2Layout.h"

namespace {

constexpr int64_t MiB = 1 << 20;

}  // namespace

TEST_CASE("the slice size is a sixteenth of a piece, at most 32 KiB on floppies, and keeps the set to 32,768 slices") {
  struct Case {
    const char* what;
    Par2SplitShape shape;
    uint64_t sliceSize, inputSlices, fullestDisk;
  };
  const Case cases[] = {
      {"100 MiB pieces of 1 GiB", {{1024 * MiB, 100 * MiB}, Par2Medium::FIXED_DISK, {300, 500}},
       6553600, 10 * 16 + 4 + 2, 16},
      {"a sixteenth rounded up to a multiple of 4", {{5000002, 1000001}, Par2Medium::FIXED_DISK, {}},
       62504, 5 * 16, 16},
      {"one piece shorter than its size", {{1000, 1000000}, Par2Medium::FIXED_DISK, {700}}, 62500, 2, 1},
      {"tiny pieces: 4 bytes", {{1000, 1}, Par2Medium::FIXED_DISK, {100, 200}}, 4, 1000 + 25 + 50, 1},
      // 1000 pieces of 10 bytes with two extras of 100,000: 4-byte slices would make 53,000.
      {"tiny pieces beside large extras", {{10000, 10}, Par2Medium::FIXED_DISK, {100000, 100000}}, 8, 27000, 2},
      // 45 slices a disk, the last disk with its extras 47.
      {"twenty 1.44 MB floppies", {{20 * 1457664 - 1000, 1457664}, Par2Medium::FLOPPY_144, {500, 800}},
       32768, 20 * 45 + 2, 47},
      {"720 KB floppies", {{3 * 730112, 730112}, Par2Medium::FLOPPY_720, {500}}, 32768, 3 * 23 + 1, 24},
      // 1000 disks at 45 slices would pass the limit: 32 a disk need 45,552 bytes, 89 sectors.
      {"a thousand 1.44 MB floppies", {{int64_t{1000} * 1457664, 1457664}, Par2Medium::FLOPPY_144, {2000, 25000}},
       45568, 32002, 34},
      {"one floppy", {{1000, 1457664}, Par2Medium::FLOPPY_144, {40000}}, 32768, 3, 3},
  };
  for (const Case& layout : cases) {
    const std::string what = layout.what;
    CAPTURE(what);
    const uint64_t sliceSize = Par2SliceSize(layout.shape);
    CHECK(sliceSize == layout.sliceSize);
    CHECK(InputSlicesOf(layout.shape, sliceSize) == layout.inputSlices);
    CHECK(layout.inputSlices <= 32768);
    CHECK(FullestDiskSlices(layout.shape, sliceSize) == layout.fullestDisk);
    CHECK(RecoverySlicesForPieces(layout.shape, sliceSize, 2) == 2 * layout.fullestDisk);
  }
  // The grown floppy slice is the smallest number of whole sectors that keeps to the limit.
  const Par2SplitShape thousand{{int64_t{1000} * 1457664, 1457664}, Par2Medium::FLOPPY_144, {2000, 25000}};
  CHECK(InputSlicesOf(thousand, 45568 - 512) > 32768);
  CHECK(RecoverySlicesForPieces(thousand, 45568, 1000) == 32768);
}

TEST_CASE("volume files hold a piece's worth on a fixed disk and what fits beside the index and info files on a floppy") {
  const Par2SplitShape fixed{{1024 * MiB, 100 * MiB}, Par2Medium::FIXED_DISK, {300, 500}};
  const Par2VolumeLayout onDisk = LayOutVolumes(fixed, 6553600, 40, 5000, 88, 700);
  CHECK(onDisk.slicesPerVolume == 16);
  CHECK(onDisk.volumeCount == 3);
  CHECK(LayOutVolumes(fixed, 6553600, 10, 5000, 88, 700).slicesPerVolume == 10);
  CHECK(LayOutVolumes(fixed, 6553600, 0, 5000, 88, 700).volumeCount == 0);

  // Beside the index file (10,088 bytes: 20 clusters) and the info file (2 clusters), 42
  // recovery packets of 32,836 bytes with 6 copies of the critical packets take
  // 1,439,200 bytes, 2,811 clusters: 2,833 of 2,847. 43 would need 2,876.
  const Par2SplitShape floppies{{20 * 1457664 - 1000, 1457664}, Par2Medium::FLOPPY_144, {500, 800}};
  const Par2VolumeLayout onFloppies = LayOutVolumes(floppies, 32768, 47, 10000, 88, 600);
  CHECK(onFloppies.slicesPerVolume == 42);
  CHECK(onFloppies.volumeCount == 2);
  // 42 packets with 11,100-byte critical packets take 1,445,800 bytes, and the index and info
  // files 11,788: 76 bytes to spare, but not in whole clusters.
  CHECK(LayOutVolumes(floppies, 32768, 47, 11100, 88, 600).slicesPerVolume == 41);
  // On 720 KB disks clusters are of 1,024 bytes: 21 packets with 5 copies take 739,644 bytes
  // and do not fit beside the 11 clusters of the others; 20 take 706,808, 691 clusters of 702.
  const Par2SplitShape small{{3 * 730112, 730112}, Par2Medium::FLOPPY_720, {500}};
  CHECK(LayOutVolumes(small, 32768, 24, 10000, 88, 600).slicesPerVolume == 20);
  // Critical packets too large to share a disk with a volume: no volume at all.
  const Par2VolumeLayout none = LayOutVolumes(floppies, 32768, 47, 800000, 88, 600);
  CHECK(none.slicesPerVolume == 0);
  CHECK(none.volumeCount == 0);
}
