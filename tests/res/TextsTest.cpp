// The string tables of both languages, as the program loads them.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "Languages.h"
#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "res/resource.h"

namespace {

std::vector<unsigned> AllTextNumbers() {
  std::vector<unsigned> numbers;
  for (unsigned id = IDS_ABOUT_MENU; id <= IDS_WRONG_SIZE; ++id) numbers.push_back(id);
  for (unsigned id = IDS_TOO_MANY_PIECES; id <= IDS_SOURCE_EMPTY; ++id) numbers.push_back(id);
  numbers.push_back(IDS_BATCH_NAME_UNREADABLE);
  for (unsigned id = IDS_PIECE_DAMAGED; id <= IDS_BATCH_NEEDS_NT; ++id) numbers.push_back(id);
  for (unsigned id = IDS_EXTRAS_REPAIR_FILE; id <= IDS_CHECK_UNRECOVERABLE; ++id) numbers.push_back(id);
  numbers.push_back(IDS_APPLICATION_TITLE);
  return numbers;
}

}  // namespace

TEST_CASE("every text number loads in both languages, and only those") {
  std::vector<std::string> english, german;
  fw::ChooseLanguage(ENGLISH);
  for (unsigned id : AllTextNumbers()) english.push_back(fw::LoadText(id));
  fw::ChooseLanguage(GERMAN);
  for (unsigned id : AllTextNumbers()) german.push_back(fw::LoadText(id));

  std::vector<unsigned> same;
  for (size_t i = 0; i < english.size(); ++i) {
    unsigned id = AllTextNumbers()[i];
    CAPTURE(id);
    CHECK_FALSE(english[i].empty());
    CHECK_FALSE(german[i].empty());
    // An escape that windres did not turn into a control character would show as a backslash;
    // the UTF-8 source read as code page 1252 would show as "\u00C3" before each umlaut.
    CHECK(english[i].find('\\') == std::string::npos);
    CHECK(german[i].find('\\') == std::string::npos);
    CHECK(fw::ToWide(german[i]).find(L'\u00C3') == std::wstring::npos);
    if (english[i] == german[i]) same.push_back(id);
  }
  // Only the names that are the same in both languages may be equal.
  CHECK(same == std::vector<unsigned>{IDS_EXTRAS_PROGRAM, IDS_TAB_EXTRAS, IDS_TAB_SYSTEM, IDS_APPLICATION_TITLE});

  for (LANGID language : {ENGLISH, GERMAN}) {
    fw::ChooseLanguage(language);
    for (unsigned id : {0u, 1u, 100u, 158u, 159u, 164u, 4000u, 57343u, 57345u}) {
      CAPTURE(id);
      CHECK(fw::LoadText(id) == "");
    }
  }
}

TEST_CASE("texts that are joined to others or written into files keep their exact characters") {
  for (LANGID language : {ENGLISH, GERMAN}) {
    fw::ChooseLanguage(language);
    CAPTURE(language);
    SUBCASE("blanks at the joins") {
      for (unsigned id : {115u, 119u, 120u, 121u, 122u, 123u, 124u, 134u, 181u, 200u, 201u}) {
        CAPTURE(id);
        CHECK(fw::LoadText(id).back() == ' ');
      }
      for (unsigned id = IDS_ONE_HOUR; id <= IDS_SECONDS; ++id) {
        CAPTURE(id);
        CHECK(fw::LoadText(id).front() == ' ');
        CHECK(fw::LoadText(id)[1] != ' ');
      }
    }
    SUBCASE("the filter is three pairs closed by two bars") {
      std::string filter = fw::LoadText(IDS_SOURCE_FILTER);
      std::vector<std::string> parts(1);
      for (char c : filter) {
        if (c == '|') parts.emplace_back(); else parts.back() += c;
      }
      REQUIRE(parts.size() == 8);
      for (size_t i = 0; i < 6; ++i) CHECK_FALSE(parts[i].empty());
      CHECK(parts[1] == "*.*");
      CHECK(parts[3] == "*.exe;*.com;*.dll");
      CHECK(parts[5] == "*.txt;*.doc;*.wri;*.ini");
      CHECK((parts[6].empty() && parts[7].empty()));
    }
    SUBCASE("batch lines keep the DOS variables and end with CR LF") {
      std::string insert = fw::LoadText(IDS_BATCH_INSERT);
      CHECK(insert.find("'%file%' in %source%") != std::string::npos);
      CHECK(insert.substr(insert.size() - 2) == "\r\n");
      CHECK(fw::LoadText(IDS_BATCH_RESTORING).substr(0, 8) == "\r\n@echo ");
      std::string restored = fw::LoadText(IDS_BATCH_RESTORED);
      CHECK(restored.substr(restored.size() - 8) == "\r\n\r\n:end");
      CHECK(fw::LoadText(IDS_BATCH_USAGE).find("]\r\n@echo    z. B. ") != std::string::npos);
    }
    SUBCASE("message boxes break lines with LF alone") {
      std::string done = fw::LoadText(IDS_SPLIT_DONE);
      CHECK(done.find('\r') == std::string::npos);
      CHECK(done.find("\n\n") != std::string::npos);
      CHECK(fw::LoadText(IDS_ABORT_SPLIT).find("\n") != std::string::npos);
    }
  }
}

TEST_CASE("the English texts") {
  fw::ChooseLanguage(ENGLISH);
  CHECK(fw::LoadText(IDS_SOURCE_FILTER) ==
        "All files|*.*|Programm files|*.exe;*.com;*.dll|Text files|*.txt;*.doc;*.wri;*.ini||");
  CHECK(fw::LoadText(IDS_BATCH_INSERT) == "@echo Please insert the file '%file%' in %source%.\r\n");
  CHECK(fw::LoadText(IDS_BATCH_EXISTS) ==
        "@echo The file '%s' coud not be restored.\r\n@echo It exists already!!!\r\n");
  CHECK(fw::FormatText(IDS_SIZE_BYTES, 400) == "will have the size of 400 Bytes.");
  CHECK(fw::FormatText(IDS_HOURS, 12) == " 12 hours");
  CHECK(fw::FormatText(IDS_FROM_SHORTENED, "C:\\DATA", "REPORT.DOC") == "From 'C:\\DATA...REPORT.DOC'");
  CHECK(fw::FormatText(IDS_READ_INCOMPLETE, "A:\\X.000") == "The file A:\\X.000 could not\nbe read completely!");
  CHECK(fw::FormatText(IDS_WRITE_INCOMPLETE, "A:\\X.000") ==
        "The file A:\\X.000 could not\nbe written completely!");
  CHECK(fw::FormatText(IDS_INSERT_DISK_WITH, "X.001") ==
        "Please insert the floppydisk which contains\nthe file 'X.001'.");
  CHECK(fw::LoadText(IDS_CHOOSE_FOLDER) == "Chose the directory, in which you want to create the split files.");
}

TEST_CASE("the German texts come in the process's own code page") {
  fw::ChooseLanguage(GERMAN);
  const auto own = [](const char* utf8) { return fw::Recode(utf8, CP_UTF8, fw::NameCodePage(), '?').text; };
  CHECK(fw::LoadText(IDS_NEXT_DISK) == own("Bitte legen Sie die nächste Diskette ein."));
  CHECK(fw::LoadText(IDS_ABOUT_MENU) == own("Inf&o über Parvola 95..."));
  CHECK(fw::LoadText(IDS_TAB_SIZE) == own("Grösse / Anzahl"));
  CHECK(fw::FormatText(IDS_SIZE_BYTES, 400) == "400 Bytes gross werden.");
  CHECK(fw::FormatText(IDS_WRITE_INCOMPLETE, "X.000") ==
        own("Die Datei 'X.000' konnte nicht\nvollständig geschrieben werden!"));
  CHECK(fw::FormatText(IDS_INSERT_DISK_WITH, "X.001") == "Bitte legen Sie die Diskette mit der Datei\n'X.001' ein.");
  CHECK(fw::LoadText(IDS_BATCH_INSERT) == "@echo Legen Sie bitte die Datei '%file%' in %source% ein.\r\n");
  CHECK(fw::LoadText(IDS_SOURCE_FILTER) ==
        "Alle Dateien|*.*|Programme|*.exe;*.com;*.dll|Textdateien|*.txt;*.doc;*.wri;*.ini||");
}
