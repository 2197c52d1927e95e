// The entry point of every test executable. The CRC-32 is taken the way the program
// takes it on this system: the vector ways where the system saves their registers
// (Linux always does).
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "logic/Crc32.h"
#ifdef _WIN32
#include "framework/SystemFunctions.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  ChooseCrc32Way(fw::SystemSavesVectorRegisters());
#else
  ChooseCrc32Way(true);
#endif
  doctest::Context context(argc, argv);
  return context.run();
}
