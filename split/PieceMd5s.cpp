#include "split/PieceMd5s.h"

#include <memory>
#include <process.h>

#include "job/BlockCopier.h"

PieceMd5s::~PieceMd5s() {
  if (!thread) return;
  stop.store(true);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

bool PieceMd5s::Start(const std::string& path, int64_t totalBytes, int64_t bytesPerPiece) {
  if (!source.Open(path, fw::File::READ_SHARE_READ)) return false;
  total = totalBytes;
  pieceBytes = bytesPerPiece;
  // Windows 95, 98 and ME start no thread without a place for its number.
  unsigned threadId = 0;
  thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Run, this, 0, &threadId));
  return thread != nullptr;
}

bool PieceMd5s::Finish(std::vector<Md5Digest>& digests) {
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  thread = nullptr;
  digests = std::move(hashed);
  return read;
}

unsigned __stdcall PieceMd5s::Run(void* self) {
  auto* hashes = static_cast<PieceMd5s*>(self);
  hashes->read = hashes->HashPieces();
  return 0;
}

// The source from its start, a block at a time, each piece's bytes into a hash of its own;
// false when a read fails or the source ends early, or as soon as the thread is told to stop.
bool PieceMd5s::HashPieces() {
  std::unique_ptr<unsigned char[]> block(new unsigned char[FIXED_DISK_BLOCK_BYTES]);
  Md5 piece;
  int64_t inPiece = 0;
  for (int64_t at = 0; at < total;) {
    uint32_t got = 0;
    if (stop.load() || !source.Read(block.get(), FIXED_DISK_BLOCK_BYTES, got) || got == 0) return false;
    for (uint32_t used = 0; used < got && at < total;) {
      const int64_t wanted = std::min<int64_t>({pieceBytes - inPiece, got - used, total - at});
      piece.Add(block.get() + used, static_cast<size_t>(wanted));
      used += static_cast<uint32_t>(wanted), at += wanted, inPiece += wanted;
      if (inPiece < pieceBytes && at < total) continue;
      hashed.push_back(piece.Finish());
      inPiece = 0;
    }
  }
  return true;
}
