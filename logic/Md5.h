// MD5 (RFC 1321), taken incrementally: the recovery set's packets carry the MD5 of each
// piece, of its first 16 KiB, of each slice and of each packet. Window-free.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

using Md5Digest = std::array<unsigned char, 16>;

class Md5 {
 public:
  // Adds length bytes at data to the bytes taken so far, in any chunking.
  void Add(const void* data, size_t length);
  // The digest of every byte added; the object then starts again with none.
  Md5Digest Finish();

 private:
  void Compress(const unsigned char* block);

  uint32_t state_[4] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
  uint64_t length_ = 0;            // bytes added
  unsigned char pending_[64] = {};  // the bytes of an unfinished block
};

// The MD5 of one run of bytes.
Md5Digest Md5Of(const void* data, size_t length);
