#include "job/BlockCopier.h"

#include "job/FileCalls.h"
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
      reports.Fail(IDS_WRITE_INCOMPLETE, target.path);
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

// Reads the next block into the empty buffer; false when the read failed.
bool BlockCopier::Refill(CopyEnd source) {
  position = 0;
  fill = 0;
  Announce(&CopySteps::read);
  return Outcome(ReadFileBlock(source.file, buffer.get(), blockBytes, fill));
}

bool BlockCopier::WriteChunk(CopyEnd target, uint32_t chunk, bool flush) {
  Announce(&CopySteps::write);
  if (!WriteFileBlock(target.file, buffer.get() + position, chunk)) return Outcome(false);
  Announce(&CopySteps::flush);
  return Outcome(!flush || FlushFile(target.file));
}

void BlockCopier::Announce(const char* CopySteps::*step) const {
  if (steps) Trace().WriteText(steps->*step);
}

bool BlockCopier::Outcome(bool succeeded) const {
  if (steps) Trace().WriteLine(succeeded ? "done" : "failed");
  return succeeded;
}
