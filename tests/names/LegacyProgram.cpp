#include "LegacyProgram.h"

#include <doctest/doctest.h>
#include <windows.h>

#include "support/TestSupport.h"

std::string MakeLegacyProgram(const std::string& folder) {
  const std::string copy = folder + "\\Parvola95.exe";
  REQUIRE(CopyFileA(test::ProgramPath().c_str(), copy.c_str(), FALSE));
  HMODULE program = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  REQUIRE(program);
  HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), RT_MANIFEST);
  REQUIRE(found);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
  std::string manifest(bytes, SizeofResource(program, found));
  FreeLibrary(program);
  const size_t start = manifest.find("  <asmv3:application");
  size_t stop = manifest.find("</asmv3:application>");
  REQUIRE((start != std::string::npos && stop != std::string::npos));
  stop = manifest.find('\n', stop) + 1;
  manifest.erase(start, stop - start);
  REQUIRE(manifest.find("activeCodePage") == std::string::npos);

  HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
  REQUIRE(update);
  REQUIRE(UpdateResourceA(update, RT_MANIFEST, MAKEINTRESOURCEA(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                          manifest.data(), static_cast<DWORD>(manifest.size())));
  REQUIRE(EndUpdateResourceA(update, FALSE));
  return copy;
}
