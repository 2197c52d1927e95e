#include "logic/Par2Layout.h"

#include <algorithm>

#include "logic/Galois16.h"
#include "logic/Par2Packets.h"
#include "logic/SizeRules.h"

namespace {

constexpr uint64_t SLICES_PER_PIECE = 16;
constexpr uint64_t MOST_FLOPPY_SLICE = 32768;
constexpr uint64_t SECTOR_BYTES = 512;

bool OnFloppies(const Par2SplitShape& shape) { return shape.medium != Par2Medium::FIXED_DISK; }

uint64_t RoundUp(uint64_t value, uint64_t unit) { return (value + unit - 1) / unit * unit; }

}  // namespace

uint64_t SlicesOf(uint64_t length, uint64_t sliceSize) { return length / sliceSize + (length % sliceSize != 0); }

uint64_t InputSlicesOf(const Par2SplitShape& shape, uint64_t sliceSize) {
  const int32_t count = shape.pieces.Count();
  uint64_t slices = 0;
  if (count > 1) slices += (count - 1) * SlicesOf(static_cast<uint64_t>(shape.pieces.pieceSize), sliceSize);
  if (count > 0) slices += SlicesOf(static_cast<uint64_t>(shape.pieces.Length(count - 1)), sliceSize);
  for (uint64_t extra : shape.extraFiles) slices += SlicesOf(extra, sliceSize);
  return slices;
}

// The smallest multiple of the unit from the preferred size on that keeps to the limit: the
// count of slices only falls as the size grows, and one slice per file always keeps to it.
uint64_t Par2SliceSize(const Par2SplitShape& shape) {
  const uint64_t unit = OnFloppies(shape) ? SECTOR_BYTES : 4;
  uint64_t preferred = RoundUp(SlicesOf(static_cast<uint64_t>(shape.pieces.pieceSize), SLICES_PER_PIECE), 4);
  if (OnFloppies(shape)) preferred = std::min(preferred, MOST_FLOPPY_SLICE);
  if (InputSlicesOf(shape, preferred) <= MOST_INPUT_SLICES) return preferred;
  uint64_t largest = static_cast<uint64_t>(shape.pieces.pieceSize);
  for (uint64_t extra : shape.extraFiles) largest = std::max(largest, extra);
  uint64_t low = preferred / unit, high = RoundUp(largest, unit) / unit;  // too small; large enough
  while (high - low > 1) {
    const uint64_t middle = low + (high - low) / 2;
    (InputSlicesOf(shape, middle * unit) <= MOST_INPUT_SLICES ? high : low) = middle;
  }
  return high * unit;
}

uint64_t FullestDiskSlices(const Par2SplitShape& shape, uint64_t sliceSize) {
  const int32_t count = shape.pieces.Count();
  if (count == 0) return 0;
  if (!OnFloppies(shape)) return SlicesOf(static_cast<uint64_t>(shape.pieces.Length(0)), sliceSize);
  uint64_t lastDisk = SlicesOf(static_cast<uint64_t>(shape.pieces.Length(count - 1)), sliceSize);
  for (uint64_t extra : shape.extraFiles) lastDisk += SlicesOf(extra, sliceSize);
  return count > 1 ? std::max(lastDisk, SlicesOf(static_cast<uint64_t>(shape.pieces.pieceSize), sliceSize))
                   : lastDisk;
}

uint32_t RecoverySlicesForPieces(const Par2SplitShape& shape, uint64_t sliceSize, uint32_t pieces) {
  return static_cast<uint32_t>(std::min<uint64_t>(pieces * FullestDiskSlices(shape, sliceSize), MOST_INPUT_SLICES));
}

Par2VolumeLayout LayOutVolumes(const Par2SplitShape& shape, uint64_t sliceSize, uint32_t recoverySlices,
                               uint64_t criticalBytes, uint64_t creatorBytes, uint64_t infoFileBytes) {
  Par2VolumeLayout layout;
  if (recoverySlices == 0) return layout;
  uint64_t perVolume = FullestDiskSlices(shape, sliceSize);
  if (OnFloppies(shape)) {
    const bool large = shape.medium == Par2Medium::FLOPPY_144;
    const uint64_t cluster = large ? 512 : 1024;
    const uint64_t diskBytes = large ? FLOPPY_144_PIECE_BYTES : FLOPPY_720_PIECE_BYTES;
    const uint64_t beside = RoundUp(criticalBytes + creatorBytes, cluster) + RoundUp(infoFileBytes, cluster);
    const auto fits = [&](uint64_t count) {
      return beside + RoundUp(Par2VolumeBytes(static_cast<uint32_t>(count), sliceSize, criticalBytes, creatorBytes),
                              cluster) <= diskBytes;
    };
    // A volume's bytes only grow with its count: the largest count that fits, by halving.
    uint64_t low = 0, high = uint64_t{recoverySlices} + 1;  // fits; does not fit (or needs no more)
    while (high - low > 1) {
      const uint64_t middle = low + (high - low) / 2;
      (fits(middle) ? low : high) = middle;
    }
    perVolume = low;
  }
  if (perVolume == 0) return layout;
  layout.slicesPerVolume = static_cast<uint32_t>(std::min<uint64_t>(perVolume, recoverySlices));
  layout.volumeCount = static_cast<uint32_t>(SlicesOf(recoverySlices, layout.slicesPerVolume));
  return layout;
}

Par2SplitPlan PlanSplitRecovery(const Par2SplitShape& shape, const std::vector<std::string>& names, uint32_t pieces) {
  Par2SplitPlan plan;
  plan.sliceSize = Par2SliceSize(shape);
  plan.recoverySlices = RecoverySlicesForPieces(shape, plan.sliceSize, pieces);
  std::vector<Par2FileRecord> records(names.size());
  for (size_t file = 0; file < names.size(); ++file) {
    const int32_t count = shape.pieces.Count();
    records[file].name = names[file];
    records[file].length = file < static_cast<size_t>(count)
                               ? static_cast<uint64_t>(shape.pieces.Length(static_cast<int32_t>(file)))
                               : shape.extraFiles[file - count];
    records[file].slices.resize(SlicesOf(records[file].length, plan.sliceSize));
  }
  const Par2SetPackets measured(plan.sliceSize, std::move(records));
  plan.criticalBytes = measured.CriticalPackets().size();
  plan.creatorBytes = measured.CreatorPacket().size();
  const uint64_t infoFileBytes = shape.extraFiles.empty() ? 0 : shape.extraFiles.back();
  plan.volumes = LayOutVolumes(shape, plan.sliceSize, plan.recoverySlices, plan.criticalBytes, plan.creatorBytes,
                               infoFileBytes);
  return plan;
}
