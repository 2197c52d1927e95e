#include "job/BlockCopier.h"

#include <cstring>

#include "job/TraceLog.h"
#include "logic/Crc32.h"
#include "logic/PieceNames.h"
#include "res/resource.h"

uint32_t CopyBlockBytes(const std::string& source, const std::string& target) {
  bool floppy = IsFloppyDestination(source) || IsFloppyDestination(target);
  return floppy ? COPY_BLOCK_BYTES : FIXED_DISK_BLOCK_BYTES;
}

BlockCopier::BlockCopier(WorkerReports& reports, unsigned breakQuestion, uint32_t blockBytes, const CopySteps* steps)
    : reports(reports),
      breakQuestion(breakQuestion),
      blockBytes(blockBytes),
      steps(steps),
      buffer(new char[blockBytes]) {}

BlockCopier::Result BlockCopier::Copy(CopyEnd source, CopyEnd target, int64_t limit, bool flushEachBlock) {
  checksum = 0;
  brokenOff = false;
  salvaged = false;
  for (lastCopied = 0; lastCopied < limit;) {
    if (fill == 0) {
      if (!Refill(source)) {
        reports.Fail(IDS_READ_INCOMPLETE, source.path);
        return FAILED;
      }
      if (fill == 0) return SOURCE_ENDED;
    }
    int64_t room = limit - lastCopied;
    uint32_t chunk = room < fill ? static_cast<uint32_t>(room) : fill;
    if (!WriteChunk(target, chunk, flushEachBlock)) {
      if (tellWriteFailures) reports.Fail(IDS_WRITE_INCOMPLETE, target.path);
      return FAILED;
    }
    checksum = Crc32Update(checksum, buffer.get() + position, chunk);
    if (tap) tap(reinterpret_cast<const unsigned char*>(buffer.get()) + position, chunk);
    lastCopied += chunk;
    done += chunk;
    position += chunk;
    fill -= chunk;
    if ((brokenOff = reports.BlockDone(done, breakQuestion))) return FAILED;
  }
  return LIMIT_REACHED;
}

// Reads the next block into the empty buffer; false when the read failed (and was not
// salvaged).
bool BlockCopier::Refill(CopyEnd source) {
  position = 0;
  fill = 0;
  Announce(&CopySteps::read);
  if (source.file.Read(buffer.get(), blockBytes, fill)) {
    sourceRead += fill;
    return Outcome(true);
  }
  Outcome(false);
  if (!salvage) return false;
  SalvageBlock(source);
  return true;
}

// The block again from where the failed read began, a sector at a time, until the block
// is full or the file ends.
void BlockCopier::SalvageBlock(CopyEnd source) {
  constexpr uint32_t SECTOR_BYTES = 512;
  Trace().WriteLine("Reading the block sector by sector");
  while (fill < blockBytes) {
    const uint32_t wanted = blockBytes - fill < SECTOR_BYTES ? blockBytes - fill : SECTOR_BYTES;
    uint32_t got = 0;
    if (!source.file.Seek(sourceRead) || !source.file.Read(buffer.get() + fill, wanted, got)) {
      std::memset(buffer.get() + fill, 0, wanted);
      got = wanted;
      salvaged = true;
    }
    fill += got;
    sourceRead += got;
    if (got < wanted) break;  // the end of the file
  }
}

bool BlockCopier::WriteChunk(CopyEnd target, uint32_t chunk, bool flush) {
  Announce(&CopySteps::write);
  if (!target.file.Write(buffer.get() + position, chunk)) return Outcome(false);
  Announce(&CopySteps::flush);
  return Outcome(!flush || target.file.Flush());
}

void BlockCopier::Announce(const char* CopySteps::*step) const {
  if (steps) Trace().WriteText(steps->*step);
}

bool BlockCopier::Outcome(bool succeeded) const {
  if (steps) Trace().WriteLine(succeeded ? "done" : "failed");
  return succeeded;
}
