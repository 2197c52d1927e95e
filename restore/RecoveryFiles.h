// The files of a recovery set as a restore finds them: the index file BASE.par2 and the
// volume files BASE.volF+C.par2 beside the pieces (any BASE.*.par2, as par2 clients look
// for them), read packet by packet with the recovery set reader. Reading them reports the
// progress and answers Break; the recovery slices' data is read again from them later.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "job/BlockReader.h"
#include "job/WorkerReports.h"
#include "logic/Par2Reader.h"

class RecoveryFiles {
 public:
  // done: the bytes of the job so far, which the reads add to; breakQuestion: the text that
  // asks whether to break off.
  RecoveryFiles(WorkerReports& reports, int64_t& done, unsigned breakQuestion);

  // The paths of the set's files in the folder: BASE.par2 and every BASE.*.par2.
  static std::vector<std::string> FindIn(const std::string& folder, const std::string& baseName);

  // The repair disks that follow the pieces' disks, as the info file counts them: each is
  // asked for with the name of the file originalName, and the set's files on it that were
  // not read yet are read from folder (any BASE.*.par2 of baseName). fetch names the path to
  // read a file of the disk from (the restore copies it off the disk first); false when it
  // failed (told).
  using Fetch = std::function<bool(const std::string& path, std::string& readFrom)>;
  struct RepairDisks {
    int32_t count = 0;
    std::string originalName, folder, baseName;
    Fetch fetch;
  };
  void ExpectRepairDisks(RepairDisks disks) { repairDisks = std::move(disks); }

  // What asking for the next repair disk came to.
  enum class DiskRead {
    READ,     // the disk's files not read before were read
    NO_MORE,  // every disk has been read, or the user chose Cancel: none is asked for again
    FAILED,   // a fetch failed or the user broke off
  };
  // Asks for the next repair disk until one brings a file not read yet (a piece's disk, a
  // repair disk put in again, is asked for once more), and reads its files.
  DiskRead ScanNextRepairDisk();
  // Every repair disk still to come; false when a fetch failed or the user broke off.
  bool ScanRepairDisks();

  // Reads the packets of one file (it counts as expected work of its length); false only
  // when the user broke off. A file that cannot be opened or read to its end gives what it
  // gives: the recovery slices are counted, and too few are told at the end.
  bool Scan(const std::string& path);
  // Reads every file of the set in the folder; false as Scan.
  bool ScanFolder(const std::string& folder, const std::string& baseName);

  // What the files read so far hold of the set.
  Par2SetDescription Describe() const { return reader.Describe(); }
  // The path of a file by the number that the set's records give it.
  const std::string& PathOf(uint32_t file) const { return paths[file]; }

 private:
  // Whether a file of this name (without its folder) has been read.
  bool HasRead(const std::string& name) const;

  WorkerReports& reports;
  int64_t& done;
  const unsigned breakQuestion;
  Par2Reader reader;
  std::vector<std::string> paths;
  RepairDisks repairDisks;
  int32_t repairDisksDone = 0;  // read, or all of them once the user chose Cancel
};
