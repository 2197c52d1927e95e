// A restore that mends from a recovery set that par2cmdline made over the pieces: missing,
// damaged, cut-short and swapped pieces rebuilt byte for byte, rows that par2cmdline
// itself cannot use passed over, and the restores that cannot be mended, which keep only
// the bytes before the first lost slice.
#include <doctest/doctest.h>

#include <cstring>
#include <functional>

#include "framework/NumberedTexts.h"
#include "job/Messages.h"
#include "logic/Par2Reader.h"
#include "res/resource.h"
#include "restore/CheckWorker.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "support/UnixScript.h"
#include "support/WorkerStage.h"

namespace {

constexpr size_t PIECE = 40000;

// REPORT.DOC of 300,000 bytes split into pieces of 40,000 (the last of 20,000) with the
// info file, and par2cmdline's set over the pieces: by default slices of 4,000 bytes, ten
// a piece, and 20 recovery slices, enough for any two pieces.
struct ParitySplit {
  TempFolder folder;
  const std::string data = test::PatternBytes(300000, 41);
  const std::string out = folder / "out";
  const std::string base = out + "\\REPORT";
  const std::string restored = folder / "back\\REPORT.DOC";

  explicit ParitySplit(const std::string& par2Options = "-s4000 -c20") {
    MakeFolder(out);
    MakeFolder(folder / "back");
    WriteWholeFile(folder / "REPORT.DOC", data);
    WorkerStage splitting;
    ScriptedMessages noBoxes({}, &splitting.journal);
    REQUIRE(splitting.Run(SplitWorker, splitting.Job(folder / "REPORT.DOC", out, PIECE, EXTRA_INFO_FILE)) ==
            ENDED_DONE);
    CreateSet("REPORT", par2Options);
  }
  // One more set over the pieces, named after name (its files name.par2, name.vol...).
  void CreateSet(const std::string& name, const std::string& options) const {
    REQUIRE(RunUnixScript("cd " + ShellWord(UnixPathOf(out)) + " && par2 create -q -q " + options + " " +
                          ShellWord(name) + ".par2 REPORT.0?? >/dev/null") == 0);
  }
  std::string Piece(size_t index) const { return base + ".00" + static_cast<char>('0' + index); }
  void Remove(const std::string& path) const { REQUIRE(DeleteFileA(path.c_str())); }
  void ChangeByte(const std::string& path, size_t at) const {
    std::string bytes = ReadWholeFile(path);
    bytes[at] ^= 0x10;
    WriteWholeFile(path, bytes);
  }
};

struct MendCase {
  const char* what;
  std::function<void(const ParitySplit&)> damage;
  std::vector<int> answers;
  std::vector<unsigned> boxes;
  size_t kept;  // the bytes of the restored file at the end: all of them after a mend
};

std::vector<unsigned> TextsShown(const ScriptedMessages& boxes) {
  std::vector<unsigned> texts;
  for (const ShownMessage& box : boxes.Shown()) texts.push_back(box.textId);
  return texts;
}

void CheckRestore(const ParitySplit& split, const MendCase& mend, bool unattended = false) {
  WorkerStage stage;
  ScriptedMessages boxes(mend.answers, &stage.journal);
  WorkerJob job = stage.Job(split.base + ".Split", split.folder / "back");
  job.unattended = unattended;
  const bool mended = mend.kept == split.data.size();
  CHECK(stage.Run(RestoreWorker, job) == (mended ? ENDED_DONE : ENDED_FAILED));
  CHECK(TextsShown(boxes) == mend.boxes);
  if (mended) CHECK(stage.ProgressRoseToEnd());
  CHECK(ReadWholeFile(split.restored) == split.data.substr(0, mend.kept));
}

const std::vector<int> SET_ASIDE = {IDCANCEL, IDYES};
const std::vector<unsigned> MISSING = {IDS_INSERT_DISK_WITH, IDS_SET_ASIDE_FOR_RECOVERY};
const std::vector<unsigned> DAMAGED = {IDS_PIECE_DAMAGED, IDS_SET_ASIDE_FOR_RECOVERY};

template <typename T>
std::vector<T> Times(const std::vector<T>& once, int count) {
  std::vector<T> all;
  while (count-- > 0) all.insert(all.end(), once.begin(), once.end());
  return all;
}

// The set's files as par2cmdline ordered them: its first input slice is the first file's.
std::vector<std::string> FilesInSetOrder(const std::string& indexFile) {
  struct Bytes : Par2ByteSource {
    std::string bytes;
    uint64_t Length() const override { return bytes.size(); }
    bool Read(uint64_t offset, void* buffer, size_t count) override {
      std::memcpy(buffer, bytes.data() + offset, count);
      return true;
    }
  } index;
  index.bytes = ReadWholeFile(indexFile);
  Par2Reader reader;
  REQUIRE(reader.Scan(index, 0));
  std::vector<std::string> names;
  for (const Par2InputFile& file : reader.Describe().files) names.push_back(file.name);
  return names;
}

}  // namespace

TEST_CASE("a restore mends what the recovery set covers, byte for byte") {
  const MendCase mends[] = {
      {"a missing piece", [](const ParitySplit& s) { s.Remove(s.Piece(3)); }, SET_ASIDE, MISSING, 300000},
      {"two pieces missing, the last and short one among them",
       [](const ParitySplit& s) {
         s.Remove(s.Piece(1));
         s.Remove(s.Piece(7));
       },
       Times(SET_ASIDE, 2), Times(MISSING, 2), 300000},
      {"one slice damaged in each of three pieces, at a piece's first and last byte too",
       [](const ParitySplit& s) {
         s.ChangeByte(s.Piece(0), 0);
         s.ChangeByte(s.Piece(4), 21000);
         s.ChangeByte(s.Piece(7), 19999);
       },
       Times(SET_ASIDE, 3), Times(DAMAGED, 3), 300000},
      {"a piece cut short and a piece with bytes after its end",
       [](const ParitySplit& s) {
         WriteWholeFile(s.Piece(2), ReadWholeFile(s.Piece(2)).substr(0, 30000));
         WriteWholeFile(s.Piece(5), ReadWholeFile(s.Piece(5)) + "more");
       },
       Times(SET_ASIDE, 2), Times(DAMAGED, 2), 300000},
      {"two pieces swapped: each goes into the other's room, and nothing is rebuilt",
       [](const ParitySplit& s) {
         const std::string first = ReadWholeFile(s.Piece(0));
         WriteWholeFile(s.Piece(0), ReadWholeFile(s.Piece(1)));
         WriteWholeFile(s.Piece(1), first);
       },
       {IDYES}, {IDS_SET_ASIDE_FOR_RECOVERY}, 300000},
  };
  for (const MendCase& mend : mends) {
    SUBCASE(mend.what) {
      ParitySplit split;
      mend.damage(split);
      CheckRestore(split, mend);
    }
  }

  SUBCASE("unattended on a fixed disk: missing and damaged pieces are set aside without a question") {
    ParitySplit split;
    split.Remove(split.Piece(6));
    split.ChangeByte(split.Piece(2), 100);
    CheckRestore(split, {"quiet", nullptr, {}, {}, 300000}, true);
  }
}

TEST_CASE("recovery slices whose rows par2cmdline would take first and fail on are passed over") {
  // A slice a piece: the first and third file of the set have the constants 2 and 16,
  // whose rows for the exponents 0 and 21845 are equal; the exponent 21846 makes them solvable.
  ParitySplit split("-s40000 -c1 -f0");
  split.CreateSet("REPORT.second", "-s40000 -c1 -f21845");
  split.CreateSet("REPORT.third", "-s40000 -c1 -f21846");
  const std::vector<std::string> order = FilesInSetOrder(split.base + ".par2");
  REQUIRE(order.size() == 8);
  for (size_t lost : {0, 2}) split.Remove(split.out + "\\" + order[lost]);
  CheckRestore(split, {"singular", nullptr, Times(SET_ASIDE, 2), Times(MISSING, 2), 300000});
}

TEST_CASE("a restore that the recovery set cannot mend keeps only the bytes before the first lost slice") {
  const MendCase refusals[] = {
      {"three pieces missing: 30 slices, and 20 recovery slices",
       [](const ParitySplit& s) {
         for (size_t piece : {2, 4, 5}) s.Remove(s.Piece(piece));
       },
       Times(SET_ASIDE, 3), [] {
         std::vector<unsigned> boxes = Times(MISSING, 3);
         boxes.push_back(IDS_RECOVERY_TOO_FEW);
         return boxes;
       }(),
       80000},
      {"No to the question fails as before", [](const ParitySplit& s) { s.Remove(s.Piece(2)); }, {IDCANCEL, IDNO},
       MISSING, 80000},
      {"the info file lists a recovery set that is not there",
       [](const ParitySplit& s) {
         REQUIRE(RunUnixScript("rm " + ShellWord(UnixPathOf(s.out)) + "/REPORT*.par2") == 0);
         WriteWholeFile(s.base + ".Split", ReadWholeFile(s.base + ".Split") + "\r\n<PAR2>4000 5");
         s.Remove(s.Piece(1));
       },
       SET_ASIDE, [] {
         std::vector<unsigned> boxes = MISSING;
         boxes.push_back(IDS_NO_RECOVERY_SET);
         return boxes;
       }(),
       40000},
  };
  for (const MendCase& refusal : refusals) {
    SUBCASE(refusal.what) {
      ParitySplit split;
      refusal.damage(split);
      CheckRestore(split, refusal);
    }
  }
}

TEST_CASE("a check says of each piece what the recovery set lacks, and whether it rebuilds all of it") {
  struct CheckCase {
    const char* what;
    std::function<void(const ParitySplit&)> damage;
    std::vector<int> answers;
    std::function<std::vector<std::string>(const ParitySplit&)> lines;  // in the box, in this order
  };
  const CheckCase cases[] = {
      {"a missing piece, and a slice damaged in another and in the short last piece",
       [](const ParitySplit& s) {
         s.Remove(s.Piece(3));
         s.ChangeByte(s.Piece(5), 4000);
         s.ChangeByte(s.Piece(7), 19999);
       },
       {IDCANCEL},
       [](const ParitySplit& s) -> std::vector<std::string> {
         return {fw::FormatText(IDS_CHECK_MISSING, s.Piece(3).c_str()),
                 fw::FormatText(IDS_CHECK_DAMAGED_SLICES, s.Piece(5).c_str(), 1u, 10u),
                 fw::FormatText(IDS_CHECK_DAMAGED_SLICES, s.Piece(7).c_str(), 1u, 5u),
                 fw::FormatText(IDS_CHECK_RECOVERABLE, 12u, 12u)};
       }},
      {"three pieces missing: 30 slices lost, 20 rebuilt",
       [](const ParitySplit& s) {
         for (size_t piece : {2, 4, 5}) s.Remove(s.Piece(piece));
       },
       {IDCANCEL, IDCANCEL, IDCANCEL},
       [](const ParitySplit& s) -> std::vector<std::string> {
         return {fw::FormatText(IDS_CHECK_MISSING, s.Piece(2).c_str()),
                 fw::FormatText(IDS_CHECK_MISSING, s.Piece(5).c_str()),
                 fw::FormatText(IDS_CHECK_UNRECOVERABLE, 30u, 20u)};
       }},
      {"two pieces swapped: both damaged under their names, and no slice lost",
       [](const ParitySplit& s) {
         const std::string first = ReadWholeFile(s.Piece(0));
         WriteWholeFile(s.Piece(0), ReadWholeFile(s.Piece(1)));
         WriteWholeFile(s.Piece(1), first);
       },
       {},
       [](const ParitySplit& s) -> std::vector<std::string> {
         return {fw::FormatText(IDS_CHECK_DAMAGED, s.Piece(0).c_str()),
                 fw::FormatText(IDS_CHECK_DAMAGED, s.Piece(1).c_str()),
                 fw::FormatText(IDS_CHECK_RECOVERABLE, 0u, 0u)};
       }},
  };
  for (const CheckCase& check : cases) {
    SUBCASE(check.what) {
      ParitySplit split;
      check.damage(split);
      const std::vector<std::string> before = FilesIn(split.out);
      WorkerStage stage;
      ScriptedMessages boxes(check.answers, &stage.journal);
      WorkerJob job = stage.Job(split.base + ".Split", "");
      job.mode = JOB_CHECK;
      CHECK(stage.Run(CheckWorker, job) == ENDED_FAILED);
      REQUIRE_FALSE(boxes.Shown().empty());
      const std::string said = boxes.Shown().back().text;
      size_t at = 0;
      for (const std::string& line : check.lines(split)) {
        at = said.find(line, at);
        CHECK_MESSAGE(at != std::string::npos, line, " in: ", said);
        if (at == std::string::npos) break;
      }
      CHECK(FilesIn(split.out) == before);
      CHECK(FilesIn(split.folder / "back").empty());
    }
  }
}
