// CRC-32 of file contents, as the info file records it for each piece and for the
// whole file: the common CRC-32 (reflected polynomial 0xEDB88320, initial and final
// value 0xFFFFFFFF, the value zlib's crc32 gives). Window-free.
#pragma once
#include <cstddef>
#include <cstdint>

// The ways of taking it, all giving the same values: byte by byte through a table;
// 128 bits at a time by carry-less multiplication (PCLMULQDQ with SSE4.1); 512 bits at
// a time (VPCLMULQDQ with AVX-512), which hands the last bytes to the 128-bit way.
enum class Crc32Way { TABLE, CARRYLESS_128, CARRYLESS_512 };

// Whether this processor has the instructions of a way. For the 512-bit way the
// processor also tells whether the system saves those registers; for the 128-bit one
// only the system can tell (Windows 95 and NT 4 never enable them).
bool ProcessorOffers(Crc32Way way);

// Makes Crc32Update take the fastest way the processor offers, a vector way only when
// the system saves the vector registers; until then it takes the table. Called at start,
// before any thread takes a CRC.
void ChooseCrc32Way(bool systemSavesVectorRegisters);
Crc32Way ChosenCrc32Way();

// The CRC of the bytes that crc was taken of (0 for none), followed by length bytes at data.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t length);

// The same by one given way, which the processor must offer.
uint32_t Crc32UpdateBy(Crc32Way way, uint32_t crc, const void* data, size_t length);

// The CRC of two runs of bytes one after the other, from the CRC of each and the
// length of the second: no byte is read again.
uint32_t Crc32Combine(uint32_t firstCrc, uint32_t secondCrc, uint64_t secondLength);
