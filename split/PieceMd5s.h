// The MD5 of each piece's bytes, taken on a thread of its own while the split copies the
// pieces. Of what describes a piece in the recovery set, the hash of its whole length
// costs as much as all the rest: on a second processor it costs the copy no time. The
// thread reads the source through a handle of its own, from the system's cache where the
// copy has read it already, or ahead of the copy, which then finds it there.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

#include "framework/File.h"
#include "logic/Md5.h"

class PieceMd5s {
 public:
  PieceMd5s() = default;
  PieceMd5s(const PieceMd5s&) = delete;
  PieceMd5s& operator=(const PieceMd5s&) = delete;
  // A thread still at work is told to stop, and waited for.
  ~PieceMd5s();

  // Starts the thread over the file at path: total bytes, in pieces of pieceBytes. False
  // when the file cannot be opened a second time or no thread starts: the caller then
  // takes the hashes itself.
  bool Start(const std::string& path, int64_t total, int64_t pieceBytes);
  // Waits for the thread's end: true with one digest per piece; false when the file could
  // not be read to its end.
  bool Finish(std::vector<Md5Digest>& digests);

 private:
  static unsigned __stdcall Run(void* self);
  bool HashPieces();

  fw::File source;
  int64_t total = 0, pieceBytes = 0;
  std::vector<Md5Digest> hashed;
  bool read = false;  // the thread's outcome, read once it has ended
  std::atomic<bool> stop{false};
  HANDLE thread = nullptr;
};
