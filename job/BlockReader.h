// Reading a stretch of a file a block at a time, for the work that reads without copying
// (the repair file's stripes, the read-back of a restored file): each block is handed on,
// the progress reported after it, and the user may break off between blocks.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "job/BlockCopier.h"
#include "job/WorkerReports.h"

// How a run of blocks ended.
enum class BlocksRead { ALL, READ_FAILED, STOPPED };
// Reads length bytes from where the file stands, at most FIXED_DISK_BLOCK_BYTES at a time
// into block, and hands each block to take, which answers whether to go on. READ_FAILED when
// a read failed or came short of the length; no one is told.
BlocksRead ReadBlocks(fw::File& file, unsigned char* block, uint64_t length,
                      const std::function<bool(const unsigned char* bytes, uint32_t length)>& take);

class BlockReader {
 public:
  using Take = std::function<void(const unsigned char* bytes, uint32_t length)>;

  // done: the bytes of the job so far, which each block adds to and reports; breakQuestion:
  // the text that asks whether to break off.
  BlockReader(WorkerReports& reports, int64_t& done, unsigned breakQuestion);

  // Reads length bytes from where the file stands. A failed or short read is told with
  // text 148 and the file's path; false then, and when the user broke off.
  bool Read(CopyEnd file, uint64_t length, const Take& take);
  // Reads length bytes from this position on for their CRC-32; false as Read.
  bool Checksum(CopyEnd file, uint64_t position, uint64_t length, uint32_t& checksum);
  // The same from this position on.
  bool ReadAt(CopyEnd file, uint64_t position, uint64_t length, const Take& take);
  // Whether the last false came from the user's Break.
  bool BrokenOff() const { return brokenOff; }

 private:
  WorkerReports& reports;
  int64_t& done;
  const unsigned breakQuestion;
  std::unique_ptr<unsigned char[]> block;
  bool brokenOff = false;
};
