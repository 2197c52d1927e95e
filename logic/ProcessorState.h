// Whether the system saves a processor's vector registers for each thread, as the
// processor reports it (the operating system's enabled state, XCR0). Window-free.
#pragma once
#include <cstdint>

// The XCR0 bits of the register sets: the 128-bit registers (bit 1), the upper halves of
// the 256-bit ones (bit 2), the 512-bit ones and their masks (bits 5 to 7).
constexpr uint32_t SAVED_128_BIT = 0x02, SAVED_256_BIT = 0x04, SAVED_512_BIT = 0xE0;

// Whether the system has enabled XSAVE and saves all of these register sets. False on a
// processor without XSAVE (or without CPUID) and on other processors than x86.
bool SystemSavesRegisterSets(uint32_t xcr0Bits);
