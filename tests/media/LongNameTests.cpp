// Paths at 259 characters and past: a path that is too long is refused as it
// stands, and never cut short into the path of some other file or folder.
#include <doctest/doctest.h>

#include "DiskState.h"
#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "res/resource.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"
#include "support/ProgramRegistry.h"
#include "support/TestSupport.h"
#include "support/UnixScript.h"
#include "support/WorkerStage.h"

using Entries = std::vector<std::string>;

namespace {

const char* const CAPTION = "Parvola 95 (Olvanta)";

// A temporary folder that may hold paths longer than Windows programs can name:
// the system below Wine removes what is inside it. Its folders are named with one letter,
// which may take more than one byte: lengths count characters, as the system does.
struct DeepFolder {
  TempFolder folder;
  std::string letter = "d";
  ~DeepFolder() { RunUnixScript("rm -rf " + ShellWord(UnixPathOf(folder.Path())) + "/*"); }

  // Nested folders below this one whose path has exactly length characters; created
  // here when create is set (Windows programs can create them up to 260 characters).
  std::string PathOfLength(size_t length, bool create = true) const {
    std::string path = folder.Path();
    REQUIRE(length >= fw::Utf16Length(path) + 2);
    for (size_t need = length - fw::Utf16Length(path); need > 0;) {
      // A name of 100 letters keeps to the 255 bytes a Linux file system allows.
      size_t name = need <= 101 ? need - 1 : std::min<size_t>(100, need - 3);
      path += '\\';
      for (size_t count = 0; count < name; ++count) path += letter;
      if (create) MakeFolder(path);
      need -= name + 1;
    }
    return path;
  }
  // A file at a path of length characters, made below Wine whatever its length.
  std::string FileOfLength(size_t length, const std::string& content) const {
    std::string path = PathOfLength(length - 11, false) + "\\REPORT.DOC";
    std::string unixPath = UnixPathOf(folder.Path()) + path.substr(folder.Path().size());
    for (char& c : unixPath)
      if (c == '\\') c = '/';
    std::string unixFolder = unixPath.substr(0, unixPath.rfind('/'));
    REQUIRE(RunUnixScript("mkdir -p " + ShellWord(unixFolder) + " && printf %s " + ShellWord(content) + " >" +
                          ShellWord(unixPath)) == 0);
    return path;
  }
};

}  // namespace

TEST_CASE("the split worker refuses a path past 259 characters as it stands") {
  WorkerStage stage;
  DeepFolder deep;
  const std::string data = test::PatternBytes(1000, 13);

  SUBCASE("pieces at 259 characters are written; the info file past them brings 145, then 153") {
    const std::string source = deep.folder / "REPORT.DOC";
    WriteWholeFile(source, data);
    SUBCASE("of one byte each") {}
    SUBCASE("of two bytes each, 500 in all") { deep.letter = "\xD0\xB4"; }
    const std::string destination = deep.PathOfLength(248);
    ScriptedMessages boxes({IDCANCEL}, &stage.journal);
    CHECK(stage.Run(SplitWorker, stage.Job(source, destination, 600, EXTRA_INFO_FILE)) == ENDED_FAILED);
    CHECK(fw::Utf16Length(destination + "\\REPORT.001") == 259);
    CHECK(FolderState(destination) ==
          Entries{StateEntry("REPORT.000", data.substr(0, 600)), StateEntry("REPORT.001", data.substr(600))});
    CHECK(stage.Only("box") == Entries{"box 145", "box 153"});
    CHECK(Box(boxes).text == "The file '" + destination + "\\REPORT.Split' could not be created!");
  }
  SUBCASE("a first piece past 259 characters: text 145 with the whole path, nothing written") {
    const std::string source = deep.folder / "REPORT.DOC";
    WriteWholeFile(source, data);
    SUBCASE("of one byte each") {}
    SUBCASE("of two bytes each") { deep.letter = "\xD0\xB4"; }
    const std::string destination = deep.PathOfLength(250);
    const Entries before = FolderState(deep.folder.Path());
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(SplitWorker, stage.Job(source, destination, 600, EXTRA_INFO_FILE)) == ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 145"});
    CHECK(Box(boxes).text == "The file '" + destination + "\\REPORT.000' could not be created!");
    CHECK(FolderState(deep.folder.Path()) == before);
  }
  SUBCASE("a source past 259 characters: text 146 with the whole path, nothing written") {
    const std::string source = deep.FileOfLength(300, "data");
    MakeFolder(deep.folder / "out");
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(SplitWorker, stage.Job(source, deep.folder / "out", 600, EXTRA_INFO_FILE)) ==
          ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 146"});
    CHECK(Box(boxes).text == "The file '" + source + "' could\nnot be read!");
    CHECK(FilesIn(deep.folder / "out").empty());
  }
}

TEST_CASE("the restore worker refuses a path past 259 characters as it stands") {
  WorkerStage stage;
  DeepFolder deep;
  MakeFolder(deep.folder / "back");
  const std::string infoText = "<ORIGINALNAME>REPORT.DOC\r\n<#FILES>1\r\n<SIZE>4";

  SUBCASE("an info file past 259 characters: text 154, nothing created") {
    const std::string info = deep.FileOfLength(300, infoText);
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(info, deep.folder / "back")) == ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 154"});
    CHECK(FilesIn(deep.folder / "back").empty());
  }
  SUBCASE("an output path past 259 characters: text 145 with the whole path, nothing created") {
    WriteWholeFile(deep.folder / "REPORT.Split", infoText);
    WriteWholeFile(deep.folder / "REPORT.000", "data");
    const std::string destination = deep.PathOfLength(250);
    const Entries before = FolderState(deep.folder.Path());
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(deep.folder / "REPORT.Split", destination)) == ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 145"});
    CHECK(Box(boxes).text == "The file '" + destination + "\\REPORT.DOC' could not be created!");
    CHECK(FolderState(deep.folder.Path()) == before);
  }
  SUBCASE("a piece path past 259 characters is asked for by its whole path; Cancel leaves the empty output") {
    const std::string pieces = deep.PathOfLength(250);
    WriteWholeFile(pieces + "\\R.Split", infoText);
    ScriptedMessages boxes({IDCANCEL}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(pieces + "\\R.Split", deep.folder / "back")) == ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 155"});
    CHECK(Box(boxes).text == fw::FormatText(IDS_INSERT_DISK_WITH, (pieces + "\\REPORT.000").c_str()));
    CHECK(FolderState(deep.folder / "back") == Entries{StateEntry("REPORT.DOC", "")});
  }
}

// The real program: a path argument past 259 characters is dropped whole, and the
// run does not start, even where its first 259 characters name another file or folder.
TEST_CASE("end to end: command-line paths past 259 characters") {
  ProgramRegistry registry;
  DeepFolder deep;
  MakeFolder(deep.folder / "out");
  const std::string source = deep.folder / "REPORT.DOC";
  WriteWholeFile(source, test::PatternBytes(5000, 14));
  std::string arguments;

  SUBCASE("a source whose first 259 characters name another file") {
    const std::string shorter = deep.PathOfLength(249) + "\\REPORT.DO";
    REQUIRE(shorter.size() == 259);
    WriteWholeFile(shorter, test::PatternBytes(5000, 15));
    WriteWholeFile(shorter + "C", test::PatternBytes(5000, 16));
    arguments = "/s \"" + shorter + "C\" /n14 /or /nd \"" + deep.folder / "out" + "\"";
  }
  SUBCASE("a destination whose first 259 characters name another folder") {
    const std::string shorter = deep.PathOfLength(259);
    arguments = "/s \"" + source + "\" /n14 /or /nd \"" + shorter + "\\out\"";
  }
  const Entries before = FolderState(deep.folder.Path());
  test::RunningProgram program(arguments);
  REQUIRE(program.Started());
  HWND dialog = program.FindWindowByCaption(CAPTION);
  REQUIRE(dialog);
  // Not an unattended run: the window stays, nothing is split, nothing is asked.
  CHECK_FALSE(test::WaitFor([&] { return !IsWindow(dialog); }, 2000));
  CHECK(program.FindMessageBox(100) == nullptr);
  test::PressButton(dialog, IDCANCEL);
  CHECK(program.WaitForExit());
  CHECK(FolderState(deep.folder.Path()) == before);
}

TEST_CASE("end to end: a restore destination typed past 259 characters keeps Restore disabled") {
  DeepFolder deep;
  WriteWholeFile(deep.folder / "REPORT.Split", "<ORIGINALNAME>REPORT.DOC\r\n<#FILES>1\r\n<SIZE>4");
  WriteWholeFile(deep.folder / "REPORT.000", "data");
  // The first 259 characters of the typed text name this folder through "." steps;
  // the whole text names a folder inside it that does not exist.
  const std::string back = deep.folder / ((deep.folder.Path().size() + 5) % 2 ? "back" : "backs");
  MakeFolder(back);
  std::string typed = back;
  while (typed.size() < 259) typed += "\\.";
  REQUIRE(typed.size() == 259);
  typed += "\\nowhere";
  test::RunningProgram program("/u \"" + deep.folder / "REPORT.Split" + "\" \"" + back + "\"");
  HWND dialog = program.FindWindowByCaption(CAPTION);
  REQUIRE(dialog);
  HWND restore = GetDlgItem(dialog, IDOK);
  CHECK(IsWindowEnabled(restore));
  test::SetControlText(dialog, IDC_DESTINATION_EDIT, typed);
  CHECK_FALSE(IsWindowEnabled(restore));
  // At 259 characters the folder exists, but no file inside it could be named.
  test::SetControlText(dialog, IDC_DESTINATION_EDIT, typed.substr(0, 259));
  CHECK_FALSE(IsWindowEnabled(restore));
  // Nor inside a missing folder whose probe path is too long to name.
  test::SetControlText(dialog, IDC_DESTINATION_EDIT, back + "\\" + std::string(254 - back.size(), 'n'));
  CHECK_FALSE(IsWindowEnabled(restore));
  test::SetControlText(dialog, IDC_DESTINATION_EDIT, back);
  CHECK(IsWindowEnabled(restore));
  test::PressButton(dialog, IDCANCEL);
  CHECK(program.WaitForExit());
  CHECK(FilesIn(back).empty());
}
