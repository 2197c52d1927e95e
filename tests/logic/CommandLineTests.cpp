#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "logic/Letters.h"
#include "logic/SplitCommandLine.h"

namespace {

SplitCommandLine Parsed(std::vector<std::string> arguments, unsigned codePage = 1252) {
  arguments.insert(arguments.begin(), "C:\\PARVOLA\\PARVOLA95.EXE");
  SplitCommandLine commandLine;
  commandLine.codePage = codePage;
  commandLine.SetArguments(arguments);
  commandLine.Parse();
  return commandLine;
}

// File arguments that name no drive path expand to nothing, so the mode tests
// use drive paths of a folder that does not exist: they are kept as written.
const std::string FILE_PATH = "Q:\\NOWHERE\\REPORT.DOC";

}  // namespace

TEST_CASE("modes") {
  SUBCASE("no arguments leave everything empty and valid") {
    SplitCommandLine commandLine = Parsed({});
    CHECK(commandLine.Parse());
    CHECK(commandLine.restoreMode == 0);
    CHECK(commandLine.splitMode == 0);
    CHECK(commandLine.fileArgument.empty());
  }
  SUBCASE("restore and split with a file") {
    SplitCommandLine restore = Parsed({"/u", FILE_PATH});
    CHECK(restore.restoreMode == 1);
    CHECK(restore.fileArgument == FILE_PATH);
    CHECK(restore.valid == 1);
    SplitCommandLine split = Parsed({"/s", FILE_PATH});
    CHECK(split.splitMode == 1);
    CHECK(split.restoreMode == 0);
  }
  SUBCASE("restore without a file falls back to the split dialog") {
    SplitCommandLine commandLine = Parsed({"/u"});
    CHECK(commandLine.restoreMode == 0);
    CHECK(commandLine.valid == 0);
  }
  SUBCASE("both modes clear each other but keep the file") {
    SplitCommandLine commandLine = Parsed({"/u", "/s", FILE_PATH});
    CHECK(commandLine.restoreMode == 0);
    CHECK(commandLine.splitMode == 0);
    CHECK(commandLine.fileArgument == FILE_PATH);
    CHECK(commandLine.valid == 0);
  }
  SUBCASE("a dash works like a slash; capitals are free arguments") {
    CHECK(Parsed({"-u", FILE_PATH}).restoreMode == 1);
    SplitCommandLine capital = Parsed({"/U", FILE_PATH});
    CHECK(capital.restoreMode == 0);
    CHECK(capital.fileArgument == "/U");
    CHECK(capital.destinationArgument == FILE_PATH);
  }
  SUBCASE("a switch glued to a name is no switch") {
    SplitCommandLine commandLine = Parsed({"/u" + FILE_PATH});
    CHECK(commandLine.restoreMode == 0);
  }
  SUBCASE("the file may come before the switch") {
    SplitCommandLine before = Parsed({FILE_PATH, "/s"});
    CHECK(before.splitMode == 1);
    CHECK(before.fileArgument == FILE_PATH);
  }
}

TEST_CASE("size switches, values and conflicts") {
  SUBCASE("a value switch takes the next argument") {
    SplitCommandLine commandLine = Parsed({"/np", "5", FILE_PATH});
    CHECK(commandLine.pieceCount == 5);
    CHECK(commandLine.valid == 1);
    CHECK(commandLine.fileArgument == FILE_PATH);
  }
  SUBCASE("each size switch fills its own field") {
    CHECK(Parsed({"/nb", "1000"}).pieceBytes == 1000);
    CHECK(Parsed({"/nk", "64"}).pieceKilobytes == 64);
    CHECK(Parsed({"/nm", "100"}).pieceMegabytes == 100);
    CHECK(Parsed({"/n14"}).floppy144 == 1);
    CHECK(Parsed({"/n72"}).floppy720 == 1);
  }
  SUBCASE("a value is read like a C number, but it needs a digit") {
    // What the value reads as, and whether the line stays valid; a value without a digit
    // fails and stays a free argument, so that a path there is not lost as a size of 0.
    struct ValueCase {
      const char* text;
      int value;
      int valid;
    };
    const ValueCase cases[] = {
        {"7", 7, 1},   {" 7", 7, 1}, {"\t+12", 12, 1}, {"5abc", 5, 1}, {"0", 0, 1},
        {"abc", 0, 0}, {"", 0, 0},   {" ", 0, 0},      {"+", 0, 0},    {"+ 5", 0, 0},
        {"Z:\\tmp\\out", 0, 0},   {"C:\\OUT", 0, 0},
    };
    for (const ValueCase& entry : cases) {
      CAPTURE(entry.text);
      SplitCommandLine commandLine = Parsed({"/s", FILE_PATH, "/nk", entry.text, "/nd"});
      CHECK(commandLine.pieceKilobytes == entry.value);
      CHECK(commandLine.valid == entry.valid);
      CHECK(commandLine.unattended == entry.valid);
      CHECK(commandLine.unattendedAsked == 1);
      CHECK(commandLine.destinationArgument == (entry.valid ? "" : entry.text));
    }
  }
  SUBCASE("a bad or missing value fails and leaves the field at 0") {
    SplitCommandLine negative = Parsed({"/np", "-3", FILE_PATH});
    CHECK(negative.pieceCount == 0);
    CHECK(negative.valid == 0);
    CHECK(negative.fileArgument == "-3");
    SplitCommandLine switchFollows = Parsed({"/np", "/nd", FILE_PATH});
    CHECK(switchFollows.pieceCount == 0);
    CHECK(switchFollows.valid == 0);
    SplitCommandLine last = Parsed({FILE_PATH, "/np"});
    CHECK(last.pieceCount == 0);
    CHECK(last.valid == 0);
    SplitCommandLine withSlash = Parsed({"/nk", "6/4"});
    CHECK(withSlash.pieceKilobytes == 0);
  }
  SUBCASE("a value too large for a 32-bit size is refused, not wrapped") {
    SplitCommandLine commandLine = Parsed({"/nb", "99999999999"});
    CHECK(commandLine.pieceBytes == 0);
    CHECK(commandLine.valid == 0);
    CHECK(Parsed({"/nb", "2147483647"}).pieceBytes == 2147483647);
  }
  SUBCASE("two size choices clear all six") {
    SplitCommandLine commandLine = Parsed({"/n14", "/nk", "64", FILE_PATH});
    CHECK(commandLine.floppy144 == 0);
    CHECK(commandLine.pieceKilobytes == 0);
    CHECK(commandLine.valid == 0);
    SplitCommandLine twoValues = Parsed({"/np", "3", "/nm", "1"});
    CHECK(twoValues.pieceCount == 0);
    CHECK(twoValues.pieceMegabytes == 0);
  }
  SUBCASE("a value of 0 counts as absent") {
    SplitCommandLine commandLine = Parsed({"/np", "0", "/n72"});
    CHECK(commandLine.floppy720 == 1);
    CHECK(commandLine.valid == 1);
  }
}

TEST_CASE("the amount of recovery data: /nf N, 1 to 99, with the recovery data and the info file; /of alone is 1") {
  struct AmountCase {
    std::vector<std::string> switches;
    int recoveryPieces, writeRepairFile, writeInfoFile, valid;
    const char* destination;  // where a value that is no number ends up
  };
  const AmountCase cases[] = {
      {{}, 0, 0, 0, 1, ""},
      {{"/nf", "3"}, 3, 1, 1, 1, ""},
      {{"-nf", "1"}, 1, 1, 1, 1, ""},
      {{"/nf", "99"}, 99, 1, 1, 1, ""},
      {{"/of"}, 1, 1, 0, 1, ""},
      {{"/of", "/nf", "7"}, 7, 1, 1, 1, ""},
      {{"/nf", "7", "/of", "/or"}, 7, 1, 1, 1, ""},
      // Outside the range: refused like a bad size, the number taken as the switch's value.
      {{"/nf", "0"}, 0, 0, 0, 0, ""},
      {{"/nf", "100"}, 0, 0, 0, 0, ""},
      {{"/of", "/nf", "100"}, 1, 1, 0, 0, ""},
      {{"/nf", "99999999999"}, 0, 0, 0, 0, "99999999999"},
      // Without a number: refused, and what follows stays a free argument.
      {{"/nf"}, 0, 0, 0, 0, ""},
      {{"/nf", "-2"}, 0, 0, 0, 0, "-2"},
      {{"/nf", "C:\\OUT"}, 0, 0, 0, 0, "C:\\OUT"},
      {{"/nf", "/ob"}, 0, 0, 0, 0, ""},
  };
  for (const AmountCase& entry : cases) {
    std::vector<std::string> arguments = {"/s", FILE_PATH, "/nd"};
    arguments.insert(arguments.end(), entry.switches.begin(), entry.switches.end());
    std::string shown;
    for (const std::string& argument : entry.switches) shown += argument + ' ';
    CAPTURE(shown);
    SplitCommandLine commandLine = Parsed(arguments);
    CHECK(commandLine.recoveryPieces == entry.recoveryPieces);
    CHECK(commandLine.writeRepairFile == entry.writeRepairFile);
    CHECK(commandLine.writeInfoFile == entry.writeInfoFile);
    CHECK(commandLine.valid == entry.valid);
    CHECK(commandLine.unattended == entry.valid);  // a refused amount never runs unattended
    CHECK(commandLine.fileArgument == FILE_PATH);
    CHECK(commandLine.destinationArgument == entry.destination);
  }
}

TEST_CASE("free arguments") {
  SUBCASE("file and destination in order, around switches") {
    SplitCommandLine commandLine = Parsed({FILE_PATH, "/op", "C:\\OUT", "/ob", "/or"});
    CHECK(commandLine.fileArgument == FILE_PATH);
    CHECK(commandLine.destinationArgument == "C:\\OUT");
    CHECK(commandLine.copyProgram == 1);
    CHECK(commandLine.writeInfoFile == 1);
    CHECK(commandLine.writeBatchFile == 1);
    CHECK(commandLine.valid == 1);
  }
  SUBCASE("a repeated switch is an ordinary free argument") {
    SplitCommandLine commandLine = Parsed({"/s", "/s", FILE_PATH});
    CHECK(commandLine.splitMode == 1);
    CHECK(commandLine.fileArgument == "/s");
    CHECK(commandLine.destinationArgument == FILE_PATH);
  }
  SUBCASE("an unknown switch is a free argument") {
    SplitCommandLine commandLine = Parsed({"/x", FILE_PATH});
    CHECK(commandLine.fileArgument == "/x");
  }
  SUBCASE("a third free argument makes the line invalid but keeps the first two") {
    SplitCommandLine commandLine = Parsed({FILE_PATH, "C:\\OUT", "EXTRA"});
    CHECK(commandLine.valid == 0);
    CHECK(commandLine.fileArgument == FILE_PATH);
    CHECK(commandLine.destinationArgument == "C:\\OUT");
  }
}

TEST_CASE("IsSwitch names exactly the arguments the parser takes as switches") {
  const std::vector<std::string> switches = {"u",  "s",  "n14", "n72", "np", "nb", "nk", "nm",
                                             "op", "or", "ob",  "of",  "t",  "nd", "na", "nf"};
  std::vector<std::string> candidates = {"",    "/",      "-",    "nd",   "/ND", "/nd5", "/n",
                                         "//nd", "-/nd", "/nd ", " /nd", "/x",  "/n1",  "/tmp/out", "/T", "/tt"};
  for (const std::string& name : switches) {
    candidates.push_back("/" + name);
    candidates.push_back("-" + name);
  }
  for (const std::string& candidate : candidates) {
    CAPTURE(candidate);
    // As the second free argument, a switch is consumed and leaves the destination empty.
    SplitCommandLine commandLine = Parsed({FILE_PATH, candidate});
    bool takenAsSwitch = commandLine.destinationArgument != candidate;
    CHECK(SplitCommandLine::IsSwitch(candidate) == takenAsSwitch);
  }
}

TEST_CASE("the check of an info file's pieces is a mode of its own") {
  struct Case {
    std::vector<std::string> arguments;
    int checkMode, valid;
  };
  const Case cases[] = {
      {{"/t", FILE_PATH}, 1, 1},
      {{"-t", FILE_PATH, "/nd"}, 1, 1},
      {{"/t"}, 0, 0},                  // nothing to check
      {{"/t", "/u", FILE_PATH}, 0, 0},  // two modes at once
      {{"/s", FILE_PATH, "/t"}, 0, 0},
  };
  for (const Case& check : cases) {
    CAPTURE(check.arguments.front());
    SplitCommandLine commandLine = Parsed(check.arguments);
    CHECK(commandLine.checkMode == check.checkMode);
    CHECK(commandLine.valid == check.valid);
    if (check.checkMode) CHECK(commandLine.fileArgument == FILE_PATH);
  }
}

TEST_CASE("unattended and hidden progress") {
  SUBCASE("nd with a file runs unattended, na only with it") {
    SplitCommandLine commandLine = Parsed({"/s", FILE_PATH, "/nd", "/na", "C:\\OUT"});
    CHECK(commandLine.unattended == 1);
    CHECK(commandLine.hideProgress == 1);
    CHECK(commandLine.valid == 1);
  }
  SUBCASE("nd without a file is cleared, and the run is known to have asked for it") {
    SplitCommandLine commandLine = Parsed({"/nd"});
    CHECK(commandLine.unattended == 0);
    CHECK(commandLine.unattendedAsked == 1);
    CHECK(commandLine.valid == 0);
    CHECK(Parsed({"/s", FILE_PATH}).unattendedAsked == 0);
  }
  SUBCASE("nd with a surplus argument is cleared, and na with it") {
    SplitCommandLine commandLine = Parsed({"/nd", "/na", FILE_PATH, "C:\\OUT", "EXTRA"});
    CHECK(commandLine.unattended == 0);
    CHECK(commandLine.hideProgress == 0);
  }
  SUBCASE("nd after a size conflict is cleared") {
    CHECK(Parsed({"/nd", "/n14", "/n72", FILE_PATH}).unattended == 0);
  }
  SUBCASE("na without nd is cleared") {
    SplitCommandLine commandLine = Parsed({"/na", FILE_PATH});
    CHECK(commandLine.hideProgress == 0);
    CHECK(commandLine.valid == 0);
  }
}

TEST_CASE("hostile command lines stay inside their buffers") {
  SUBCASE("more than 99 arguments are not a clean command line") {
    std::vector<std::string> many(150, "/op");
    many[0] = "/nd";
    many[1] = FILE_PATH;
    SplitCommandLine commandLine = Parsed(many);
    CHECK(commandLine.valid == 0);
    CHECK(commandLine.unattended == 0);
    CHECK(commandLine.copyProgram == 1);
  }
  SUBCASE("a switch or argument beyond position 99 is never looked at") {
    std::vector<std::string> many(99, "/op");
    many.push_back("/u");
    many.push_back(FILE_PATH);
    SplitCommandLine commandLine = Parsed(many);
    CHECK(commandLine.restoreMode == 0);
    CHECK(commandLine.fileArgument == "/op");
  }
  SUBCASE("a file argument over 259 characters is dropped whole") {
    std::string longPath = "C:\\" + std::string(300, 'x');
    SplitCommandLine commandLine = Parsed({"/s", longPath, "C:\\OUT"});
    CHECK(commandLine.fileArgument.empty());
    CHECK(commandLine.splitMode == 0);
    CHECK(commandLine.valid == 0);
    CHECK(commandLine.destinationArgument == "C:\\OUT");
  }
  SUBCASE("a file argument that expands to nothing starts no mode and no unattended run") {
    // Found by fuzzing: a relative file argument before a run of repeated switches.
    std::vector<std::string> found(95, "-u");
    found.insert(found.begin(), "-9223372036854775808");
    SplitCommandLine fuzzed = Parsed(found);
    CHECK(fuzzed.fileArgument.empty());
    CHECK(fuzzed.restoreMode == 0);
    CHECK(fuzzed.valid == 0);
    SplitCommandLine restore = Parsed({"/u", "REPORT.Split"});
    CHECK(restore.restoreMode == 0);
    SplitCommandLine unattended = Parsed({"/nd", "/na", "/s", "\\\\server\\share\\report.doc"});
    CHECK(unattended.fileArgument.empty());
    CHECK(unattended.splitMode == 0);
    CHECK(unattended.unattended == 0);
    CHECK(unattended.hideProgress == 0);
  }
  SUBCASE("a file argument of exactly 259 characters is kept") {
    std::string path = "Q:\\" + std::string(256, 'y');
    CHECK(Parsed({"/s", path}).fileArgument == path);
  }
  SUBCASE("in UTF-8 a letter beyond 16 bits counts as the two units the system counts") {
    // 3 + 2 x 128 units: the longest path, in 515 bytes; one letter more passes it.
    std::string path = "Q:\\";
    for (int letter = 0; letter < 128; ++letter) path += "\xF0\x9F\x98\x80";
    CHECK(Parsed({"/s", path}, UTF8_CODE_PAGE).fileArgument == path);
    CHECK(Parsed({"/s", path + "x"}, UTF8_CODE_PAGE).fileArgument.empty());
  }
}
