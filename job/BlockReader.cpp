#include "job/BlockReader.h"

#include "res/resource.h"

BlockReader::BlockReader(WorkerReports& reports, int64_t& done, const int64_t& total, unsigned breakQuestion)
    : reports(reports), done(done), total(total), breakQuestion(breakQuestion),
      block(new unsigned char[FIXED_DISK_BLOCK_BYTES]) {}

bool BlockReader::ReadAt(CopyEnd file, uint64_t position, uint64_t length, const Take& take) {
  try {
    file.file.Seek(position);
  } catch (const fw::FileError&) {
    brokenOff = false;
    return reports.Fail(IDS_READ_INCOMPLETE, file.path);
  }
  return Read(file, length, take);
}

bool BlockReader::Read(CopyEnd file, uint64_t length, const Take& take) {
  brokenOff = false;
  for (uint64_t at = 0; at < length;) {
    const uint32_t wanted = length - at < FIXED_DISK_BLOCK_BYTES ? static_cast<uint32_t>(length - at)
                                                                 : FIXED_DISK_BLOCK_BYTES;
    uint32_t got = 0;
    try {
      got = file.file.Read(block.get(), wanted);
    } catch (const fw::FileError&) {
      got = 0;
    }
    if (got != wanted) return reports.Fail(IDS_READ_INCOMPLETE, file.path);
    take(block.get(), got);
    at += got;
    done += got;
    reports.Progress(done, total);
    reports.TimeLeft(done, total);
    if (reports.BreakOffConfirmed(breakQuestion)) {
      brokenOff = true;
      return false;
    }
  }
  return true;
}
