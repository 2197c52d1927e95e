// An old split with its repair file, for the tests of the restores that mend a piece with
// it and of the check.
#pragma once
#include <string>
#include <vector>
#include <windows.h>

#include "job/Messages.h"
#include "split/SplitWorker.h"
#include "support/OldRepairFile.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

// The split writes the pieces and the info file, and the repair file is added as the program
// once wrote it. By default 100,000 bytes in pieces of 40,000: REPORT.000 and .001 whole,
// .002 of 20,000 bytes, REPORT.Fix and REPORT.Split.
struct RepairedSplit {
  TempFolder folder;
  const std::string data;
  const std::string base = folder / "out\\REPORT";
  const std::string restored = folder / "back\\REPORT.DOC";

  explicit RepairedSplit(size_t size = 100000, int32_t pieceSize = 40000) : data(test::PatternBytes(size, 5)) {
    MakeFolder(folder / "out");
    MakeFolder(folder / "back");
    WriteWholeFile(folder / "REPORT.DOC", data);
    WorkerStage splitting;
    ScriptedMessages noBoxes({}, &splitting.journal);
    REQUIRE(splitting.Run(SplitWorker, splitting.Job(folder / "REPORT.DOC", folder / "out", pieceSize,
                                                     EXTRA_INFO_FILE)) == ENDED_DONE);
    AddOldRepairFile(base, pieceSize);
  }
  std::string Piece(int index) const { return base + ".00" + static_cast<char>('0' + index); }
  void Remove(const std::string& path) const { REQUIRE(DeleteFileA(path.c_str())); }
  void ChangeByte(const std::string& path, size_t at) const {
    std::string bytes = ReadWholeFile(path);
    bytes[at] ^= 0x01;
    WriteWholeFile(path, bytes);
  }
  // The info file's record of the repair file, with the CRC-32 of the repair file as it is now.
  void RecordRepairFileAsItIs() const { RecordOldRepairFile(base); }
};

inline std::vector<unsigned> TextsShown(const ScriptedMessages& boxes) {
  std::vector<unsigned> texts;
  for (const ShownMessage& box : boxes.Shown()) texts.push_back(box.textId);
  return texts;
}
