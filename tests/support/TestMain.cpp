// The entry point of every test executable. The CRC-32 and the recovery data's field are
// taken the way the program takes them on this system: the vector ways where the system
// saves their registers (Linux always does).
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "logic/Crc32.h"
#include "logic/Galois16.h"
#ifdef _WIN32
#include "framework/SystemFunctions.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  const bool savesVectorRegisters = fw::SystemSavesVectorRegisters();
#else
  const bool savesVectorRegisters = true;
#endif
  ChooseCrc32Way(savesVectorRegisters);
  ChooseGaloisWay(savesVectorRegisters);
  doctest::Context context(argc, argv);
  return context.run();
}
