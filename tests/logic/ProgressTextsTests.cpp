#include <doctest/doctest.h>

#include "logic/ProgressTexts.h"
#include "res/resource.h"
#include "support/TextLanguage.h"

// Names and texts in the code page of Western Windows.
constexpr unsigned LATIN = 1252;

TEST_CASE("From and To lines") {
  UseEnglishTexts();
  std::string path49 = "C:\\" + std::string(46, 'a');
  std::string path50 = "C:\\" + std::string(20, 'h') + std::string(4, 'm') + std::string(23, 't');
  CHECK(PathLine(path49, IDS_FROM_WHOLE, IDS_FROM_SHORTENED, LATIN) == "From '" + path49 + "'");
  CHECK(PathLine(path50, IDS_TO_WHOLE, IDS_TO_SHORTENED, LATIN) ==
        "To '" + path50.substr(0, 23) + "..." + std::string(23, 't') + "'");
  CHECK(PathLine("", IDS_FROM_WHOLE, IDS_FROM_SHORTENED, LATIN) == "From ''");
#ifdef _WIN32
  UseGermanTexts();
  CHECK(PathLine("A:\\REPORT.000", IDS_TO_WHOLE, IDS_TO_SHORTENED, LATIN) == "Nach 'A:\\REPORT.000'");
  UseEnglishTexts();
#endif
}

TEST_CASE("remaining-time text") {
  UseEnglishTexts();
  CHECK(RemainingTimeText(1) == "Remaining time: 1 second");
  CHECK(RemainingTimeText(59) == "Remaining time: 59 seconds");
  CHECK(RemainingTimeText(61) == "Remaining time: 1 minute 1 second");
  CHECK(RemainingTimeText(120) == "Remaining time: 2 minutes");
  CHECK(RemainingTimeText(3600) == "Remaining time: 1 hour");
  CHECK(RemainingTimeText(3725) == "Remaining time: 1 hour 2 minutes");
  CHECK(RemainingTimeText(7200) == "Remaining time: 2 hours");
  CHECK(RemainingTimeText(359999) == "Remaining time: 99 hours 59 minutes");
  CHECK(RemainingTimeText(0).empty());
  CHECK(RemainingTimeText(360000).empty());
  CHECK(RemainingTimeText(0xFFFFFFF0u).empty());  // a negative estimate read as unsigned
#ifdef _WIN32
  UseGermanTexts();
  CHECK(RemainingTimeText(3725) == "Verbleibende Zeit: 1 Stunde 2 Minuten");
  UseEnglishTexts();
#endif
}
