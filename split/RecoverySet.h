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

  // Builds the set's packets from the records of its input files: first the pieces, each read
  // from its stretch of the source (pieces of pieceSize one after another) when the recovery
  // slices are computed, then the files whose bytes are in memory (extraBytes, as many as
  // records follow the pieces). plan is the split's plan of the set, made before anything
  // was written.
  void Describe(std::vector<Par2FileRecord> records, size_t pieces, int64_t pieceSize,
                const std::string* const* extraBytes, const Par2SplitPlan& plan);
  const Par2SetPackets& Packets() const { return *set; }

  // The work of computing the recovery slices, in the bytes that the reader reports: every
  // byte of the source once, whatever the number of passes.
  static int64_t ComputingWork(int64_t sourceBytes) { return sourceBytes; }
  // The further work of the repair disks on floppies: every byte copied to them, for a plan
  // and an info file of this length.
  static int64_t DiskWork(const Par2SplitPlan& plan, uint64_t infoBytes);
  // The same for the set as described, with its info file (the split's plan is reckoned with
  // upper bounds, which this never passes).
  int64_t DiskWork(uint64_t infoBytes) const {
    Par2SplitPlan described = plan;
    described.criticalBytes = set->CriticalPackets().size();
    return DiskWork(described, infoBytes);
  }

  // On a fixed disk: writes folder\base.par2 and the volume files there, computing the
  // recovery slices into them. False when it failed or the user broke off (BrokenOff); every
  // file of the set written so far is removed again then.
  bool WriteBeside(CopyEnd source, const std::string& folder, const std::string& baseName);

  // On floppies: computes the files of every repair disk into a temporary file, the info
  // file's bytes among them; false as WriteBeside.
  bool ComputeAside(CopyEnd source, const std::string& infoText);
  // Then copies those of volume number volume (from 0) to the disk in folder: the volume,
  // the index file and a copy of the info file, each block flushed; false as WriteBeside
  // (a file that could not be read or written was told), the files written on this disk
  // removed again then.
  bool WriteDisk(uint32_t volume, const std::string& folder, const std::string& baseName);

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
  std::string VolumeName(const std::string& base, uint32_t volume) const;
  bool LayOutVolume(OpenFile& file, uint32_t volume, std::vector<Place>& places, uint64_t& end);
  bool Compute(CopyEnd source, const std::vector<Place>& places);
  bool ComputeStrip(CopyEnd source, RecoveryEncoder& encoder, uint64_t stripStart, size_t length);
  void RemoveTemporary();
  bool Create(const std::string& path);
  bool WriteAt(OpenFile& file, uint64_t offset, const void* bytes, size_t length);
  bool CloseAll();
  bool Fail(const std::string& path);
  void RemoveWritten();

  WorkerReports& reports;
  BlockReader& reader;
  int64_t& work;
  HWND owner;
  // Where each input file's bytes are read from, in the order of the set's Main packet: a
  // stretch of the source, or memory.
  struct InputSource {
    int64_t sourceStart;
    const std::string* bytes;
  };
  std::vector<InputSource> inputs;
  std::unique_ptr<Par2SetPackets> set;
  Par2SplitPlan plan;
  std::vector<std::unique_ptr<OpenFile>> files;  // those being written, removed on failure
  std::unique_ptr<OpenFile> temporary;           // the repair disks' files computed for floppies
  // Where a repair disk's files lie in the temporary file, one after another, and their lengths.
  struct DiskFiles {
    uint64_t start, volumeBytes, indexBytes, infoBytes;
  };
  std::vector<DiskFiles> diskFiles;
  bool brokenOff = false;
  std::string failedPath;
};
