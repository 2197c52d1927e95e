// The batch file written to disk and run under the command interpreter.
#include <doctest/doctest.h>

#include "logic/PieceNames.h"
#include "split/RestoreBatch.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"
#include "support/TextLanguage.h"

namespace {

// Deterministic bytes of every value, so that a copy in text mode would show.
std::string SampleContent(size_t size) {
  std::string content(size, '\0');
  uint32_t state = 12345;
  for (char& byte : content) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 16);
  }
  return content;
}

// Runs the batch file with cmd /c and the two folders as arguments; returns what it printed.
std::string RunBatch(const std::string& batch, const std::string& source, const std::string& destination,
                     const std::string& outputPath) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE input = CreateFileA("NUL", GENERIC_READ, sharing, &inherit, OPEN_EXISTING, 0, nullptr);
  HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                              nullptr);
  REQUIRE(input != INVALID_HANDLE_VALUE);
  REQUIRE(output != INVALID_HANDLE_VALUE);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::string command = "cmd.exe /c \"\"" + batch + "\" " + source + "\\ " + destination + "\\\"";
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                nullptr, &startup, &process);
  CloseHandle(input);
  CloseHandle(output);
  REQUIRE_MESSAGE(started, "cannot run ", command);
  bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CHECK_MESSAGE(ended, "the script did not end: ", command);
  return ReadWholeFile(outputPath);
}

}  // namespace

TEST_CASE("the written batch file restores the pieces under cmd") {
  UseEnglishTexts();
  TempFolder folder;
  std::string pieces = folder / "pieces", restored = folder / "restored";
  MakeFolder(pieces);
  MakeFolder(restored);

  std::string name;
  SUBCASE("a plain name") { name = "REPORT.DOC"; }
  SUBCASE("a name with blanks and an ampersand") { name = "my report & more.doc"; }
  // Percent signs are left out: Wine's cmd expands variables again inside the value of
  // %file%, which the Windows command interpreter does not.
  SUBCASE("a name with parentheses, plus, caret, comma, semicolon and equals") {
    name = "(a+b) ^x;y,z=1.doc";
  }

  std::string baseName = BaseNameOf(name);
  std::string original = SampleContent(70000);
  const size_t pieceSize = 32768;
  int32_t pieceCount = 0;
  for (size_t offset = 0; offset < original.size(); offset += pieceSize)
    WriteWholeFile(PiecePath(pieces, baseName, pieceCount++), original.substr(offset, pieceSize));
  REQUIRE(pieceCount == 3);

  ScriptedMessages boxes;
  REQUIRE(WriteRestoreBatch("C:\\DATA\\" + name, pieces, baseName, pieceCount, nullptr));
  std::string batch = pieces + '\\' + baseName + ".Bat";
  CHECK(ReadWholeFile(batch) == BuildRestoreBatch(name, baseName, pieceCount, LoadBatchTexts()));

  std::string printed = RunBatch(batch, pieces, restored, folder / "output.txt");
  INFO("the script printed: ", printed);
  REQUIRE(FileExists(restored + '\\' + name));
  CHECK(ReadWholeFile(restored + '\\' + name) == original);
  CHECK(printed.find("The file '" + name + "' has been restored.") != std::string::npos);
  // The running copy of the script is gone again.
  CHECK_FALSE(FileExists(restored + "\\~" + baseName.substr(0, baseName.size() - 1) + ".bat"));
  CHECK(boxes.Shown().empty());
}

TEST_CASE("WriteRestoreBatch keeps an existing batch file after No") {
  UseEnglishTexts();
  TempFolder folder;
  WriteWholeFile(folder / "REPORT.Bat", "keep");
  ScriptedMessages boxes({IDNO});
  CHECK_FALSE(WriteRestoreBatch("C:\\DATA\\REPORT.DOC", folder.Path(), "REPORT", 3, nullptr));
  CHECK(ReadWholeFile(folder / "REPORT.Bat") == "keep");
  REQUIRE(boxes.Shown().size() == 1);
  CHECK(boxes.Shown()[0].textId == 144);
}
