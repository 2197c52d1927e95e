// The reads of a copy between fixed disks, done ahead on a thread of their own: while the
// copy writes one block, the next ones are read into a ring of blocks and their CRC-32s
// taken. Reads and writes then overlap, each on its own processor where there are two. The thread and the copy
// hand blocks over through two counters; a side waits on an event (a call into the system)
// only when it has nothing to do: the reader when the ring is full, the copy when the
// reader is behind. Windows 95 reads no disk file asynchronously, so a thread does it.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <windows.h>

#include "framework/File.h"

class ReadAhead {
 public:
  // The blocks of the ring: one being written, the rest read ahead.
  static constexpr uint32_t RING_BLOCKS = 4;

  // blockBytes: the most that one read asks for.
  explicit ReadAhead(uint32_t blockBytes);
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;
  ~ReadAhead();

  // Starts reading file from where it stands; false when no thread starts (the caller
  // then reads for itself). The file is the thread's until Stop.
  bool Start(fw::File& file);
  // Whether a thread reads (or has read to its end) from this file.
  bool ReadsFrom(const fw::File& file) const { return reading == &file; }

  // The next block in the file's order, once it is read: its bytes, how many (0 at the end
  // of the file) and their CRC-32, which the reader takes beside the copy's writes; false
  // when its read failed (the thread has ended). The block stays valid until the next call
  // or Stop.
  bool Next(const char*& bytes, uint32_t& got, uint32_t& crc);

  // Ends the thread and forgets every block; the file stands wherever the reads left it.
  void Stop();

 private:
  struct Block {
    std::unique_ptr<char[]> bytes;
    uint32_t got = 0;
    uint32_t crc = 0;
    bool failed = false;
  };

  static unsigned __stdcall Run(void* self);
  void ReadBlocks();
  // Waits until ready() holds; waiting says to the other side that it should signal event.
  template <typename Ready>
  void WaitUntil(std::atomic<bool>& waiting, HANDLE event, Ready ready);
  static void Wake(std::atomic<bool>& waiting, HANDLE event);

  const uint32_t blockBytes;
  Block ring[RING_BLOCKS];
  fw::File* reading = nullptr;
  HANDLE thread = nullptr;
  HANDLE blockRead = nullptr;   // the reader filled a block
  HANDLE blockFreed = nullptr;  // the copy let go of a block, or the thread is to stop
  std::atomic<uint32_t> filled{0};   // blocks read so far
  std::atomic<uint32_t> released{0};  // blocks the copy is done with
  bool holding = false;               // the copy holds block number released
  std::atomic<bool> stopping{false};
  std::atomic<bool> copyWaits{false}, readerWaits{false};
};
