// Long-name expansion of the file argument against the native stand-in of the
// file system, which records every path the parser asks it about.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "logic/SplitCommandLine.h"
#include "native/FakeLongFileNames.h"

using Paths = std::vector<std::string>;

namespace {

SplitCommandLine Parsed(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "C:\\PARVOLA\\PARVOLA95.EXE");
  SplitCommandLine commandLine;
  commandLine.SetArguments(arguments);
  commandLine.Parse();
  return commandLine;
}

}  // namespace

TEST_CASE("expansion asks for each prefix and puts in the names it gets") {
  ClearFakeLongFileNames();
  SetFakeLongFileName("c:\\DATA~1", "Data of 2026");
  SetFakeLongFileName("c:\\DATA~1\\REPORT~1.DOC", "Report for March.doc");

  SUBCASE("each component in turn; the drive as written") {
    CHECK(SplitCommandLine().ExpandLongPath("c:\\DATA~1\\REPORT~1.DOC") == "c:\\Data of 2026\\Report for March.doc");
    CHECK(FakeLongFileNameQueries() == Paths{"c:\\DATA~1", "c:\\DATA~1\\REPORT~1.DOC"});
  }
  SUBCASE("a component the file system cannot name is kept as written") {
    CHECK(SplitCommandLine().ExpandLongPath("c:\\DATA~1\\NEW~1.TXT") == "c:\\Data of 2026\\NEW~1.TXT");
  }
  SUBCASE("patterns, relative steps and empty components are never looked up") {
    CHECK(SplitCommandLine().ExpandLongPath("c:\\DATA~1\\*.DOC") == "c:\\Data of 2026\\*.DOC");
    CHECK(SplitCommandLine().ExpandLongPath("c:\\DATA~1\\..\\.\\x?") == "c:\\Data of 2026\\..\\.\\x?");
    CHECK(SplitCommandLine().ExpandLongPath("c:\\DATA~1\\") == "c:\\Data of 2026\\");
    CHECK(FakeLongFileNameQueries() == Paths{"c:\\DATA~1", "c:\\DATA~1", "c:\\DATA~1"});
  }
  SUBCASE("only drive paths expand; a drive root is left alone") {
    CHECK(SplitCommandLine().ExpandLongPath("\\\\server\\share\\x.doc").empty());
    CHECK(SplitCommandLine().ExpandLongPath("DATA~1\\x.doc").empty());
    CHECK(SplitCommandLine().ExpandLongPath("c:DATA~1").empty());
    CHECK(Parsed({"/s", "c:\\"}).fileArgument == "c:\\");
    CHECK(FakeLongFileNameQueries().empty());
  }
  SUBCASE("the parser expands the file argument, never the destination") {
    SplitCommandLine commandLine = Parsed({"/s", "c:\\DATA~1\\REPORT~1.DOC", "c:\\DATA~1"});
    CHECK(commandLine.fileArgument == "c:\\Data of 2026\\Report for March.doc");
    CHECK(commandLine.destinationArgument == "c:\\DATA~1");
    CHECK(commandLine.valid == 1);
  }
  ClearFakeLongFileNames();
}

TEST_CASE("an expansion longer than a path may be keeps the short form and is not clean") {
  ClearFakeLongFileNames();
  const std::string shortPath = "c:\\A~1\\B~1";
  SetFakeLongFileName("c:\\A~1", std::string(200, 'a'));
  SUBCASE("259 characters are still a path") {
    SetFakeLongFileName("c:\\A~1\\B~1", std::string(259 - 204, 'b'));
    SplitCommandLine commandLine = Parsed({"/s", shortPath, "/nd"});
    CHECK(commandLine.fileArgument.size() == 259);
    CHECK(commandLine.valid == 1);
    CHECK(commandLine.unattended == 1);
  }
  SUBCASE("260 are not") {
    SetFakeLongFileName("c:\\A~1\\B~1", std::string(259 - 203, 'b'));
    SplitCommandLine commandLine = Parsed({"/s", shortPath});
    CHECK(commandLine.fileArgument == shortPath);
    CHECK(commandLine.valid == 0);
    CHECK(commandLine.splitMode == 1);
  }
  ClearFakeLongFileNames();
}
