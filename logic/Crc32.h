// CRC-32 of file contents, as the info file records it for each piece and for the
// whole file: the common CRC-32 (reflected polynomial 0xEDB88320, initial and final
// value 0xFFFFFFFF, the value zlib's crc32 gives). Window-free.
#pragma once
#include <cstddef>
#include <cstdint>

// The CRC of the bytes that crc was taken of (0 for none), followed by length bytes at data.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t length);

// The same by table look-ups alone, as on processors that cannot multiply without carries.
uint32_t Crc32UpdateByTables(uint32_t crc, const void* data, size_t length);

// The CRC of two runs of bytes one after the other, from the CRC of each and the
// length of the second: no byte is read again.
uint32_t Crc32Combine(uint32_t firstCrc, uint32_t secondCrc, uint64_t secondLength);
