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

  // Asks for each of the disks repair disks of the file originalName in turn and reads the
  // set's files on it that were not read yet; a disk that brings none (a piece's disk, a
  // repair disk put in again) is asked for once more, and Cancel leaves the disks still to
  // come. fetch names the path to read a file of the disk from (the restore copies it off the
  // disk first); false when it failed (told). False when a fetch failed or the user broke off.
  using Fetch = std::function<bool(const std::string& path, std::string& readFrom)>;
  bool ScanRepairDisks(int32_t disks, const std::string& originalName, const std::string& folder,
                       const std::string& baseName, const Fetch& fetch);

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
};
