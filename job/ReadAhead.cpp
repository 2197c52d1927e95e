#include "job/ReadAhead.h"

#include <process.h>

#include "logic/Crc32.h"

ReadAhead::ReadAhead(uint32_t blockBytes) : blockBytes(blockBytes) {}

ReadAhead::~ReadAhead() {
  Stop();
  if (blockRead) CloseHandle(blockRead);
  if (blockFreed) CloseHandle(blockFreed);
}

bool ReadAhead::Start(fw::File& file) {
  Stop();
  if (!blockRead) blockRead = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!blockFreed) blockFreed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!blockRead || !blockFreed) return false;
  for (Block& block : ring)
    if (!block.bytes) block.bytes.reset(new char[blockBytes]);
  filled.store(0);
  released.store(0);
  holding = false;
  stopping.store(false);
  reading = &file;
  // Windows 95, 98 and ME start no thread without a place for its number.
  unsigned threadId = 0;
  thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Run, this, 0, &threadId));
  if (!thread) reading = nullptr;
  return thread != nullptr;
}

bool ReadAhead::Next(const char*& bytes, uint32_t& got, uint32_t& crc) {
  if (holding) {
    released.fetch_add(1);
    Wake(readerWaits, blockFreed);
  }
  const uint32_t wanted = released.load();
  WaitUntil(copyWaits, blockRead, [&] { return filled.load() > wanted; });
  holding = true;
  const Block& block = ring[wanted % RING_BLOCKS];
  bytes = block.bytes.get();
  got = block.got;
  crc = block.crc;
  return !block.failed;
}

void ReadAhead::Stop() {
  reading = nullptr;
  holding = false;
  if (!thread) return;
  stopping.store(true);
  SetEvent(blockFreed);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  thread = nullptr;
}

unsigned __stdcall ReadAhead::Run(void* self) {
  static_cast<ReadAhead*>(self)->ReadBlocks();
  return 0;
}

// Block after block into the ring, as long as a block is free, until the end of the file,
// a read that fails, or the request to stop.
void ReadAhead::ReadBlocks() {
  for (uint32_t next = 0;; ++next) {
    WaitUntil(readerWaits, blockFreed, [&] { return stopping.load() || next - released.load() < RING_BLOCKS; });
    if (stopping.load()) return;
    Block& block = ring[next % RING_BLOCKS];
    block.failed = !reading->Read(block.bytes.get(), blockBytes, block.got);
    const bool last = block.failed || block.got == 0;
    if (!block.failed) block.crc = Crc32Update(0, block.bytes.get(), block.got);
    filled.store(next + 1);
    Wake(copyWaits, blockRead);
    if (last) return;
  }
}

// The waiting side says so before it looks once more; the other side, after its change,
// signals only a side that said so. Either the look sees the change or the signal comes;
// a signal left over from an earlier wait costs one more look.
template <typename Ready>
void ReadAhead::WaitUntil(std::atomic<bool>& waiting, HANDLE event, Ready ready) {
  while (!ready()) {
    waiting.store(true);
    if (ready()) break;
    WaitForSingleObject(event, INFINITE);
  }
  waiting.store(false);
}

void ReadAhead::Wake(std::atomic<bool>& waiting, HANDLE event) {
  if (waiting.exchange(false)) SetEvent(event);
}
