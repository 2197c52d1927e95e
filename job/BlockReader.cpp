#include "job/BlockReader.h"

#include "logic/Crc32.h"
#include "res/resource.h"

BlockReader::BlockReader(WorkerReports& reports, int64_t& done, unsigned breakQuestion)
    : reports(reports), done(done), breakQuestion(breakQuestion),
      block(new unsigned char[FIXED_DISK_BLOCK_BYTES]) {}

bool BlockReader::ReadAt(CopyEnd file, uint64_t position, uint64_t length, const Take& take) {
  if (file.file.Seek(position)) return Read(file, length, take);
  brokenOff = false;
  return reports.Fail(IDS_READ_INCOMPLETE, file.path);
}

bool BlockReader::Checksum(CopyEnd file, uint64_t position, uint64_t length, uint32_t& checksum) {
  checksum = 0;
  return ReadAt(file, position, length, [&](const unsigned char* bytes, uint32_t count) {
    checksum = Crc32Update(checksum, bytes, count);
  });
}

bool BlockReader::Read(CopyEnd file, uint64_t length, const Take& take) {
  brokenOff = false;
  for (uint64_t at = 0; at < length;) {
    const uint32_t wanted = length - at < FIXED_DISK_BLOCK_BYTES ? static_cast<uint32_t>(length - at)
                                                                 : FIXED_DISK_BLOCK_BYTES;
    uint32_t got = 0;
    if (!file.file.Read(block.get(), wanted, got) || got != wanted) return reports.Fail(IDS_READ_INCOMPLETE, file.path);
    take(block.get(), got);
    at += got;
    done += got;
    if (reports.BlockDone(done, breakQuestion)) {
      brokenOff = true;
      return false;
    }
  }
  return true;
}
