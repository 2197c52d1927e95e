// The text of the restore batch file.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "logic/BatchScript.h"
#include "support/TextLanguage.h"

using Lines = std::vector<std::string>;

namespace {

// The script for REPORT.DOC in three pieces, English, with LF for CR LF.
const char* const REPORT_SCRIPT = R"(@echo off

if "%1" == "" goto start
if not "%2" == "" goto param
@echo Please start with: REPORT [SourcePath DestinationPath]
@echo    z. B. REPORT A:\ C:\TEMP\
goto end

:param
set source=%1
set dest=%2

:start
if "%parvola%" == "running" goto run
set parvola=running
copy %source%REPORT.bat %dest%~REPOR.bat > nul
call %dest%~REPOR.bat
del %dest%~REPOR.bat
goto cleanup

:run
set parvola=
if not exist %dest%REPORT.DOC goto file0
@echo The file 'REPORT.DOC' coud not be restored.
@echo It exists already!!!
goto end

:file0
@echo The file 'REPORT.DOC' is being restored.
set file=REPORT.000
set cont=file1
goto check

:file1
set file=REPORT.001
set cont=file2
goto check

:file2
set file=REPORT.002
set cont=ok
goto check

:check
if exist %source%%file% goto copy
@echo Please insert the file '%file%' in %source%.
pause
goto check

:copy
if not exist %dest%REPORT.DOC goto create
copy /b %dest%REPORT.DOC + %source%%file% %dest%REPORT.DOC > nul
goto %cont%

:create
copy /b %source%%file% %dest%REPORT.DOC > nul
goto %cont%

:cleanup
set source=
set dest=
set file=
set cont=
goto end

:ok
@echo The file 'REPORT.DOC' has been restored.

:end)";

std::string WithCrLf(const std::string& text) {
  std::string converted;
  for (char letter : text) {
    if (letter == '\n') converted += '\r';
    converted += letter;
  }
  return converted;
}

// The script's lines; every line end must be CR LF.
Lines SplitLines(const std::string& script) {
  Lines lines;
  size_t start = 0;
  for (size_t end; (end = script.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(script.substr(start, end - start));
  lines.push_back(script.substr(start));
  for (const std::string& line : lines) CHECK(line.find_first_of("\r\n") == std::string::npos);
  return lines;
}

bool HasLine(const Lines& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// A script in the code page of Western Windows, unless told otherwise.
std::string Script(const std::string& name, const std::string& baseName, int32_t pieceCount,
                   BaseNameSpelling spelling = BaseNameSpelling::AS_WRITTEN, unsigned codePage = 1252) {
  return BuildRestoreBatch(name, baseName, pieceCount, LoadBatchTexts(), codePage, spelling);
}

}  // namespace

TEST_CASE("restore batch text") {
  UseEnglishTexts();
  const std::string english = Script("REPORT.DOC", "REPORT", 3);

  SUBCASE("REPORT.DOC in three pieces, English: 69 lines, 1,213 bytes, exactly") {
    CHECK(english == WithCrLf(REPORT_SCRIPT));
    CHECK(SplitLines(english).size() == 69);
    CHECK(english.size() == 1213);
  }

#ifdef _WIN32
  SUBCASE("German differs only in the lines from the string table") {
    UseGermanTexts();
    Lines german = SplitLines(Script("REPORT.DOC", "REPORT", 3));
    UseEnglishTexts();
    Lines expected = SplitLines(english);
    expected[4] = "@echo Starten Sie mit: REPORT [Quellenpfad Zielpfad]";
    expected[23] = "@echo Die Datei 'REPORT.DOC' konnte nicht erstellt werden,";
    expected[24] = "@echo da sie bereits existiert!!!";
    expected[28] = "@echo Die Datei 'REPORT.DOC' wird erstellt.";
    expected[45] = "@echo Legen Sie bitte die Datei '%file%' in %source% ein.";
    expected[66] = "@echo Die Datei 'REPORT.DOC' wurde wieder erstellt.";
    CHECK(german == expected);
  }
#endif

  SUBCASE("one piece: one section with the restoring line and cont=ok") {
    Lines lines = SplitLines(Script("REPORT.DOC", "REPORT", 1));
    auto section = std::find(lines.begin(), lines.end(), ":file0");
    REQUIRE(section != lines.end());
    CHECK(Lines(section, section + 6) == Lines{":file0", "@echo The file 'REPORT.DOC' is being restored.",
                                               "set file=REPORT.000", "set cont=ok", "goto check", ""});
    CHECK_FALSE(HasLine(lines, ":file1"));
  }

  SUBCASE("no pieces: no section, though the head still jumps to file0") {
    Lines lines = SplitLines(Script("REPORT.DOC", "REPORT", 0));
    CHECK(HasLine(lines, "if not exist %dest%REPORT.DOC goto file0"));
    for (const std::string& line : lines) CHECK(line.rfind(":file", 0) == std::string::npos);
    CHECK(lines.size() == 69 - 16);
  }

  SUBCASE("the running copy drops the base name's last letter") {
    Lines eight = SplitLines(Script("ABCDEFGH.DAT", "ABCDEFGH", 1));
    CHECK(HasLine(eight, "copy %source%ABCDEFGH.bat %dest%~ABCDEFG.bat > nul"));
    CHECK(HasLine(eight, "call %dest%~ABCDEFG.bat"));
    Lines one = SplitLines(Script("A.DAT", "A", 1));
    CHECK(HasLine(one, "copy %source%A.bat %dest%~.bat > nul"));
    CHECK(HasLine(one, "del %dest%~.bat"));
  }

  SUBCASE("a script that needs cmd runs its copy as ~PARVOLA.BAT: call reads % and ^ twice") {
    // Windows' cmd expands "100%% done" once more in a call line and doubles the caret of
    // "a^b" even inside quotes, so a copy named after them is never found.
    const struct {
      const char* name;
      const char* base;
      BaseNameSpelling spelling;
      const char* copied;
    } cases[] = {
        {"100% done.doc", "100% done", BaseNameSpelling::AS_WRITTEN, "copy %source%\"100%% done.bat\""},
        {"a^b.doc", "a^b", BaseNameSpelling::AS_WRITTEN, "copy %source%\"a^b.bat\""},
        {"50%.doc", "50%", BaseNameSpelling::AS_WRITTEN, "copy %source%\"50%%.bat\""},
        {"my (best) & last.doc", "my (best) & last", BaseNameSpelling::AS_WRITTEN,
         "copy %source%\"my (best) & last.bat\""},
        {"Preis 5?.doc", "Preis 5?", BaseNameSpelling::FROM_SCRIPT_NAME, "copy %source%\"%base%.bat\""},
    };
    for (const auto& each : cases) {
      CAPTURE(each.name);
      Lines lines = SplitLines(Script(each.name, each.base, 2, each.spelling));
      CHECK(HasLine(lines, std::string(each.copied) + " %dest%~PARVOLA.BAT > nul"));
      CHECK(HasLine(lines, "call %dest%~PARVOLA.BAT"));
      CHECK(HasLine(lines, "del %dest%~PARVOLA.BAT"));
    }
  }

  SUBCASE("labels count in plain decimal, piece names in three digits") {
    Lines lines = SplitLines(Script("REPORT.DOC", "REPORT", 11));
    CHECK(HasLine(lines, ":file9"));
    CHECK(HasLine(lines, "set file=REPORT.009"));
    CHECK(HasLine(lines, "set cont=file10"));
    CHECK(HasLine(lines, ":file10"));
    CHECK(HasLine(lines, "set file=REPORT.010"));
    CHECK_FALSE(HasLine(lines, ":file11"));
  }

  SUBCASE("a name with blanks and operators is quoted in commands and escaped in echo lines") {
    Lines lines = SplitLines(Script("my (best) & last.doc", "my (best) & last", 2));
    CHECK(lines[5] == "@echo Please start with: my ^(best^) ^& last [SourcePath DestinationPath]");
    CHECK(lines[6] == "@echo    z. B. my ^(best^) ^& last A:\\ C:\\TEMP\\");
    CHECK(HasLine(lines, "if not exist %dest%\"my (best) & last.doc\" goto file0"));
    CHECK(HasLine(lines, "@echo The file 'my ^(best^) ^& last.doc' coud not be restored."));
    CHECK(HasLine(lines, "set \"file=my (best) & last.001\""));
    CHECK(HasLine(lines, "if exist %source%\"%file%\" goto copy"));
    CHECK(HasLine(lines, "copy /b %dest%\"my (best) & last.doc\" + %source%\"%file%\" "
                         "%dest%\"my (best) & last.doc\" > nul"));
    CHECK(HasLine(lines, "copy /b %source%\"%file%\" %dest%\"my (best) & last.doc\" > nul"));
    CHECK(HasLine(lines, "@echo The file 'my ^(best^) ^& last.doc' has been restored."));
  }

  SUBCASE("the insert prompt shows a name with operators escaped, never running a part of it") {
    struct Case {
      const char* baseName;
      const char* shown;  // as an echo line takes it
    };
    for (const Case& c : {Case{"a & del important", "a ^& del important"}, Case{"50% (off)", "50%% ^(off^)"},
                          Case{"x^y", "x^^y"}}) {
      CAPTURE(c.baseName);
      Lines lines = SplitLines(Script(std::string(c.baseName) + ".doc", c.baseName, 2));
      for (const std::string& line : lines)
        if (line.rfind("@echo", 0) == 0) CHECK(line.find("%file%") == std::string::npos);
      CHECK(HasLine(lines, "set \"shown=" + std::string(c.shown) + ".000\""));
      CHECK(HasLine(lines, "set \"shown=" + std::string(c.shown) + ".001\""));
      CHECK(HasLine(lines, "@echo Please insert the file '%shown%' in %source%."));
      CHECK(HasLine(lines, "set shown="));
    }
    // A name an echo line takes as it is keeps the prompt, and the script, as they are.
    CHECK(HasLine(SplitLines(english), "@echo Please insert the file '%file%' in %source%."));
  }

  SUBCASE("percent signs are doubled; a plain base name keeps the piece lines unquoted") {
    Lines lines = SplitLines(Script("50%|x.doc", "50%|x", 1));
    CHECK(HasLine(lines, "set \"file=50%%|x.000\""));
    CHECK(HasLine(lines, "@echo The file '50%%^|x.doc' is being restored."));
    Lines plainBase = SplitLines(Script("plain.a b", "plain", 1));
    CHECK(HasLine(plainBase, "set file=plain.000"));
    CHECK(HasLine(plainBase, "if exist %source%%file% goto copy"));
    CHECK(HasLine(plainBase, "copy /b %source%%file% %dest%\"plain.a b\" > nul"));
  }

  SUBCASE("a base name taken from the script's own name: in quotes in every command, as given in echo lines") {
    // The names given stand for a base name the script's code page cannot spell.
    Lines plain = SplitLines(Script("Preis 5?.doc", "Preis 5?", 2));
    Lines lines = SplitLines(Script("Preis 5?.doc", "Preis 5?", 2, BaseNameSpelling::FROM_SCRIPT_NAME));
    // The base name and its long form, and its clean-up.
    CHECK(lines.size() == plain.size() + 3);
    auto start = std::find(lines.begin(), lines.end(), "set parvola=running");
    REQUIRE(lines.end() - start > 7);
    CHECK(Lines(start, start + 7) ==
          Lines{"set parvola=running", "set \"base=%~n0\"", "for %%f in (\"%~dpn0.ba?\") do set \"base=%%~nf\"",
                "copy %source%\"%base%.bat\" %dest%~PARVOLA.BAT > nul", "call %dest%~PARVOLA.BAT",
                "del %dest%~PARVOLA.BAT", "goto cleanup"});
    CHECK(lines[5] == "@echo Please start with: Preis 5? [SourcePath DestinationPath]");
    CHECK(HasLine(lines, "if not exist %dest%\"%base%.doc\" goto file0"));
    CHECK(HasLine(lines, "@echo The file 'Preis 5?.doc' is being restored."));
    CHECK(HasLine(lines, "set \"file=%base%.000\""));
    CHECK(HasLine(lines, "set \"file=%base%.001\""));
    CHECK(HasLine(lines, "if exist %source%\"%file%\" goto copy"));
    CHECK(HasLine(lines, "copy /b %dest%\"%base%.doc\" + %source%\"%file%\" %dest%\"%base%.doc\" > nul"));
    CHECK(HasLine(lines, "copy /b %source%\"%file%\" %dest%\"%base%.doc\" > nul"));
    auto cleanup = std::find(lines.begin(), lines.end(), ":cleanup");
    REQUIRE(lines.end() - cleanup > 6);
    CHECK(Lines(cleanup + 1, cleanup + 7) ==
          Lines{"set source=", "set dest=", "set file=", "set cont=", "set base=", "goto end"});
    CHECK(lines.back() == ":end");
  }

  SUBCASE("only a script with what cmd alone knows checks that cmd runs it, and tells COMMAND.COM so") {
    const Lines checked = {"@echo off", "if not \"%OS%\" == \"Windows_NT\" goto nt"};
    for (const Lines& needsCmd : {SplitLines(Script("a & b.doc", "a & b", 2)),
                                  SplitLines(Script("one two.doc", "one two", 2)),
                                  SplitLines(Script("x.(1)", "x", 2)),
                                  SplitLines(Script("Preis?.doc", "Preis?", 2, BaseNameSpelling::FROM_SCRIPT_NAME))}) {
      CHECK(Lines(needsCmd.begin(), needsCmd.begin() + 2) == checked);
      auto answer = std::find(needsCmd.begin(), needsCmd.end(), ":nt");
      REQUIRE(needsCmd.end() - answer > 3);
      CHECK(Lines(answer, answer + 4) ==
            Lines{":nt", "@echo This BAT file needs Windows NT or later. Please restore the file with Parvola 95.",
                  "goto end", ""});
    }
    // Names in quotes alone, in the commands, are read by both.
    for (const std::string& script : {english, Script("plain.a b", "plain", 2)}) {
      CHECK(script.find("%OS%") == std::string::npos);
      CHECK_FALSE(HasLine(SplitLines(script), ":nt"));
    }
  }

  SUBCASE("double-byte names: a second byte that looks like an operator or a backslash is part of a letter") {
    // Code page 932: "\x83\x7C\x83\x58\x83\x5E\x81\x5B" is the four letters of "poster", the first
    // and third with a bar and a caret as their second bytes; "\x95\x5C" ends in a backslash.
    const std::string poster = "\x83\x7C\x83\x58\x83\x5E\x81\x5B";
    const std::string script = Script(poster + ".doc", poster, 2, BaseNameSpelling::AS_WRITTEN, 932);
    // Escaped byte by byte, the second bytes would become a caret and a bare bar.
    CHECK(script.find("\x83^|") == std::string::npos);
    CHECK(script.find("\x83^^") == std::string::npos);
    CHECK(script.find('"') == script.find("\"%1\""));  // no name in quotes
    CHECK(script.find("%OS%") == std::string::npos);
    Lines lines = SplitLines(script);
    CHECK(HasLine(lines, "set file=" + poster + ".000"));
    CHECK(HasLine(lines, "@echo The file '" + poster + ".doc' has been restored."));
    // The running copy drops the last letter, both of its bytes.
    CHECK(HasLine(lines, "copy %source%" + poster + ".bat %dest%~\x83\x7C\x83\x58\x83\x5E.bat > nul"));
    // The same bytes read one by one would be operators: escaped, quoted, checked for cmd.
    const std::string bytewise = Script(poster + ".doc", poster, 2, BaseNameSpelling::AS_WRITTEN, 1252);
    CHECK(bytewise.find("\x83^|") != std::string::npos);
    CHECK(bytewise.find("%OS%") != std::string::npos);
  }

  SUBCASE("the restored name is the base name and the extension; a percent sign in it is doubled") {
    Lines noExtension = SplitLines(Script("Preis?", "Preis?", 1, BaseNameSpelling::FROM_SCRIPT_NAME));
    CHECK(HasLine(noExtension, "copy /b %source%\"%file%\" %dest%\"%base%\" > nul"));
    Lines percent = SplitLines(Script("Preis?.5%", "Preis?", 1, BaseNameSpelling::FROM_SCRIPT_NAME));
    CHECK(HasLine(percent, "if not exist %dest%\"%base%.5%%\" goto file0"));
    CHECK(HasLine(percent, "@echo The file 'Preis?.5%%' is being restored."));
  }
}
