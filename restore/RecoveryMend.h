// The mend of a restored file from a recovery set: the pieces that the restore found
// missing, damaged or partly unreadable are checked slice by slice against the set's
// checksums; a slice found in another piece's room (two disks swapped) is moved to its
// place; every slice still lost is rebuilt from the recovery slices, checked against its
// MD5 and CRC-32, and written into its place. The restored file's read-back follows.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "job/BlockCopier.h"
#include "job/BlockReader.h"
#include "job/WorkerReports.h"
#include "restore/RecoveryFiles.h"

// A piece as the restore left it in the restored file.
struct PieceRoom {
  enum State {
    WHOLE,    // its bytes are the split's (its CRC-32 matched, or there was none to match)
    SUSPECT,  // its bytes are there but not all the split's: damaged, cut short, unreadable parts
    MISSING,  // its room holds nothing of it
  };
  int64_t start = 0;
  int64_t length = 0;
  State state = WHOLE;
};

// The other files that the set protects, as the restore read them (none when it could not).
struct SideFiles {
  std::optional<std::string> batch;  // BASE.Bat
  std::optional<std::string> info;   // BASE.Split
};

class RecoveryMend {
 public:
  // Where the restore has the bytes of one of the set's files.
  struct Source {
    enum Kind {
      NONE,    // nowhere: every slice of it is lost
      ROOM,    // in the restored file, in its room
      MEMORY,  // read whole into bytes
    };
    Kind kind = NONE;
    int64_t room = -1;  // where a piece's room starts in the restored file; -1 for no piece
    const std::string* bytes = nullptr;
    bool checked = false;  // its slices are to be checked (a suspect room, a side file)
  };

  // output: the restored file, open for reading and writing; baseName: the pieces' base name
  // in the process's code page; done: the job's bytes so far.
  // files: the set's files read so far; on floppies the mend asks for more repair disks
  // while their recovery slices are too few.
  RecoveryMend(WorkerReports& reports, BlockReader& reader, int64_t& done, CopyEnd output, std::string baseName,
               RecoveryFiles& files);

  // Mends the rooms; true when every piece's bytes are the split's now. Otherwise the user
  // has been told why (no usable set, too few recovery slices, a read or write that failed,
  // rebuilt bytes that are not the split's), or broke off; KeptBytes() then says how much
  // of the restored file is sure: the bytes before the first slice still lost.
  bool Run(const std::vector<PieceRoom>& rooms, const SideFiles& sides);
  int64_t KeptBytes() const { return keptBytes; }

 private:
  // A slice of the set: which of its files, and which slice of that file.
  struct SlicePlace {
    size_t file;
    uint64_t slice;
  };

  void MapFiles(const std::vector<PieceRoom>& rooms, const SideFiles& sides);
  bool FindLostSlices();
  bool MoreRecoveryData();
  bool Rebuild();
  // The bytes of every pass of the rebuild over strips of this length, or one pass's
  // reads when given a strip: what is read of the known slices and the recovery slices.
  bool RebuildPass(uint64_t from, size_t length, class SliceRebuilder* rebuilder, int64_t& bytes);
  // Reads length bytes of the file's slice from offset on into the buffer (zeros after its end).
  bool ReadKnown(size_t file, uint64_t slice, uint64_t offset, size_t length, unsigned char* into);
  bool ReadRecovery(const Par2RecoveryRecord& record, uint64_t offset, size_t length, unsigned char* into);
  bool WriteAt(int64_t position, const unsigned char* bytes, uint64_t length);
  void KeepBeforeLost(const std::vector<PieceRoom>& rooms);

  WorkerReports& reports;
  BlockReader& reader;
  int64_t& done;
  CopyEnd output;
  std::string baseName;
  RecoveryFiles& files;
  Par2SetDescription set;
  std::vector<Source> sources;       // per file of the set, in its order
  std::vector<uint32_t> lost;        // the set's numbers of the slices lost, ascending
  std::vector<SlicePlace> lostPlaces;  // where each of them belongs
  std::vector<uint32_t> chosen;      // the exponents of the recovery slices that rebuild them
  std::vector<std::unique_ptr<fw::File>> recoveryFiles;  // by the set's file numbers, opened when read
  int64_t keptBytes = 0;
  bool diskFailed = false;  // asking for another repair disk failed or was broken off
};
