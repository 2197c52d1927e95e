// Long names of short (8.3) path components, looked up on real files.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "logic/SplitCommandLine.h"
#include "support/TestSupport.h"

namespace {

SplitCommandLine Parsed(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "C:\\PARVOLA\\PARVOLA95.EXE");
  SplitCommandLine commandLine;
  commandLine.SetArguments(arguments);
  commandLine.Parse();
  return commandLine;
}

}  // namespace

TEST_CASE("long path expansion") {
  TempFolder folder;
  std::string longFolder = folder / "Quarterly Reports 2026";
  REQUIRE(CreateDirectoryA(longFolder.c_str(), nullptr));
  std::string longFile = longFolder + "\\Annual summary of sales.document";
  WriteWholeFile(longFile, "content");
  char shortPath[MAX_PATH];
  REQUIRE(GetShortPathNameA(longFile.c_str(), shortPath, MAX_PATH) > 0);
  char longBase[MAX_PATH];
  REQUIRE(GetLongPathNameA(folder.Path().c_str(), longBase, MAX_PATH) > 0);
  std::string expectedLong = std::string(longBase) + "\\Quarterly Reports 2026\\Annual summary of sales.document";

  SUBCASE("short components become the long file-system names, extension included") {
    REQUIRE(std::string(shortPath) != expectedLong);
    SplitCommandLine commandLine = Parsed({"/s", shortPath});
    CHECK(commandLine.fileArgument == expectedLong);
    CHECK(commandLine.splitMode == 1);
  }
  SUBCASE("the drive letter and colon stay as written") {
    std::string lower = shortPath;
    lower[0] = static_cast<char>(tolower(lower[0]));
    CHECK(SplitCommandLine().ExpandLongPath(lower).substr(0, 2) == lower.substr(0, 2));
  }
  SUBCASE("components that do not exist are kept as written") {
    std::string missing = longFolder + "\\NOFILE~1.TXT";
    CHECK(SplitCommandLine().ExpandLongPath(missing) ==
          std::string(longBase) + "\\Quarterly Reports 2026\\NOFILE~1.TXT");
  }
  SUBCASE("wildcards are not resolved into some other file") {
    std::string pattern = longFolder + "\\*.document";
    CHECK(SplitCommandLine().ExpandLongPath(pattern).substr(std::string(longBase).size()) ==
          "\\Quarterly Reports 2026\\*.document");
  }
  SUBCASE("a trailing backslash stays a trailing backslash") {
    std::string expanded = SplitCommandLine().ExpandLongPath(longFolder + "\\");
    CHECK(expanded == std::string(longBase) + "\\Quarterly Reports 2026\\");
  }
  SUBCASE("a drive root is not expanded; network and relative paths become empty") {
    CHECK(Parsed({"/s", "C:\\"}).fileArgument == "C:\\");
    CHECK(Parsed({"/s", "\\\\server\\share\\report.doc"}).fileArgument.empty());
    CHECK(Parsed({"/s", "report.doc"}).fileArgument.empty());
  }
}

TEST_CASE("an expansion past 259 characters keeps the short path and is not clean") {
  TempFolder folder;
  std::wstring deep = L"\\\\?\\";
  for (char c : folder.Path()) deep += static_cast<wchar_t>(c);
  for (int level = 0; level < 5; ++level) {
    deep += L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + level));
    REQUIRE(CreateDirectoryW(deep.c_str(), nullptr));
  }
  wchar_t shortWide[1024];
  DWORD length = GetShortPathNameW(deep.c_str(), shortWide, 1024);
  REQUIRE(length > 4);
  std::string shortPath;
  for (const wchar_t* c = shortWide + 4; *c; ++c) shortPath += static_cast<char>(*c);
  REQUIRE(shortPath.size() <= 259);

  SplitCommandLine commandLine = Parsed({"/s", shortPath});
  CHECK(commandLine.fileArgument == shortPath);
  CHECK(commandLine.valid == 0);
  CHECK(commandLine.splitMode == 1);
  // The folders are too deep for the ordinary removal of the temporary folder.
  for (int level = 4; level >= 0; --level) {
    RemoveDirectoryW(deep.c_str());
    deep.erase(deep.rfind(L'\\'));
  }
}
