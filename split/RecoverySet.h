// The recovery set of a split: a PAR 2.0 set over the pieces, the batch file and the info
// file, under their names as written. BASE.par2 holds the critical packets; each volume file
// BASE.volF+C.par2 holds C recovery slices with copies of them. The recovery slices are
// computed in column strips, at most MOST_STRIP_MEMORY of them at a time, and the input slices
// are read from the source (the pieces are its stretches; on floppies their disks are gone),
// the batch and info files from memory. On a fixed disk every file lies beside the pieces; on
// floppies the recovery packets are computed into a temporary file first, and each volume is
// then written on a disk of its own with a copy of the index and of the info file.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

#include "framework/File.h"
#include "job/BlockReader.h"
#include "logic/Par2Layout.h"
#include "logic/Par2Packets.h"
#include "logic/Par2Recovery.h"

// An input file of the set, with where its bytes are read from when the recovery slices are
// computed: a piece from its stretch of the source, the batch and info files from memory.
struct RecoveryInput {
  Par2FileRecord record;
  int64_t sourceStart = 0;             // a piece: where it starts in the source
  const std::string* bytes = nullptr;  // a file in memory (then not in the source)
};

// For tests: the bytes the strips of the recovery slices may take, so that a small set is
// computed in several passes; 0 gives them MOST_STRIP_MEMORY less what the set's packets hold.
void SetRecoveryStripMemory(uint64_t bytes);

class RecoverySet {
 public:
  // reader reads the source and reports each block as work done; owner is passed on to the
  // guarded creation of each file.
  RecoverySet(WorkerReports& reports, BlockReader& reader, int64_t& work, HWND owner);
  ~RecoverySet();  // removes the temporary file
  RecoverySet(const RecoverySet&) = delete;
  RecoverySet& operator=(const RecoverySet&) = delete;

  // Builds the set's packets from its input files (in any order); plan is the split's plan
  // of the set, made before anything was written.
  void Describe(std::vector<RecoveryInput> inputs, const Par2SplitPlan& plan);
  const Par2SetPackets& Packets() const { return *set; }

  // The work of computing the recovery slices, in the bytes that the reader reports: every
  // byte of the source once, whatever the number of passes.
  static int64_t ComputingWork(int64_t sourceBytes) { return sourceBytes; }
  // The further work of writing the volumes on floppies: their recovery packets, copied.
  static int64_t DiskWork(const Par2SplitPlan& plan) {
    return int64_t(plan.recoverySlices) * int64_t(PAR2_RECOVERY_OVERHEAD + plan.sliceSize);
  }

  // On a fixed disk: writes folder\base.par2 and the volume files there, computing the
  // recovery slices into them. False when it failed or the user broke off (BrokenOff); every
  // file of the set written so far is removed again then.
  bool WriteBeside(CopyEnd source, const std::string& folder, const std::string& baseName);

  // On floppies: computes the recovery packets into a temporary file; false as WriteBeside.
  bool ComputeAside(CopyEnd source);
  // Then writes volume number volume (from 0) on the disk in folder, with the index file
  // and a copy of the info file (infoText), each block flushed; false as WriteBeside, the
  // files written on this disk removed again then.
  bool WriteDisk(uint32_t volume, const std::string& folder, const std::string& baseName,
                 const std::string& infoText);

  // Whether the last false came from the user's Break; otherwise the file named by
  // FailedPath could not be created, read or written (empty when the user was told of a
  // source that could not be read).
  bool BrokenOff() const { return brokenOff; }
  const std::string& FailedPath() const { return failedPath; }

 private:
  struct OpenFile {
    fw::File file;
    std::string path;
  };
  // Where a recovery packet goes: a file being written and the offset of its header there.
  struct Place {
    OpenFile* file;
    uint64_t offset;
  };
  bool Start();
  uint32_t SlicesIn(uint32_t volume) const;
  bool Compute(CopyEnd source, const std::vector<Place>& places);
  bool ComputeStrip(CopyEnd source, RecoveryEncoder& encoder, uint64_t stripStart, size_t length);
  void RemoveTemporary();
  bool Create(const std::string& path);
  bool WriteAt(OpenFile& file, uint64_t offset, const void* bytes, size_t length);
  bool ReadAt(OpenFile& file, uint64_t offset, void* bytes, uint32_t length);
  bool WriteFlushed(OpenFile& file, const void* bytes, size_t length, bool counted);
  bool CloseAll();
  bool Fail(const std::string& path);
  void RemoveWritten();

  WorkerReports& reports;
  BlockReader& reader;
  int64_t& work;
  HWND owner;
  std::vector<RecoveryInput> inputs;  // in the order of the set's Main packet
  std::unique_ptr<Par2SetPackets> set;
  Par2SplitPlan plan;
  std::vector<std::unique_ptr<OpenFile>> files;  // those being written, removed on failure
  std::unique_ptr<OpenFile> temporary;           // the recovery packets computed for floppies
  bool brokenOff = false;
  std::string failedPath;
};
