// A restore whose pieces go away, hold more than recorded, or are fewer than the
// info file claims; an output that cannot be written; a destination that is a file.
#include <doctest/doctest.h>

#include <algorithm>

#include "DiskState.h"
#include "framework/Texts.h"
#include "job/BlockCopier.h"
#include "res/resource.h"
#include "restore/RestoreWorker.h"
#include "support/TestSupport.h"
#include "support/TextLanguage.h"
#include "support/UnixScript.h"
#include "support/WorkerStage.h"

using Entries = std::vector<std::string>;

namespace {

// REPORT.000 to REPORT.002 of an original REPORT.DOC of 100,000 bytes, and an info
// file that says so (or whatever a case writes into it instead).
struct Pieces {
  TempFolder folder;
  std::string data = test::PatternBytes(100000, 11);
  std::string piece = folder / "pieces\\REPORT";  // without the piece's extension
  std::string info = piece + ".Split";
  std::string output = folder / "back\\REPORT.DOC";

  explicit Pieces(const std::string& infoText = "<ORIGINALNAME>REPORT.DOC\r\n<#FILES>3\r\n<SIZE>100000") {
    MakeFolder(folder / "pieces");
    MakeFolder(folder / "back");
    WriteWholeFile(piece + ".000", data.substr(0, 40000));
    WriteWholeFile(piece + ".001", data.substr(40000, 40000));
    WriteWholeFile(piece + ".002", data.substr(80000));
    WriteWholeFile(info, infoText);
  }
  Entries PiecesState() const { return FolderState(folder / "pieces"); }
};

std::string InfoText(const char* count, const char* size) {
  return std::string("<ORIGINALNAME>REPORT.DOC\r\n<#FILES>") + count + "\r\n<SIZE>" + size;
}

}  // namespace

TEST_CASE("the restore loses a piece or its output while it runs") {
  WorkerStage stage;
  Pieces pieces;
  const Entries before = pieces.PiecesState();

  SUBCASE("a piece removed during the restore: text 155 names it; Cancel leaves what was copied") {
    bool removed = false;
    // The break-off question holds the worker inside the first piece; No lets it go on.
    ScriptedMessages boxes({IDNO, IDCANCEL}, &stage.journal);
    boxes.WhenShown(IDS_ABORT_RESTORE, [&] { removed = DeleteFileA((pieces.piece + ".001").c_str()) != 0; });
    stage.Break();
    CHECK(stage.Run(RestoreWorker, stage.Job(pieces.info, pieces.folder / "back")) == ENDED_FAILED);
    REQUIRE(removed);
    CHECK(stage.Only("box") == Entries{"box 156", "box 155"});
    CHECK(Box(boxes, 1).text == fw::FormatText(IDS_INSERT_DISK_WITH, (pieces.piece + ".001").c_str()));
    CHECK(FolderState(pieces.folder / "back") ==
          Entries{StateEntry("REPORT.DOC", pieces.data.substr(0, 40000))});
    Entries left = before;
    left.erase(left.begin() + 1);  // REPORT.001, and nothing else, is gone
    CHECK(pieces.PiecesState() == left);
  }

  SUBCASE("the output turns read-only: text 149 names it, the first block stays") {
    ImmutableFlag readOnly(pieces.output);
    bool set = false;
    ScriptedMessages boxes({IDNO}, &stage.journal);
    boxes.WhenShown(IDS_ABORT_RESTORE, [&] { set = readOnly.Set(); });
    stage.Break();
    CHECK(stage.Run(RestoreWorker, stage.Job(pieces.info, pieces.folder / "back")) == ENDED_FAILED);
    REQUIRE(set);
    CHECK(stage.Only("box") == Entries{"box 156", "box 149"});
    CHECK(Box(boxes, 1).text == fw::FormatText(IDS_WRITE_INCOMPLETE, pieces.output.c_str()));
    const size_t firstBlock = std::min<size_t>(FIXED_DISK_BLOCK_BYTES, 40000);
    CHECK(FolderState(pieces.folder / "back") ==
          Entries{StateEntry("REPORT.DOC", pieces.data.substr(0, firstBlock))});
    CHECK(pieces.PiecesState() == before);
  }
}

TEST_CASE("an info file that claims more than the pieces hold") {
  struct Claim {
    const char* count;
    const char* size;
    Entries boxes;  // after the boxes the job fails
  };
  const Claim claims[] = {
      {"3", "2147483647", {"box 157"}},  // the largest size: all pieces copied, then the size check
      {"999", "100000", {"box 155"}},    // more pieces: the first one missing is asked for
      {"999", "2147483647", {"box 155"}},
      {"3", "4294967296", {"box 157"}},  // a size past 32 bits is checked in full, not wrapped to 0
      {"3", "9223372036854775808", {"box 154"}},  // a size past 64 bits is no size at all
      {"4294967299", "100000", {"box 154"}},
  };
  for (const Claim& claim : claims) {
    CAPTURE(claim.count);
    CAPTURE(claim.size);
    Pieces pieces(InfoText(claim.count, claim.size));
    const Entries before = pieces.PiecesState();
    WorkerStage stage;
    ScriptedMessages boxes({IDCANCEL}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(pieces.info, pieces.folder / "back")) == ENDED_FAILED);
    CHECK(stage.Only("box") == claim.boxes);
    if (claim.boxes[0] == "box 154") {
      CHECK(FolderState(pieces.folder / "back").empty());
    } else {
      // Every byte that was there is kept, in order.
      CHECK(FolderState(pieces.folder / "back") == Entries{StateEntry("REPORT.DOC", pieces.data)});
      if (claim.boxes[0] == "box 155")
        CHECK(Box(boxes).text == fw::FormatText(IDS_INSERT_DISK_WITH, (pieces.piece + ".003").c_str()));
      // 100,000 of 2,147,483,647 or of 4,294,967,296 bytes is 0 per mille, not a wrapped product.
      const uint32_t expected = std::string(claim.size) == "100000" ? 1000 : 0;
      for (const std::string& position : stage.Only("WM_PROGRESS_POS"))
        CHECK(std::stoul(position.substr(position.rfind(' ') + 1)) <= expected);
      CHECK(Last(stage.Only("WM_PROGRESS_POS")) == "post WM_PROGRESS_POS " + std::to_string(expected));
    }
    CHECK(pieces.PiecesState() == before);
  }
}

TEST_CASE("a restore destination that is a file") {
  Pieces pieces;
  WriteWholeFile(pieces.folder / "back\\plain.txt", "keep");
  const Entries before = FolderState(pieces.folder.Path());
  const std::string file = pieces.folder / "back\\plain.txt";

  SUBCASE("the worker: text 145 for the path through the file, before anything is written") {
    WorkerStage stage;
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(pieces.info, file)) == ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 145"});
    CHECK(Box(boxes).text == "The file '" + file + "\\REPORT.DOC' could not be created!");
    CHECK(stage.Only("WM_SHOW_FROM").empty());
  }
  SUBCASE("the program run unattended: Restore stays disabled, the window comes back, nothing starts") {
    test::RunningProgram program("/nd /u \"" + pieces.info + "\" \"" + file + "\"");
    HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
    REQUIRE(dialog);
    CHECK(test::WaitFor([&] { return !IsIconic(dialog); }));
    CHECK_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    CHECK(program.FindMessageBox(1000) == nullptr);
    test::PressButton(dialog, IDCANCEL);
    CHECK(program.WaitForExit());
  }
  CHECK(FolderState(pieces.folder.Path()) == before);
}

TEST_CASE("end to end: a piece longer than recorded brings text 157, and the output keeps every byte") {
  UseEnglishTexts();
  Pieces pieces;
  const std::string longer = test::PatternBytes(41000, 12);
  WriteWholeFile(pieces.piece + ".001", longer);
  const Entries before = pieces.PiecesState();
  test::RunningProgram program("/u \"" + pieces.info + "\" \"" + pieces.folder / "back" + "\"");
  HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
  REQUIRE(dialog);
  test::PressButton(dialog, IDOK);
  HWND box = program.FindMessageBox();
  REQUIRE(box);
  CHECK(test::MessageBoxText(box) == fw::LoadText(IDS_WRONG_SIZE));
  test::AnswerMessageBox(box, IDOK);
  // A failed restore says nothing more and leaves the dialog open.
  CHECK(program.FindMessageBox(1000) == nullptr);
  CHECK(IsWindow(dialog));
  test::PressButton(dialog, IDCANCEL);
  CHECK(program.WaitForExit());
  const std::string all = pieces.data.substr(0, 40000) + longer + pieces.data.substr(80000);
  CHECK(FolderState(pieces.folder / "back") == Entries{StateEntry("REPORT.DOC", all)});
  CHECK(pieces.PiecesState() == before);
}
