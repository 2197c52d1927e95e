#include <doctest/doctest.h>

#include "logic/InfoFileFormat.h"
#include "logic/PieceNames.h"

TEST_CASE("names of the split file and its pieces") {
  SUBCASE("base name: the file name up to its last dot") {
    CHECK(BaseNameOf("C:\\DATA\\REPORT.DOC") == "REPORT");
    CHECK(BaseNameOf("C:\\DATA\\BACKUP.TAR.GZ") == "BACKUP.TAR");
    CHECK(BaseNameOf("C:\\DATA\\README") == "README");
    CHECK(BaseNameOf("C:\\MY.DIR\\README") == "README");
    CHECK(BaseNameOf("REPORT.DOC") == "REPORT");
    CHECK(BaseNameOf("C:\\DATA\\.profile").empty());
  }
  SUBCASE("file name: after the last backslash, or the whole path") {
    CHECK(FileNameOf("C:\\DATA\\REPORT.DOC") == "REPORT.DOC");
    CHECK(FileNameOf("REPORT.DOC") == "REPORT.DOC");
    CHECK(FileNameOf("C:\\DATA\\").empty());
  }
  SUBCASE("slashes and a drive colon end the folder part too, so the info file reads back") {
    CHECK(FileNameOf("C:/DATA/REPORT.DOC") == "REPORT.DOC");
    CHECK(FileNameOf("C:\\DATA/SUB\\REPORT.DOC") == "REPORT.DOC");
    CHECK(FileNameOf("C:REPORT.DOC") == "REPORT.DOC");
    CHECK(BaseNameOf("C:/MY.DIR/BACKUP.TAR.GZ") == "BACKUP.TAR");
    for (const char* source : {"C:/DATA/REPORT.DOC", "C:REPORT.DOC", "DATA/REPORT.DOC"}) {
      CAPTURE(source);
      RestoreInfo info;
      CHECK(ParseRestoreInfo(RestoreInfoText(FileNameOf(source), 2, 100), info).parsed);
      CHECK(info.originalName == "REPORT.DOC");
    }
  }
  SUBCASE("piece paths count in three digits and wrap after 999") {
    CHECK(PiecePath("A:", "REPORT", 0) == "A:\\REPORT.000");
    CHECK(PiecePath("C:\\OUT", "REPORT", 9) == "C:\\OUT\\REPORT.009");
    CHECK(PiecePath("C:\\OUT", "REPORT", 10) == "C:\\OUT\\REPORT.010");
    CHECK(PiecePath("C:\\OUT", "REPORT", 999) == "C:\\OUT\\REPORT.999");
    CHECK(PiecePath("C:\\OUT", "REPORT", 1234) == "C:\\OUT\\REPORT.234");
  }
  SUBCASE("the pieces beside an info file: its folder, cut where the file name starts") {
    struct Case {
      const char* infoPath;
      const char* folder;
      const char* firstPiece;
    };
    for (const Case& c : {Case{"C:\\DATA\\REPORT.Split", "C:\\DATA", "C:\\DATA\\REPORT.000"},
                          Case{"C:\\DATA/DISKS/REPORT.Split", "C:\\DATA/DISKS", "C:\\DATA/DISKS\\REPORT.000"},
                          Case{"A:\\REPORT.Split", "A:", "A:\\REPORT.000"},
                          Case{"REPORT.Split", "", "REPORT.000"}}) {
      CAPTURE(c.infoPath);
      CHECK(FolderOf(c.infoPath) == c.folder);
      CHECK(PiecePath(FolderOf(c.infoPath), "REPORT", 0) == c.firstPiece);
    }
  }
  SUBCASE("the destination loses every trailing backslash and nothing else") {
    CHECK(NormalizeDestination("A:\\") == "A:");
    CHECK(NormalizeDestination("C:\\OUT\\\\") == "C:\\OUT");
    CHECK(NormalizeDestination("C:\\OUT") == "C:\\OUT");
    CHECK(NormalizeDestination("\\\\").empty());
  }
}
