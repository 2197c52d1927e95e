#include <doctest/doctest.h>

#include "logic/InfoFileFormat.h"
#include "logic/PieceNames.h"

// Names and texts in the code page of Western Windows.
constexpr unsigned LATIN = 1252;

TEST_CASE("names of the split file and its pieces") {
  SUBCASE("base name: the file name up to its last dot") {
    CHECK(BaseNameOf("C:\\DATA\\REPORT.DOC", LATIN) == "REPORT");
    CHECK(BaseNameOf("C:\\DATA\\BACKUP.TAR.GZ", LATIN) == "BACKUP.TAR");
    CHECK(BaseNameOf("C:\\DATA\\README", LATIN) == "README");
    CHECK(BaseNameOf("C:\\MY.DIR\\README", LATIN) == "README");
    CHECK(BaseNameOf("REPORT.DOC", LATIN) == "REPORT");
    CHECK(BaseNameOf("C:\\DATA\\.profile", LATIN).empty());
  }
  SUBCASE("file name: after the last backslash, or the whole path") {
    CHECK(FileNameOf("C:\\DATA\\REPORT.DOC", LATIN) == "REPORT.DOC");
    CHECK(FileNameOf("REPORT.DOC", LATIN) == "REPORT.DOC");
    CHECK(FileNameOf("C:\\DATA\\", LATIN).empty());
  }
  SUBCASE("slashes and a drive colon end the folder part too, so the info file reads back") {
    CHECK(FileNameOf("C:/DATA/REPORT.DOC", LATIN) == "REPORT.DOC");
    CHECK(FileNameOf("C:\\DATA/SUB\\REPORT.DOC", LATIN) == "REPORT.DOC");
    CHECK(FileNameOf("C:REPORT.DOC", LATIN) == "REPORT.DOC");
    CHECK(BaseNameOf("C:/MY.DIR/BACKUP.TAR.GZ", LATIN) == "BACKUP.TAR");
    for (const char* source : {"C:/DATA/REPORT.DOC", "C:REPORT.DOC", "DATA/REPORT.DOC"}) {
      CAPTURE(source);
      RestoreInfo info;
      CHECK(ParseRestoreInfo(RestoreInfoText(FileNameOf(source, LATIN), 2, 100), LATIN, info).parsed);
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
      CHECK(FolderOf(c.infoPath, LATIN) == c.folder);
      CHECK(PiecePath(FolderOf(c.infoPath, LATIN), "REPORT", 0) == c.firstPiece);
    }
  }
  SUBCASE("the destination loses every trailing backslash and nothing else") {
    CHECK(NormalizeDestination("A:\\", LATIN) == "A:");
    CHECK(NormalizeDestination("C:\\OUT\\\\", LATIN) == "C:\\OUT");
    CHECK(NormalizeDestination("C:\\OUT", LATIN) == "C:\\OUT");
    CHECK(NormalizeDestination("\\\\", LATIN).empty());
  }
}
