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
      buffer(new char[blockBytes]),
      ahead(blockBytes == FIXED_DISK_BLOCK_BYTES ? new ReadAhead(blockBytes) : nullptr),
      block(buffer.get()) {}

BlockCopier::Result BlockCopier::Copy(CopyEnd source, CopyEnd target, int64_t limit, bool flushEachBlock) {
  checksum = 0;
  brokenOff = false;
  salvaged = false;
  const Result result = CopyBlocks(source, target, limit, flushEachBlock);
  if (EndReadingAhead(source) || result != LIMIT_REACHED) return result;
  reports.Fail(IDS_READ_INCOMPLETE, source.path);
  return FAILED;
}

BlockCopier::Result BlockCopier::CopyBlocks(CopyEnd source, CopyEnd target, int64_t limit, bool flushEachBlock) {
  for (lastCopied = 0; lastCopied < limit;) {
    if (fill == 0) {
      if (!Refill(source, limit - lastCopied)) {
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
    const auto* bytes = reinterpret_cast<const unsigned char*>(block) + position;
    checksum = blockCrc && chunk == fill && position == 0 ? Crc32Combine(checksum, *blockCrc, chunk)
                                                          : Crc32Update(checksum, bytes, chunk);
    if (tap) tap(bytes, chunk);
    lastCopied += chunk;
    done += chunk;
    position += chunk;
    fill -= chunk;
    if ((brokenOff = reports.BlockDone(done, breakQuestion))) return FAILED;
  }
  return LIMIT_REACHED;
}

// Reads the next block; false when the read failed (and was not salvaged).
bool BlockCopier::Refill(CopyEnd source, int64_t wanted) {
  position = 0;
  fill = 0;
  block = buffer.get();
  blockCrc.reset();
  Announce(&CopySteps::read);
  bool read = false;
  if (UsesRing(source, wanted)) {
    const char* bytes = nullptr;
    uint32_t got = 0, crc = 0;
    read = ahead->Next(bytes, got, crc);
    if (read && got > 0) {
      block = bytes;
      blockCrc = crc;
      fill = got;
      sourceRead += got;
      return Outcome(true);
    }
    ahead->Stop();  // its last block: the end of the source, or a read that failed
  } else if ((read = source.file.Read(buffer.get(), blockBytes, fill))) {
    sourceRead += fill;
  }
  if (read) return Outcome(true);
  Outcome(false);
  if (!salvage) return false;
  SalvageBlock(source);
  return true;
}

// Whether the block comes from the ring: a copy between fixed disks that wants more than the
// ring holds has the source read ahead from here on.
bool BlockCopier::UsesRing(CopyEnd source, int64_t wanted) {
  if (!ahead) return false;
  if (ahead->ReadsFrom(source.file)) return true;
  return wanted > int64_t{ReadAhead::RING_BLOCKS} * blockBytes && ahead->Start(source.file);
}

// Ends the reads ahead once the copy has what it wants: the bytes left of the last block
// move into the buffer, and the source stands right after them again, for the next copy
// from it. False when it cannot be put there.
bool BlockCopier::EndReadingAhead(CopyEnd source) {
  if (!ahead || !ahead->ReadsFrom(source.file)) return true;
  ahead->Stop();
  std::memmove(buffer.get(), block + position, fill);
  block = buffer.get();
  blockCrc.reset();
  position = 0;
  return source.file.Seek(sourceRead);
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
  if (!target.file.Write(block + position, chunk)) return Outcome(false);
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
