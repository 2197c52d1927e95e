// The amount of recovery data, in pieces' worth: its field beside the box on the Extras
// page, the Files page's sentence, the stored default DefaultRepair, the switches /nf and
// /of, and the job that Split starts.
#include <doctest/doctest.h>

#include <climits>

#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "res/resource.h"
#include "splitdialog/OpenSplitDialog.h"

namespace {

constexpr int EXTRAS_TAB = 2;
constexpr int SYSTEM_TAB = 3;
constexpr int AMOUNT_CONTROLS[] = {IDC_RECOVERY_PIECES_EDIT, IDC_RECOVERY_PIECES_SPIN};
const std::string INFO_AND_RECOVERY = std::to_string(EXTRA_INFO_FILE | EXTRA_REPAIR_FILE);

// A key pressed in the amount's field, which its arrows answer.
void PressKey(const OpenSplitDialog& dialog, WPARAM key) {
  SendMessageA(dialog.Control(IDC_RECOVERY_PIECES_EDIT), WM_KEYDOWN, key, 0);
  OpenSplitDialog::Pump();
}

// A source and a destination that make Split usable, with the stored defaults of a first start.
struct SplitReady {
  ProgramRegistry registry;
  TempFolder folder;
  std::string source = folder / "REPORT.DOC";

  SplitReady() {
    WriteWholeFile(source, test::PatternBytes(5000));
    registry.StoreText("DefaultDestination", folder.Path());
  }
};

}  // namespace

TEST_CASE("the amount beside the recovery data's box: usable with the box only, held to 1 to 99, needed by Split") {
  SplitReady ready;
  OpenSplitDialog dialog;
  dialog.Type(IDC_SOURCE_EDIT, ready.source);
  dialog.SelectTab(EXTRAS_TAB);
  CHECK(dialog.Text(IDC_RECOVERY_PIECES_EDIT) == "1");
  for (int id : AMOUNT_CONTROLS) CHECK_FALSE(dialog.Enabled(id));
  dialog.Click(IDC_EXTRA_REPAIR_FILE);
  for (int id : AMOUNT_CONTROLS) CHECK(dialog.Enabled(id));
  CHECK(LastReport(dialog.journal, "WM_SET_EXTRAS") == "WM_SET_EXTRAS " + INFO_AND_RECOVERY + " 1");
  REQUIRE(dialog.Enabled(IDOK));

  SUBCASE("typed: a number beyond 99 is held to 99; none, or 0, is no amount and Split waits") {
    struct Typed {
      const char* text;
      const char* field;   // what the field holds afterwards
      const char* amount;  // the amount reported, 0 for none
      bool split;
    };
    const Typed typed[] = {
        {"5", "5", "5", true},   {"99", "99", "99", true}, {"100", "99", "99", true}, {"4711", "99", "99", true},
        {"", "", "0", false},    {"0", "0", "0", false},   {"00", "00", "0", false},  {"07", "07", "7", true},
        {"1", "1", "1", true},
    };
    for (const Typed& entry : typed) {
      const std::string text = entry.text;
      CAPTURE(text);
      dialog.Type(IDC_RECOVERY_PIECES_EDIT, entry.text);
      CHECK(dialog.Text(IDC_RECOVERY_PIECES_EDIT) == entry.field);
      CHECK(LastReport(dialog.journal, "WM_SET_EXTRAS") ==
            "WM_SET_EXTRAS " + INFO_AND_RECOVERY + " " + entry.amount);
      CHECK(dialog.Enabled(IDOK) == entry.split);
    }
  }
  SUBCASE("without an amount, Split waits only while recovery data is chosen") {
    dialog.Type(IDC_RECOVERY_PIECES_EDIT, "");
    CHECK_FALSE(dialog.Enabled(IDOK));
    dialog.Click(IDC_EXTRA_REPAIR_FILE);
    for (int id : AMOUNT_CONTROLS) CHECK_FALSE(dialog.Enabled(id));
    CHECK(dialog.Enabled(IDOK));
    dialog.Click(IDC_EXTRA_REPAIR_FILE);
    CHECK_FALSE(dialog.Enabled(IDOK));
    dialog.Type(IDC_RECOVERY_PIECES_EDIT, "2");
    CHECK(dialog.Enabled(IDOK));
  }
  SUBCASE("the arrow keys step within 1 to 99") {
    struct Step {
      const char* from;
      WPARAM key;
      const char* to;
    };
    const Step steps[] = {{"1", VK_UP, "2"},    {"2", VK_DOWN, "1"},  {"1", VK_DOWN, "1"},
                          {"98", VK_UP, "99"},  {"99", VK_UP, "99"},  {"50", VK_DOWN, "49"}};
    for (const Step& step : steps) {
      const std::string from = step.from;
      CAPTURE(from);
      CAPTURE(step.key);
      dialog.Type(IDC_RECOVERY_PIECES_EDIT, step.from);
      PressKey(dialog, step.key);
      CHECK(dialog.Text(IDC_RECOVERY_PIECES_EDIT) == step.to);
      CHECK(LastReport(dialog.journal, "WM_SET_EXTRAS") == "WM_SET_EXTRAS " + INFO_AND_RECOVERY + " " + step.to);
    }
  }
}

TEST_CASE("the Files page's sentence tells how many lost disks the recovery data rebuilds, in both languages") {
  // The sentence names the info file once: as an extra of its own, or beside the recovery data.
  struct Said {
    LANGID language;
    uint32_t extras;
    int pieces;
    const char* sentence;  // German in code page 1252
  };
  constexpr uint32_t ALONE = EXTRA_REPAIR_FILE;
  constexpr uint32_t WITH_INFO_FILE = EXTRA_INFO_FILE | EXTRA_REPAIR_FILE;
  const Said said[] = {
      {OpenSplitDialog::ENGLISH, ALONE, 1,
       "I will write recovery data for any lost disk (with the restore file, which it needs) to the last disk."},
      {OpenSplitDialog::ENGLISH, ALONE, 2,
       "I will write recovery data for any 2 lost disks (with the restore file, which it needs) to the last disk."},
      {OpenSplitDialog::ENGLISH, WITH_INFO_FILE, 1,
       "I will write a file for restoring the original by Parvola 95 and recovery data for any lost disk to the "
       "last disk."},
      {OpenSplitDialog::ENGLISH, WITH_INFO_FILE, 99,
       "I will write a file for restoring the original by Parvola 95 and recovery data for any 99 lost disks to the "
       "last disk."},
      {OpenSplitDialog::GERMAN, ALONE, 1,
       "Auf die letzte Diskette wird ein Satz Reparaturdaten f\xFCr eine beliebige verlorene Diskette (mit der "
       "Wiederherstellungsdatei, die er braucht) gespeichert."},
      {OpenSplitDialog::GERMAN, ALONE, 3,
       "Auf die letzte Diskette wird ein Satz Reparaturdaten f\xFCr 3 beliebige verlorene Disketten (mit der "
       "Wiederherstellungsdatei, die er braucht) gespeichert."},
      {OpenSplitDialog::GERMAN, WITH_INFO_FILE, 2,
       "Auf die letzte Diskette wird eine Datei f\xFCr die Wiederherstellung der Original-Datei mittels Parvola 95 "
       "und ein Satz Reparaturdaten f\xFCr 2 beliebige verlorene Disketten gespeichert."},
  };
  SUBCASE("for the stored choice") {
    for (const Said& entry : said) {
      CAPTURE(entry.language);
      CAPTURE(entry.extras);
      CAPTURE(entry.pieces);
      ProgramRegistry registry;
      registry.StoreInt("DefaultOptions", static_cast<int>(entry.extras));
      registry.StoreInt("DefaultRepair", entry.pieces);
      OpenSplitDialog dialog({}, entry.language);
      CHECK(dialog.Text(IDC_EXTRAS_SENTENCE) == fw::Recode(entry.sentence, 1252, fw::NameCodePage(), '?').text);
    }
  }
  SUBCASE("the sentence follows the field, and a field without an amount keeps the last one") {
    ProgramRegistry registry;
    registry.StoreInt("DefaultOptions", EXTRA_REPAIR_FILE);
    OpenSplitDialog dialog;
    const std::string any = "I will write recovery data for any ";
    CHECK(dialog.Text(IDC_EXTRAS_SENTENCE).rfind(any + "lost disk (", 0) == 0);
    dialog.SelectTab(EXTRAS_TAB);
    dialog.Type(IDC_RECOVERY_PIECES_EDIT, "12");
    CHECK(dialog.Text(IDC_EXTRAS_SENTENCE).rfind(any + "12 lost disks (", 0) == 0);
    dialog.Type(IDC_RECOVERY_PIECES_EDIT, "");
    CHECK(dialog.Text(IDC_EXTRAS_SENTENCE).rfind(any + "12 lost disks (", 0) == 0);
  }
  fw::ChooseLanguage(OpenSplitDialog::ENGLISH);
}

TEST_CASE("DefaultRepair: 1 where it is missing, a stored amount held to 1 to 99, stored again at start and by Apply") {
  constexpr int MISSING = -12345;  // what ProgramRegistry answers for a value that is not there
  struct Stored {
    int value;
    int shown;
  };
  const Stored stored[] = {{MISSING, 1}, {1, 1},  {42, 42}, {99, 99},          {0, 1},
                           {100, 99},    {-1, 1}, {INT_MIN, 1}, {INT_MAX, 99}};
  SUBCASE("a stored amount, or none") {
    for (const Stored& entry : stored) {
      CAPTURE(entry.value);
      ProgramRegistry registry;
      if (entry.value != MISSING) registry.StoreInt("DefaultRepair", entry.value);
      OpenSplitDialog dialog;
      CHECK(dialog.Text(IDC_RECOVERY_PIECES_EDIT) == std::to_string(entry.shown));
      CHECK(ProgramRegistry::StoredInt("DefaultRepair") == entry.shown);
    }
  }
  SUBCASE("a value of another type counts as missing") {
    ProgramRegistry registry;
    registry.StoreText("DefaultRepair", "7");
    OpenSplitDialog dialog;
    CHECK(dialog.Text(IDC_RECOVERY_PIECES_EDIT) == "1");
    CHECK(ProgramRegistry::StoredInt("DefaultRepair") == 1);
  }
  SUBCASE("a changed amount is stored by Apply, with the box or without it") {
    ProgramRegistry registry;
    registry.StoreInt("DefaultRepair", 3);
    registry.StoreInt("DefaultOptions", EXTRA_REPAIR_FILE);
    OpenSplitDialog dialog;
    dialog.SelectTab(EXTRAS_TAB);
    dialog.Type(IDC_RECOVERY_PIECES_EDIT, "17");
    CHECK(ProgramRegistry::StoredInt("DefaultRepair") == 3);
    dialog.Click(IDC_EXTRA_REPAIR_FILE);
    dialog.SelectTab(SYSTEM_TAB);
    dialog.Click(IDC_APPLY);
    CHECK(ProgramRegistry::StoredInt("DefaultRepair") == 17);
    CHECK(ProgramRegistry::StoredInt("DefaultOptions") == 0);
  }
}

TEST_CASE("/nf and /of choose the recovery data, and its amount over the stored one") {
  struct Line {
    std::vector<std::string> arguments;
    bool recovery, infoFile;
    const char* field;
  };
  const Line lines[] = {
      {{}, false, false, "5"},
      {{"/of"}, true, false, "1"},
      {{"/nf", "3"}, true, true, "3"},
      {{"/nf", "4", "/of"}, true, true, "4"},
      {{"/nf", "0"}, false, false, "5"},
      {{"/nf", "100"}, false, false, "5"},
  };
  for (const Line& line : lines) {
    const std::string last = line.arguments.empty() ? "" : line.arguments.back();
    CAPTURE(last);
    ProgramRegistry registry;
    registry.StoreInt("DefaultOptions", 0);
    registry.StoreInt("DefaultRepair", 5);
    OpenSplitDialog dialog(line.arguments);
    CHECK(dialog.Checked(IDC_EXTRA_REPAIR_FILE) == line.recovery);
    CHECK(dialog.Checked(IDC_EXTRA_INFO_FILE) == line.infoFile);
    CHECK(dialog.Enabled(IDC_RECOVERY_PIECES_EDIT) == line.recovery);
    CHECK(dialog.Text(IDC_RECOVERY_PIECES_EDIT) == line.field);
    // The command line is no choice of the user's: the stored amount stays.
    CHECK(ProgramRegistry::StoredInt("DefaultRepair") == 5);
  }
}

TEST_CASE("a split started from the dialog carries the amount in its job") {
  SplitReady ready;
  SUBCASE("the amount typed") {
    OpenSplitDialog dialog;
    dialog.Type(IDC_SOURCE_EDIT, ready.source);
    dialog.SelectTab(EXTRAS_TAB);
    dialog.Click(IDC_EXTRA_REPAIR_FILE);
    dialog.Type(IDC_RECOVERY_PIECES_EDIT, "4");
    SendMessageA(dialog.Control(IDOK), BM_CLICK, 0, 0);
    std::vector<WorkerJob> jobs = dialog.Jobs();
    REQUIRE(jobs.size() == 1);
    CHECK(jobs[0].mode == JOB_SPLIT);
    CHECK(jobs[0].extrasFlags == (EXTRA_INFO_FILE | EXTRA_REPAIR_FILE));
    CHECK(jobs[0].recoveryPieces == 4);
  }
  SUBCASE("the amount of the command line") {
    OpenSplitDialog dialog({"/s", ready.source, "/nf", "6"});
    SendMessageA(dialog.Control(IDOK), BM_CLICK, 0, 0);
    std::vector<WorkerJob> jobs = dialog.Jobs();
    REQUIRE(jobs.size() == 1);
    CHECK(jobs[0].extrasFlags == (EXTRA_INFO_FILE | EXTRA_REPAIR_FILE));
    CHECK(jobs[0].recoveryPieces == 6);
  }
}
