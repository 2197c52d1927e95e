// The files of a recovery set as a restore finds them: the index file BASE.par2 and the
// volume files BASE.volF+C.par2 beside the pieces (any BASE.*.par2, as par2 clients look
// for them), read packet by packet with the recovery set reader. Reading them reports the
// progress and answers Break; the recovery slices' data is read again from them later.
#pragma once
#include <cstdint>
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

  // Asks for repair disk disk of disks of the file originalName until the folder shows files
  // of the set; their paths, or none when the user cancelled.
  static std::vector<std::string> AwaitRepairDisk(WorkerReports& reports, int32_t disk, int32_t disks,
                                                  const std::string& originalName, const std::string& folder,
                                                  const std::string& baseName);

  // Reads the packets of one file (it counts as expected work of its length); false only
  // when the user broke off. A file that cannot be opened or read to its end gives what it
  // gives: the recovery slices are counted, and too few are told at the end.
  bool Scan(const std::string& path);
  // Reads every file of the set in the folder; false as Scan.
  bool ScanFolder(const std::string& folder, const std::string& baseName);

  // Whether a file of this name (without its folder) has been read.
  bool HasRead(const std::string& name) const;

  // What the files read so far hold of the set.
  Par2SetDescription Describe() const { return reader.Describe(); }
  // The path of a file by the number that the set's records give it.
  const std::string& PathOf(uint32_t file) const { return paths[file]; }

 private:
  WorkerReports& reports;
  int64_t& done;
  const unsigned breakQuestion;
  Par2Reader reader;
  std::vector<std::string> paths;
};
