// How a split lays out its recovery set: the slice size, how many recovery slices make
// "N pieces' worth", and how they are spread over volume files. Pure arithmetic.
//
// The slice size, in the program's terms: about a sixteenth of a piece, so that a bad
// stretch of a piece costs a sixteenth of it and a lost piece costs 16 recovery slices
// (rounded up to a multiple of 4). On floppies a slice is at most 32,768 bytes, 64 sectors,
// so that one bad sector costs at most one slice. A set holds at most 32,768 slices,
// counting each piece, the batch file and the info file in whole slices: where the rule
// above would pass that (a thousand floppies, or tiny pieces), the slice grows to the
// smallest size that keeps to it (a multiple of 512 on floppies, of 4 elsewhere). Large
// pieces thus get large slices, which also keeps the recovery computation cheap: its cost
// is R·D/2 multiply-adds for R recovery slices over D bytes, and R for a piece's worth is
// about 16, whatever the piece size.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "logic/RepairLayout.h"

enum class Par2Medium { FIXED_DISK, FLOPPY_144, FLOPPY_720 };

// What a split protects: its pieces, where they go, and the files written beside the last
// piece (the batch file and the info file, as many as the split writes; their sizes may be
// upper bounds, as the info file records the set).
struct Par2SplitShape {
  PieceLayout pieces;
  Par2Medium medium = Par2Medium::FIXED_DISK;
  std::vector<uint64_t> extraFiles;
};

// The slices of a file of this length: ceil(length / sliceSize).
uint64_t SlicesOf(uint64_t length, uint64_t sliceSize);
// The input slices of the whole set at this slice size.
uint64_t InputSlicesOf(const Par2SplitShape& shape, uint64_t sliceSize);

uint64_t Par2SliceSize(const Par2SplitShape& shape);

// The input slices on the fullest disk: on floppies each disk holds a piece and the last
// one also the extras (the program copy beside them is no input file); on a fixed disk it
// is one whole piece. "N pieces' worth" of recovery data is N times this, at most 32,768.
uint64_t FullestDiskSlices(const Par2SplitShape& shape, uint64_t sliceSize);
uint32_t RecoverySlicesForPieces(const Par2SplitShape& shape, uint64_t sliceSize, uint32_t pieces);

// The volume files of a set: on a fixed disk one piece's worth per volume; on floppies as
// many slices as fit on one disk beside a copy of the index file and one of the info file,
// each file taking whole clusters (512 bytes on a 1.44 MB disk, 1,024 on a 720 KB one).
// No volume (0 slices per volume) when not even one slice fits there.
struct Par2VolumeLayout {
  uint32_t slicesPerVolume = 0;
  uint32_t volumeCount = 0;
};
Par2VolumeLayout LayOutVolumes(const Par2SplitShape& shape, uint64_t sliceSize, uint32_t recoverySlices,
                               uint64_t criticalBytes, uint64_t creatorBytes, uint64_t infoFileBytes);

// The whole plan of a split's recovery set, made before anything is written: the slice size,
// the recovery slices for N pieces' worth and the volume files, laid out with the bytes of
// the critical packets and the Creator packet, which depend only on the files' names, lengths
// and slice counts. The packets are built once from records without hashes to measure them.
struct Par2SplitPlan {
  uint64_t sliceSize = 0;
  uint32_t recoverySlices = 0;
  uint64_t criticalBytes = 0, creatorBytes = 0;
  Par2VolumeLayout volumes;
};
// names: the input files' names as the set records them (UTF-8), the pieces first, then the
// extra files in the shape's order, of which the info file is the last (a copy of it shares
// each floppy with a volume).
Par2SplitPlan PlanSplitRecovery(const Par2SplitShape& shape, const std::vector<std::string>& names, uint32_t pieces);
