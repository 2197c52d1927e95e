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

BlocksRead ReadBlocks(fw::File& file, unsigned char* block, uint64_t length,
                      const std::function<bool(const unsigned char* bytes, uint32_t length)>& take) {
  for (uint64_t at = 0; at < length;) {
    const uint32_t wanted = length - at < FIXED_DISK_BLOCK_BYTES ? static_cast<uint32_t>(length - at)
                                                                 : FIXED_DISK_BLOCK_BYTES;
    uint32_t got = 0;
    if (!file.Read(block, wanted, got) || got != wanted) return BlocksRead::READ_FAILED;
    at += got;
    if (!take(block, got)) return BlocksRead::STOPPED;
  }
  return BlocksRead::ALL;
}

bool BlockReader::Read(CopyEnd file, uint64_t length, const Take& take) {
  brokenOff = false;
  const BlocksRead run = ReadBlocks(file.file, block.get(), length, [&](const unsigned char* bytes, uint32_t count) {
    take(bytes, count);
    done += count;
    brokenOff = reports.BlockDone(done, breakQuestion);
    return !brokenOff;
  });
  return run == BlocksRead::ALL || (run == BlocksRead::READ_FAILED && reports.Fail(IDS_READ_INCOMPLETE, file.path));
}
