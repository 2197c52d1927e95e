// The check of the pieces without restoring: what it finds and says, and that it writes nothing.
#include <doctest/doctest.h>

#include <functional>

#include "framework/NumberedTexts.h"
#include "res/resource.h"
#include "restore/CheckWorker.h"
#include "workers/RepairedSplit.h"

namespace {

struct CheckCase {
  const char* what;
  std::function<void(const RepairedSplit&)> damage;
  std::vector<int> answers;
  std::vector<unsigned> boxes;
  std::vector<unsigned> said;  // texts the last box holds, in this order
};

void SwapFirstTwo(const RepairedSplit& split) {
  const std::string first = ReadWholeFile(split.Piece(0));
  WriteWholeFile(split.Piece(0), ReadWholeFile(split.Piece(1)));
  WriteWholeFile(split.Piece(1), first);
}

// The info file as an earlier version wrote it: no checksum lines, no repair file.
void WithoutChecksums(const RepairedSplit& split) {
  WriteWholeFile(split.base + ".Split", "<ORIGINALNAME>REPORT.DOC\r\n<#FILES>3\r\n<SIZE>100000");
}

// A text of the check's box as it stands there about REPORT.DOC; a line about one file
// without the file's path.
std::string Snippet(unsigned text) {
  switch (text) {
    case IDS_CHECK_GOOD:
    case IDS_CHECK_SIZES_GOOD:
      return fw::FormatText(text, 3, "REPORT.DOC");
    case IDS_CHECK_FAULTS:
      return fw::FormatText(text, "REPORT.DOC");
    case IDS_CHECK_MISSING:
    case IDS_CHECK_DAMAGED:
      return fw::FormatText(text, "");
    default:
      return fw::FormatText(text);
  }
}

}  // namespace

TEST_CASE("a check reads every piece and the repair file, says what it found, and writes nothing") {
  const CheckCase cases[] = {
      {"all good", [](const RepairedSplit&) {}, {}, {IDS_CHECK_GOOD}, {IDS_CHECK_GOOD}},
      {"a missing middle piece: the repair file can mend it", [](const RepairedSplit& s) { s.Remove(s.Piece(1)); },
       {IDCANCEL}, {IDS_INSERT_DISK_WITH, IDS_CHECK_FAULTS}, {IDS_CHECK_FAULTS, IDS_CHECK_MISSING, IDS_CHECK_MENDABLE}},
      {"one byte changed in the last piece", [](const RepairedSplit& s) { s.ChangeByte(s.Piece(2), 19999); }, {},
       {IDS_CHECK_FAULTS}, {IDS_CHECK_FAULTS, IDS_CHECK_DAMAGED, IDS_CHECK_MENDABLE}},
      {"two pieces swapped: both damaged, and the restore can mend them", SwapFirstTwo, {}, {IDS_CHECK_FAULTS},
       {IDS_CHECK_FAULTS, IDS_CHECK_DAMAGED, IDS_CHECK_DAMAGED, IDS_CHECK_MENDABLE}},
      {"two pieces bad: no mend",
       [](const RepairedSplit& s) {
         s.ChangeByte(s.Piece(0), 1);
         s.Remove(s.Piece(2));
       },
       {IDCANCEL}, {IDS_INSERT_DISK_WITH, IDS_CHECK_FAULTS},
       {IDS_CHECK_FAULTS, IDS_CHECK_DAMAGED, IDS_CHECK_MISSING, IDS_CHECK_NOT_MENDABLE}},
      {"a piece and the repair file bad: no mend",
       [](const RepairedSplit& s) {
         s.Remove(s.Piece(1));
         s.ChangeByte(s.base + ".Fix", 7);
       },
       {IDCANCEL}, {IDS_INSERT_DISK_WITH, IDS_CHECK_FAULTS},
       {IDS_CHECK_FAULTS, IDS_CHECK_MISSING, IDS_CHECK_DAMAGED, IDS_CHECK_NOT_MENDABLE}},
      {"only the repair file missing: the file can be restored", [](const RepairedSplit& s) { s.Remove(s.base + ".Fix"); },
       {IDCANCEL}, {IDS_INSERT_DISK_WITH, IDS_CHECK_FAULTS},
       {IDS_CHECK_FAULTS, IDS_CHECK_MISSING, IDS_CHECK_RESTORABLE}},
      {"an info file without checksums: the sizes alone, and it says so", WithoutChecksums, {},
       {IDS_CHECK_SIZES_GOOD}, {IDS_CHECK_SIZES_GOOD}},
      {"an info file without checksums and a piece cut short",
       [](const RepairedSplit& s) {
         WithoutChecksums(s);
         WriteWholeFile(s.Piece(2), ReadWholeFile(s.Piece(2)).substr(1));
       },
       {}, {IDS_CHECK_FAULTS}, {IDS_CHECK_FAULTS, IDS_CHECK_NOT_THE_FILE, IDS_CHECK_NOT_MENDABLE, IDS_CHECK_SIZES_ONLY}},
  };
  for (const CheckCase& check : cases) {
    SUBCASE(check.what) {
      RepairedSplit split;
      check.damage(split);
      const std::vector<std::string> before = FilesIn(split.folder / "out");
      WorkerStage stage;
      ScriptedMessages boxes(check.answers, &stage.journal);
      const bool good = check.boxes.back() != IDS_CHECK_FAULTS;
      WorkerJob job = stage.Job(split.base + ".Split", "");
      job.mode = JOB_CHECK;
      CHECK(stage.Run(CheckWorker, job) == (good ? ENDED_DONE : ENDED_FAILED));
      CHECK(TextsShown(boxes) == check.boxes);
      // Each text the box should hold, found after the one before.
      const std::string said = Box(boxes, -1).text;
      size_t at = 0;
      for (unsigned text : check.said) {
        at = said.find(Snippet(text), at);
        CHECK_MESSAGE(at != std::string::npos, "text ", text, " in: ", said);
        if (at == std::string::npos) break;
        ++at;
      }
      CHECK(FilesIn(split.folder / "out") == before);
      CHECK(FilesIn(split.folder / "back").empty());
      if (good) CHECK(stage.ProgressRoseToEnd());
    }
  }

  SUBCASE("Break, answered Yes, ends the check at once: no finding is told") {
    RepairedSplit split;
    WorkerStage stage;
    ScriptedMessages boxes({IDYES}, &stage.journal);
    WorkerJob job = stage.Job(split.base + ".Split", "");
    job.mode = JOB_CHECK;
    stage.Break();
    CHECK(stage.Run(CheckWorker, job) == ENDED_FAILED);
    CHECK(TextsShown(boxes) == std::vector<unsigned>{IDS_ABORT_CHECK});
  }

  SUBCASE("unattended: no box, the outcome alone") {
    RepairedSplit split;
    split.Remove(split.Piece(1));
    WorkerStage stage;
    ScriptedMessages boxes({IDCANCEL}, &stage.journal);
    WorkerJob job = stage.Job(split.base + ".Split", "");
    job.mode = JOB_CHECK;
    job.unattended = true;
    CHECK(stage.Run(CheckWorker, job) == ENDED_FAILED);
    CHECK(TextsShown(boxes) == std::vector<unsigned>{IDS_INSERT_DISK_WITH});
  }
}
