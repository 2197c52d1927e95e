// The block copy that both workers run: read a block, write it (flushed at once on
// a floppy, whose disk may be taken out at the next prompt), take its CRC-32, report
// the progress and the remaining time, look whether the user asked to break off;
// block after block.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/File.h"
#include "job/WorkerReports.h"

// The block of every copy from or to a floppy drive, where one block takes a
// fraction of a second and is flushed at once, and of the program copy.
constexpr uint32_t COPY_BLOCK_BYTES = 32768;
// The block of a copy between fixed disks: large enough that the work after each
// block (progress, remaining time, a look at the stop request) costs nothing beside
// the copying, small enough that a block takes milliseconds at a fixed disk's
// speed, so a Break is still answered at once.
constexpr uint32_t FIXED_DISK_BLOCK_BYTES = 1048576;

// The block size of a copy from the file or folder source to target: COPY_BLOCK_BYTES
// when either is on drive A: or B:, FIXED_DISK_BLOCK_BYTES otherwise.
uint32_t CopyBlockBytes(const std::string& source, const std::string& target);

// One side of a copy: an open file and the path that names it in the user's boxes.
struct CopyEnd {
  fw::File& file;
  const std::string& path;
};

// Announcements of the copy's steps for the trace log, per block; nullptr traces nothing.
struct CopySteps {
  const char* read;   // before each read
  const char* write;  // before each write
  const char* flush;  // before the flush (announced on every destination)
};

class BlockCopier {
 public:
  enum Result {
    LIMIT_REACHED,  // the limit went into the target
    SOURCE_ENDED,   // a read delivered nothing before the limit
    FAILED,         // a read or write failed (the user was told), or the user broke off
  };

  // reports: where each block is reported (the job's expected work is given to them);
  // breakQuestion: the text that asks whether to break off; blockBytes: the most that
  // one read asks for (CopyBlockBytes).
  BlockCopier(WorkerReports& reports, unsigned breakQuestion, uint32_t blockBytes, const CopySteps* steps = nullptr);

  // Copies from source into target until limit bytes have gone into the target or the
  // source delivers nothing more. Bytes read past the limit wait in the buffer and go
  // first into the target of the next call (the next piece). A failed read is told with
  // text 148 and the source's path, a failed write or flush with text 149 and the
  // target's path.
  Result Copy(CopyEnd source, CopyEnd target, int64_t limit, bool flushEachBlock);

  // What else takes the bytes of every block as it is written, after its CRC-32 (the
  // recovery set's hashes of a piece); nothing when empty.
  using Tap = std::function<void(const unsigned char* bytes, uint32_t length)>;
  void SetTap(Tap taker) { tap = std::move(taker); }

  // Whether the last FAILED came from the user's Break.
  bool BrokenOff() const { return brokenOff; }
  // Bytes written by all calls so far.
  int64_t Done() const { return done; }
  // The bytes the last call wrote (one piece), and their CRC-32.
  int64_t LastCopied() const { return lastCopied; }
  uint32_t Checksum() const { return checksum; }
  // Counts the bytes of the last call as not written (they were cut off the target
  // again, to be copied once more).
  void ForgetLastCopy() { done -= lastCopied; }
  // Counts bytes as done that the job leaves out for now (a piece to be rebuilt later).
  void Skip(int64_t bytes) { done += bytes; }
  // Forgets the bytes read past the last call's limit: the next call starts on a new source,
  // read from its start.
  void DropRest() {
    fill = 0;
    sourceRead = 0;
  }

  // From now on a block that cannot be read is read again sector by sector: each sector that
  // reads is kept, each that does not becomes zeros, and the copy goes on. Salvaged() tells
  // whether the last call met such a block.
  void SalvageUnreadableBlocks() { salvage = true; }
  bool Salvaged() const { return salvaged; }

  // From now on a failed write or flush is not told: the caller offers another disk.
  void LeaveWriteFailuresUntold() { tellWriteFailures = false; }

 private:
  bool Refill(CopyEnd source);
  void SalvageBlock(CopyEnd source);
  bool WriteChunk(CopyEnd target, uint32_t chunk, bool flush);
  // The trace of one step: its announcement, then its outcome (returned).
  void Announce(const char* CopySteps::*step) const;
  bool Outcome(bool succeeded) const;

  WorkerReports& reports;
  const unsigned breakQuestion;
  const uint32_t blockBytes;
  const CopySteps* const steps;
  Tap tap;
  std::unique_ptr<char[]> buffer;
  uint32_t fill = 0;      // bytes read into the buffer and not yet written
  uint32_t position = 0;  // where they start in the buffer
  int64_t done = 0;
  int64_t lastCopied = 0;
  uint32_t checksum = 0;
  bool brokenOff = false;
  uint64_t sourceRead = 0;  // bytes read from the last call's source, where its next read starts
  bool salvage = false;
  bool salvaged = false;
  bool tellWriteFailures = true;
};
