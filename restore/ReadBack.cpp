#include "restore/ReadBack.h"

#include <algorithm>
#include <memory>
#include <process.h>

#include "job/BlockReader.h"
#include "logic/Crc32.h"

bool CombineStretches(std::vector<ReadStretch> read, int64_t total, const StretchReader& readGap,
                      uint32_t& checksum) {
  std::sort(read.begin(), read.end(), [](const ReadStretch& a, const ReadStretch& b) { return a.start < b.start; });
  read.push_back({total, 0, 0});  // the end, after the last gap
  checksum = 0;
  int64_t at = 0;
  for (const ReadStretch& stretch : read) {
    if (stretch.start < at || stretch.start + stretch.length > total) continue;
    uint32_t gap = 0;
    if (stretch.start > at && !readGap(at, stretch.start - at, gap)) return false;
    checksum = Crc32Combine(Crc32Combine(checksum, gap, static_cast<uint64_t>(stretch.start - at)), stretch.checksum,
                            static_cast<uint64_t>(stretch.length));
    at = stretch.start + stretch.length;
  }
  return true;
}

ReadBack::~ReadBack() {
  if (thread) Finish(false);
  if (wake) CloseHandle(wake);
  DeleteCriticalSection(&guard);
}

bool ReadBack::Start(const std::string& path) {
  if (!file.Open(path, fw::File::READ_BESIDE_WRITER)) return false;
  wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  // Windows 95, 98 and ME start no thread without a place for its number.
  unsigned threadId = 0;
  if (wake) thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Run, this, 0, &threadId));
  if (!thread) file.Abort();
  return thread != nullptr;
}

void ReadBack::Final(int64_t start, int64_t length) {
  if (!thread || length <= 0) return;
  EnterCriticalSection(&guard);
  pending.push_back({start, length, 0});
  LeaveCriticalSection(&guard);
  SetEvent(wake);
}

void ReadBack::Finish(bool finishing) {
  if (!thread) return;
  if (!finishing) stop.store(true);
  EnterCriticalSection(&guard);
  closing = true;
  LeaveCriticalSection(&guard);
  SetEvent(wake);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  thread = nullptr;
  file.Abort();
}

unsigned __stdcall ReadBack::Run(void* self) {
  static_cast<ReadBack*>(self)->ReadStretches();
  return 0;
}

// The stretches in the order they were handed over; a read that fails or a stop ends the
// thread, and what it did not read is read at the end.
void ReadBack::ReadStretches() {
  std::unique_ptr<unsigned char[]> block(new unsigned char[FIXED_DISK_BLOCK_BYTES]);
  int64_t before = 0;
  for (ReadStretch stretch; NextStretch(stretch);) {
    if (!ReadOne(stretch, block.get(), before)) return;
    read.push_back(stretch);
    before += stretch.length;
  }
}

int64_t ReadBack::BytesRead() const {
  int64_t bytes = 0;
  for (const ReadStretch& stretch : read) bytes += stretch.length;
  return bytes;
}

// The next stretch handed over, waited for; false when none is left and the thread is to end.
bool ReadBack::NextStretch(ReadStretch& next) {
  for (;;) {
    EnterCriticalSection(&guard);
    const bool taken = !pending.empty(), ending = closing;
    if (taken) {
      next = pending.front();
      pending.erase(pending.begin());
    }
    LeaveCriticalSection(&guard);
    if (taken) return true;
    if (ending) return false;
    WaitForSingleObject(wake, INFINITE);
  }
}

// One stretch for its CRC-32, the bytes read before it counted on; false when a read failed
// or came short, or the thread was told to stop.
bool ReadBack::ReadOne(ReadStretch& stretch, unsigned char* block, int64_t before) {
  uint32_t checksum = 0;
  int64_t counted = before;
  const auto take = [&](const unsigned char* bytes, uint32_t length) {
    checksum = Crc32Update(checksum, bytes, length);
    counted += length;
    kibibytesRead.store(static_cast<uint32_t>(counted >> 10));
    return !stop.load();
  };
  if (!file.Seek(static_cast<uint64_t>(stretch.start)) ||
      ReadBlocks(file, block, static_cast<uint64_t>(stretch.length), take) != BlocksRead::ALL)
    return false;
  stretch.checksum = checksum;
  return true;
}
