#include "logic/ProcessorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>

bool SystemSavesRegisterSets(uint32_t xcr0Bits) {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_OSXSAVE)) return false;
  uint32_t low = 0, high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (low & xcr0Bits) == xcr0Bits;
}
#else
bool SystemSavesRegisterSets(uint32_t) { return false; }
#endif
