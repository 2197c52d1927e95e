// The restored file read back for its CRC-32 while the restore goes on. Each stretch of
// the file that is written for good (a piece copied and found to be what the split
// wrote) is read back on a thread of its own, through a handle of its own, while the
// next piece is copied: on a second processor the check costs the restore no time. What
// the thread did not read (the last piece, rooms mended at the end, a read that failed)
// is read at the end, and the CRC-32s of the stretches are combined into the file's.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

#include "framework/File.h"

// A stretch of the file and the CRC-32 of its bytes.
struct ReadStretch {
  int64_t start = 0, length = 0;
  uint32_t checksum = 0;
};

// Reads a stretch of the file for its CRC-32 (start, length, checksum); false when it failed.
using StretchReader = std::function<bool(int64_t start, int64_t length, uint32_t& checksum)>;

// The CRC-32 of the file's first total bytes from the stretches read (in any order; a
// stretch that overlaps one before it or passes total is left out) and, between them,
// what readGap reads; false when readGap failed.
bool CombineStretches(std::vector<ReadStretch> read, int64_t total, const StretchReader& readGap,
                      uint32_t& checksum);

class ReadBack {
 public:
  ReadBack() { InitializeCriticalSection(&guard); }
  ReadBack(const ReadBack&) = delete;
  ReadBack& operator=(const ReadBack&) = delete;
  // A thread still at work is told to stop, and waited for.
  ~ReadBack();

  // Opens the file at path a second time, beside its writer, and starts the thread; false
  // when either fails, and every stretch is then read at the end.
  bool Start(const std::string& path);
  // A stretch that nothing writes again; it is read when the ones before it are. Ignored
  // when no thread runs.
  void Final(int64_t start, int64_t length);
  // Ends the thread: when finishing, after every stretch handed over is read; else after
  // the block it is reading. Its handle is closed; the file may then be written again.
  void Finish(bool finishing);

  // The kibibytes read so far, for the job's progress while the thread runs.
  const std::atomic<uint32_t>& KibibytesRead() const { return kibibytesRead; }
  // After Finish: the stretches read, and their bytes.
  const std::vector<ReadStretch>& Read() const { return read; }
  int64_t BytesRead() const;

 private:
  static unsigned __stdcall Run(void* self);
  void ReadStretches();
  bool NextStretch(ReadStretch& next);
  bool ReadOne(ReadStretch& stretch, unsigned char* block, int64_t before);

  fw::File file;
  HANDLE thread = nullptr;
  HANDLE wake = nullptr;  // set after each change to what the thread is to do
  CRITICAL_SECTION guard;  // over pending and closing
  std::vector<ReadStretch> pending;
  bool closing = false;
  std::atomic<bool> stop{false};
  std::vector<ReadStretch> read;  // the thread's own until it has ended
  std::atomic<uint32_t> kibibytesRead{0};
};
