#include <doctest/doctest.h>

#include <shlobj.h>

#include "framework/App.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "shell/ShellPaths.h"
#include "splitdialog/OpenSplitDialog.h"

namespace {

// Drops files on the dialog as the shell does.
void Drop(const OpenSplitDialog& dialog, const std::vector<std::string>& paths) {
  std::string names;
  for (const std::string& path : paths) names += path + '\0';
  names += '\0';
  HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
  auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
  header->pFiles = sizeof(DROPFILES);
  memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(drop);
  SendMessageA(dialog.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

const std::string SIZE_SENTENCE = "The file will be splited so, that the split files ";

}  // namespace

TEST_CASE("Split is enabled exactly when the source and the destination can be used") {
  ProgramRegistry registry;
  TempFolder folder;
  const std::string source = folder / "REPORT.DOC";
  WriteWholeFile(source, test::PatternBytes(5000));
  registry.StoreText("DefaultDestination", folder.Path());
  OpenSplitDialog dialog;
  CHECK_FALSE(dialog.Enabled(IDOK));
  CHECK(LastReport(dialog.journal, "WM_SET_SOURCE").empty());

  SUBCASE("a readable source enables Split, a missing one disables it again") {
    dialog.Type(IDC_SOURCE_EDIT, source);
    CHECK(LastReport(dialog.journal, "WM_SET_SOURCE") == "WM_SET_SOURCE 5000 " + source);
    CHECK(dialog.Enabled(IDOK));
    dialog.Type(IDC_SOURCE_EDIT, source + "X");
    CHECK(LastReport(dialog.journal, "WM_SET_SOURCE") == "WM_SET_SOURCE -1 " + source + "X");
    CHECK_FALSE(dialog.Enabled(IDOK));
  }
  SUBCASE("sources that cannot be split are reported as no source") {
    std::string unusable;
    HANDLE writer = INVALID_HANDLE_VALUE;
    SUBCASE("a folder") { unusable = folder.Path(); }
    SUBCASE("a file another program writes") {
      unusable = source;
      writer = CreateFileA(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
      REQUIRE(writer != INVALID_HANDLE_VALUE);
    }
    SUBCASE("one byte more than 1000 pieces of 2 GiB less one byte") {
      unusable = folder / "HUGE.BIN";
      MakeSparseFile(unusable, MAX_SOURCE_BYTES + 1);
    }
    dialog.Type(IDC_SOURCE_EDIT, unusable);
    CHECK(LastReport(dialog.journal, "WM_SET_SOURCE") == "WM_SET_SOURCE -1 " + unusable);
    CHECK_FALSE(dialog.Enabled(IDOK));
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  }
  SUBCASE("the longest source that fits, 2 GiB less one byte") {
    const std::string longest = folder / "LONGEST.BIN";
    MakeSparseFile(longest, INT32_MAX);
    dialog.Type(IDC_SOURCE_EDIT, longest);
    CHECK(LastReport(dialog.journal, "WM_SET_SOURCE") == "WM_SET_SOURCE 2147483647 " + longest);
    CHECK(dialog.Enabled(IDOK));
  }
  SUBCASE("destinations") {
    dialog.Type(IDC_SOURCE_EDIT, source);
    dialog.Type(IDC_DESTINATION_EDIT, folder / "MISSING");
    CHECK(LastReport(dialog.journal, "WM_SET_DESTINATION") == "WM_SET_DESTINATION 0 " + folder / "MISSING");
    CHECK_FALSE(dialog.Enabled(IDOK));
    dialog.Type(IDC_DESTINATION_EDIT, folder.Path() + "\\");
    CHECK(LastReport(dialog.journal, "WM_SET_DESTINATION") == "WM_SET_DESTINATION 1 " + folder.Path());
    CHECK(dialog.Enabled(IDOK));
    dialog.Type(IDC_DESTINATION_EDIT, source);  // a file where a folder should be
    CHECK(LastReport(dialog.journal, "WM_SET_DESTINATION") == "WM_SET_DESTINATION 0 " + source);
    CHECK_FALSE(dialog.Enabled(IDOK));
    dialog.Type(IDC_DESTINATION_EDIT, "C:\\");
    CHECK(LastReport(dialog.journal, "WM_SET_DESTINATION") == "WM_SET_DESTINATION 1 C:");
    CHECK(dialog.Enabled(IDOK));
    dialog.Type(IDC_DESTINATION_EDIT, "");
    CHECK(LastReport(dialog.journal, "WM_SET_DESTINATION") == "WM_SET_DESTINATION 0 ");
    CHECK_FALSE(dialog.Enabled(IDOK));
  }
  SUBCASE("a path longer than a path can be is not cut down to another file's name") {
    dialog.Type(IDC_SOURCE_EDIT, source + std::string(300, ' '));
    CHECK_FALSE(dialog.Enabled(IDOK));
  }
}

TEST_CASE("sources of 2 GiB and more: the whole length, the Size page's bounds, both scroll bars, Split") {
  ProgramRegistry registry;
  TempFolder folder;
  registry.StoreText("DefaultDestination", folder.Path());
  registry.StoreInt("DefaultSize", 4711);  // the custom choice
  constexpr int64_t GIB = int64_t{1} << 30;
  struct Large {
    int64_t length;
    const char* labels;         // smallest and largest size, smallest and largest count
    const char* sizeRange;      // of the size bar, whose scale is 65539 for all of them
    const char* atSmallestEnd;  // the fields after the size thumb is dragged to the left end
  };
  const Large larges[] = {
      {INT32_MAX, "2147484 bytes, 2147483647 bytes, 1 file, 1000 files", "33..32766", "2162787 / 993"},
      {2 * GIB, "2147484 bytes, 2147483647 bytes, 2 files, 1000 files", "33..32766", "2162787 / 993"},
      {4 * GIB - 1, "4294968 bytes, 2147483647 bytes, 3 files, 1000 files", "66..32766", "4325574 / 993"},
      {4 * GIB, "4294968 bytes, 2147483647 bytes, 3 files, 1000 files", "66..32766", "4325574 / 993"},
      {4 * GIB + 1, "4294968 bytes, 2147483647 bytes, 3 files, 1000 files", "66..32766", "4325574 / 993"},
      // A 32-bit length would take it for 100 bytes.
      {4 * GIB + 100, "4294968 bytes, 2147483647 bytes, 3 files, 1000 files", "66..32766", "4325574 / 993"},
      {5 * GIB, "5368710 bytes, 2147483647 bytes, 3 files, 1000 files", "82..32766", "5374198 / 999"},
      {MAX_SOURCE_BYTES, "2147483647 bytes, 2147483647 bytes, 1000 files, 1000 files", "32766..32766",
       "2147483647 / 1000"},
  };
  OpenSplitDialog dialog;
  REQUIRE(dialog.Checked(IDC_CUSTOM_SIZE));
  const HWND page = GetParent(dialog.Control(IDC_SIZE_SCROLL));
  auto text = [&](int id) { return dialog.Text(id); };
  auto fields = [&] { return text(IDC_SIZE_EDIT) + " / " + text(IDC_COUNT_EDIT); };
  auto range = [&](int bar) {
    int minimum = -1, maximum = -1;
    GetScrollRange(dialog.Control(bar), SB_CTL, &minimum, &maximum);
    return fw::Format("%d..%d", minimum, maximum);
  };
  auto position = [&](int bar) { return GetScrollPos(dialog.Control(bar), SB_CTL); };
  auto scroll = [&](int bar, int code, int thumb) {
    SendMessageA(page, WM_HSCROLL, MAKEWPARAM(code, thumb), reinterpret_cast<LPARAM>(dialog.Control(bar)));
    OpenSplitDialog::Pump();
  };
  for (const Large& large : larges) {
    CAPTURE(large.length);
    const std::string source = folder / "LARGE.BIN";
    MakeSparseFile(source, large.length);
    dialog.Type(IDC_SOURCE_EDIT, source);
    CHECK(LastReport(dialog.journal, "WM_SET_SOURCE") ==
          "WM_SET_SOURCE " + std::to_string(large.length) + " " + source);
    CHECK(text(IDC_MIN_SIZE_LABEL) + ", " + text(IDC_MAX_SIZE_LABEL) + ", " + text(IDC_MIN_COUNT_LABEL) + ", " +
              text(IDC_MAX_COUNT_LABEL) ==
          large.labels);
    const std::string minCount = text(IDC_MIN_COUNT_LABEL).substr(0, text(IDC_MIN_COUNT_LABEL).find(' '));
    // A new source starts as the fewest pieces of the largest size, both thumbs at that end.
    CHECK(fields() == "2147483647 / " + minCount);
    CHECK(range(IDC_SIZE_SCROLL) == large.sizeRange);
    CHECK(range(IDC_COUNT_SCROLL) == minCount + "..1000");
    CHECK(position(IDC_SIZE_SCROLL) == 32766);
    CHECK(std::to_string(position(IDC_COUNT_SCROLL)) == minCount);
    CHECK(dialog.Text(IDC_SIZE_SENTENCE) == SIZE_SENTENCE + "will have the size of 2147483647 Bytes.");
    CHECK(dialog.Enabled(IDOK));
    // Steps beyond the largest size and below the fewest pieces leave the value where it is.
    scroll(IDC_SIZE_SCROLL, SB_LINERIGHT, 0);
    CHECK(fields() == "2147483647 / " + minCount);
    scroll(IDC_COUNT_SCROLL, SB_PAGELEFT, 0);
    CHECK(text(IDC_COUNT_EDIT) == minCount);

    // The size thumb at its left end, then the count thumb at its right end.
    const std::string leftEnd = range(IDC_SIZE_SCROLL).substr(0, range(IDC_SIZE_SCROLL).find('.'));
    scroll(IDC_SIZE_SCROLL, SB_THUMBTRACK, std::stoi(leftEnd));
    CHECK(fields() == large.atSmallestEnd);
    CHECK(dialog.Enabled(IDOK));
    scroll(IDC_COUNT_SCROLL, SB_THUMBTRACK, 1000);
    const std::string smallest = text(IDC_MIN_SIZE_LABEL).substr(0, text(IDC_MIN_SIZE_LABEL).find(' '));
    CHECK(fields() == smallest + " / 1000");
    CHECK(std::to_string(position(IDC_SIZE_SCROLL)) == leftEnd);  // pinned to the bar's end
    CHECK(position(IDC_COUNT_SCROLL) == 1000);
    scroll(IDC_COUNT_SCROLL, SB_LINERIGHT, 0);
    CHECK(fields() == smallest + " / 1000");
    CHECK(dialog.Text(IDC_SIZE_SENTENCE) == SIZE_SENTENCE + "will have the size of " + smallest + " Bytes.");
    CHECK(dialog.Enabled(IDOK));
  }
}

TEST_CASE("the Files page sums up the size and the extras; Extras clicks report the whole set") {
  ProgramRegistry registry;
  OpenSplitDialog dialog;
  CHECK(dialog.Text(IDC_SIZE_SENTENCE) == SIZE_SENTENCE + "fit on to 1.44 MB floppies.");
  CHECK(dialog.Text(IDC_EXTRAS_SENTENCE) ==
        "I will write a file for restoring the original by Parvola 95 to the last disk.");
  dialog.SelectTab(2);
  CHECK_FALSE(dialog.Checked(IDC_EXTRA_PROGRAM_COPY));
  CHECK(dialog.Checked(IDC_EXTRA_INFO_FILE));
  CHECK_FALSE(dialog.Checked(IDC_EXTRA_BATCH_FILE));

  dialog.Click(IDC_EXTRA_PROGRAM_COPY);
  CHECK(LastReport(dialog.journal, "WM_SET_EXTRAS") == "WM_SET_EXTRAS 3 1");
  dialog.Click(IDC_EXTRA_PROGRAM_COPY);
  CHECK(LastReport(dialog.journal, "WM_SET_EXTRAS") == "WM_SET_EXTRAS 2 1");
  dialog.Click(IDC_EXTRA_INFO_FILE);
  CHECK(LastReport(dialog.journal, "WM_SET_EXTRAS") == "WM_SET_EXTRAS 0 1");
  CHECK(dialog.Text(IDC_EXTRAS_SENTENCE) == "I will write nothing special to the last disk.");
  for (int box : {IDC_EXTRA_PROGRAM_COPY, IDC_EXTRA_INFO_FILE, IDC_EXTRA_BATCH_FILE}) dialog.Click(box);
  CHECK(LastReport(dialog.journal, "WM_SET_EXTRAS") == "WM_SET_EXTRAS 7 1");
  CHECK(dialog.Text(IDC_EXTRAS_SENTENCE) ==
        "I will write Parvola 95 and a file for restoring the original by Parvola 95 and a BAT file for "
        "restoring the original by MS DOS to the last disk.");
}

TEST_CASE("stored defaults are shown on the pages") {
  ProgramRegistry registry;
  registry.StoreInt("DefaultSize", SIZE_FLOPPY_720);
  registry.StoreInt("DefaultOptions", EXTRA_PROGRAM_COPY | EXTRA_BATCH_FILE);
  registry.StoreInt("DefaultRegistry", REGISTER_RESTORE_VERB);
  OpenSplitDialog dialog;
  CHECK(dialog.Checked(IDC_FLOPPY_720));
  CHECK_FALSE(dialog.Checked(IDC_FLOPPY_144));
  CHECK(dialog.Text(IDC_SIZE_SENTENCE) == SIZE_SENTENCE + "fit on to 720 KB floppies.");
  CHECK(dialog.Checked(IDC_EXTRA_PROGRAM_COPY));
  CHECK_FALSE(dialog.Checked(IDC_EXTRA_INFO_FILE));
  CHECK(dialog.Checked(IDC_EXTRA_BATCH_FILE));
  // The restore verb alone stays chosen, but cannot be changed without the file type.
  CHECK_FALSE(dialog.Checked(IDC_REGISTER_EXTENSION));
  CHECK_FALSE(dialog.Checked(IDC_REGISTER_SPLIT_VERB));
  CHECK(dialog.Checked(IDC_REGISTER_RESTORE_VERB));
  CHECK_FALSE(dialog.Enabled(IDC_REGISTER_RESTORE_VERB));
  dialog.SelectTab(3);
  dialog.Click(IDC_APPLY);
  CHECK(LastReport(dialog.journal, "WM_SET_REGISTRATION") == "WM_SET_REGISTRATION 4 0");
}

TEST_CASE("a size from the command line chooses the custom size once the source is known") {
  ProgramRegistry registry;
  TempFolder folder;
  WriteWholeFile(folder / "REPORT.DOC", test::PatternBytes(100000));
  OpenSplitDialog dialog({"/s", folder / "REPORT.DOC", "/nk", "64"});
  CHECK(dialog.Checked(IDC_CUSTOM_SIZE));
  CHECK(dialog.Text(IDC_SOURCE_EDIT) == folder / "REPORT.DOC");
}

TEST_CASE("the System page ties the restore verb to the file type") {
  ProgramRegistry registry;
  SUBCASE("English") {
    OpenSplitDialog dialog;
    dialog.SelectTab(3);
    for (int box : {IDC_REGISTER_EXTENSION, IDC_REGISTER_SPLIT_VERB, IDC_REGISTER_RESTORE_VERB})
      CHECK(dialog.Checked(box));
    CHECK(dialog.Enabled(IDC_REGISTER_RESTORE_VERB));
    dialog.Click(IDC_REGISTER_EXTENSION);
    CHECK_FALSE(dialog.Checked(IDC_REGISTER_RESTORE_VERB));
    CHECK_FALSE(dialog.Enabled(IDC_REGISTER_RESTORE_VERB));
    dialog.Click(IDC_REGISTER_EXTENSION);
    CHECK(dialog.Enabled(IDC_REGISTER_RESTORE_VERB));
    CHECK_FALSE(dialog.Checked(IDC_REGISTER_RESTORE_VERB));
    CHECK(LastReport(dialog.journal, "WM_SET_REGISTRATION").empty());  // only Apply reports
  }
  SUBCASE("German: the second line of the restore verb's text goes gray with it") {
    OpenSplitDialog dialog({}, OpenSplitDialog::GERMAN);
    dialog.SelectTab(3);
    HWND page = GetParent(dialog.Control(IDC_REGISTER_RESTORE_VERB));
    HWND secondLine = FindWindowExA(page, nullptr, "Static", "herstellungsdateien registrieren.");
    REQUIRE(secondLine != nullptr);
    CHECK(IsWindowEnabled(secondLine));
    dialog.Click(IDC_REGISTER_EXTENSION);
    CHECK_FALSE(IsWindowEnabled(secondLine));
  }
}

TEST_CASE("settings: the first start stores the defaults, only Apply stores the choices") {
  ProgramRegistry registry;
  TempFolder folder;
  OpenSplitDialog dialog;
  CHECK(ProgramRegistry::StoredText("DefaultDestination") == DesktopFolderPath());
  CHECK(ProgramRegistry::StoredInt("DefaultSize") == -1);
  CHECK(ProgramRegistry::StoredInt("DefaultOptions") == 2);
  CHECK(ProgramRegistry::StoredInt("DefaultRegistry") == 7);
  CHECK(dialog.Text(IDC_DESTINATION_EDIT) == DesktopFolderPath());
  CHECK(ProgramRegistry::ClassesText(".split") == "ParvolaFile");
  // The verbs name the running program: here, the test program that runs the dialog.
  const std::string program = fw::App::ProgramPath();
  CHECK(ProgramRegistry::ClassesText("ParvolaFile\\shell\\UnSplit\\command") == program + " /u \"%1\"");
  CHECK(ProgramRegistry::ClassesText("*\\shell\\Split\\command") == program + " /s \"%1\"");

  dialog.Type(IDC_DESTINATION_EDIT, folder.Path());
  dialog.SelectTab(2);
  dialog.Click(IDC_EXTRA_BATCH_FILE);
  CHECK(ProgramRegistry::StoredText("DefaultDestination") == DesktopFolderPath());
  CHECK(ProgramRegistry::StoredInt("DefaultOptions") == 2);

  dialog.SelectTab(3);
  dialog.Click(IDC_REGISTER_SPLIT_VERB);
  dialog.Click(IDC_APPLY);
  CHECK(ProgramRegistry::StoredText("DefaultDestination") == folder.Path());
  CHECK(ProgramRegistry::StoredInt("DefaultSize") == -1);
  CHECK(ProgramRegistry::StoredInt("DefaultOptions") == 6);
  CHECK(ProgramRegistry::StoredInt("DefaultRegistry") == 5);
  CHECK(ProgramRegistry::ClassesText("*\\shell\\Split") == "<missing>");
  CHECK(ProgramRegistry::ClassesText(".split") == "ParvolaFile");
}

TEST_CASE("tabs show one page at a time and give the focus to its first control") {
  ProgramRegistry registry;
  OpenSplitDialog dialog;
  const int firstControls[] = {IDC_SOURCE_EDIT, IDC_FLOPPY_144, IDC_EXTRA_PROGRAM_COPY,
                               IDC_REGISTER_EXTENSION};
  CHECK(GetFocus() == dialog.Control(IDC_SOURCE_EDIT));
  for (int selected : {2, 1, 3, 0}) {
    CAPTURE(selected);
    dialog.SelectTab(selected);
    for (int page = 0; page < 4; ++page)
      CHECK((IsWindowVisible(dialog.Control(firstControls[page])) != FALSE) == (page == selected));
    CHECK(GetFocus() == dialog.Control(firstControls[selected]));
  }
}

TEST_CASE("dropped files: exactly one becomes the source") {
  ProgramRegistry registry;
  TempFolder folder;
  WriteWholeFile(folder / "ONE.DOC", "one");
  WriteWholeFile(folder / "TWO.DOC", "two");
  OpenSplitDialog dialog;
  SUBCASE("two files change nothing") {
    Drop(dialog, {folder / "ONE.DOC", folder / "TWO.DOC"});
    CHECK(dialog.Text(IDC_SOURCE_EDIT).empty());
  }
  SUBCASE("one file") {
    Drop(dialog, {folder / "TWO.DOC"});
    CHECK(dialog.Text(IDC_SOURCE_EDIT) == folder / "TWO.DOC");
    CHECK(LastReport(dialog.journal, "WM_SET_SOURCE") == "WM_SET_SOURCE 3 " + folder / "TWO.DOC");
  }
  SUBCASE("a shortcut gives its target") {
    MakeShortcut(folder / "ONE.lnk", folder / "ONE.DOC");
    Drop(dialog, {folder / "ONE.lnk"});
    CHECK(dialog.Text(IDC_SOURCE_EDIT) == folder / "ONE.DOC");
  }
  SUBCASE("names outside the legacy code page, in a path of more than 260 bytes, and a shortcut to one") {
    std::string inner = folder.Path(), name;
    for (int letter = 0; letter < 60; ++letter) inner += letter ? "Ж" : "\\Ж", name += "Д";
    name += " ✓.doc";
    MakeFolder(inner);
    const std::string target = inner + "\\" + name;
    REQUIRE(target.size() > 260);
    WriteWholeFile(target, "three");
    Drop(dialog, {target});
    CHECK(dialog.Text(IDC_SOURCE_EDIT) == target);
    dialog.Type(IDC_SOURCE_EDIT, "");
    MakeShortcut(folder / "Отчёт.lnk", target);
    Drop(dialog, {folder / "Отчёт.lnk"});
    CHECK(dialog.Text(IDC_SOURCE_EDIT) == target);
    CHECK(LastReport(dialog.journal, "WM_SET_SOURCE") == "WM_SET_SOURCE 5 " + target);
  }
}

TEST_CASE("while work runs the dialog cannot be closed") {
  ProgramRegistry registry;
  TempFolder folder;
  WriteWholeFile(folder / "REPORT.DOC", test::PatternBytes(5000));
  registry.StoreText("DefaultDestination", folder.Path());
  OpenSplitDialog dialog;

  SUBCASE("Enter while Split is disabled starts nothing") {
    SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    CHECK(dialog.ProgressWindows() == 0);
    CHECK(dialog.Enabled(IDCANCEL));
  }
  dialog.Type(IDC_SOURCE_EDIT, folder / "REPORT.DOC");
  REQUIRE(dialog.Enabled(IDOK));

  SUBCASE("Escape, Exit and the system menu's Close are refused; the split is reported once") {
    SendMessageA(dialog.Control(IDOK), BM_CLICK, 0, 0);
    CHECK(dialog.ProgressWindows() == 1);
    CHECK_FALSE(dialog.Enabled(IDCANCEL));
    SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    SendMessageA(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageA(dialog.Handle(), WM_PROGRESS_CLOSED, 0, 0x1234);  // no progress window of its own
    CHECK(IsWindow(dialog.Handle()));
    CHECK_FALSE(dialog.Enabled(IDCANCEL));

    REQUIRE(test::WaitFor([&] { return dialog.Enabled(IDCANCEL); }));
    CHECK(dialog.ProgressWindows() == 0);
    std::vector<ShownMessage> shown = dialog.messages.Shown();
    REQUIRE(shown.size() == 1);
    CHECK(shown[0].textId == IDS_SPLIT_DONE);
    CHECK(shown[0].buttons == MB_OK);
    CHECK(shown[0].icon == MB_ICONINFORMATION);
    SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    CHECK_FALSE(IsWindow(dialog.Handle()));
  }
  SUBCASE("two splits at once: Exit comes back only when both have ended") {
    SendMessageA(dialog.Control(IDOK), BM_CLICK, 0, 0);
    SendMessageA(dialog.Control(IDOK), BM_CLICK, 0, 0);
    CHECK(dialog.ProgressWindows() == 2);
    bool exitTooEarly = false;
    CHECK(test::WaitFor([&] {
      int running = dialog.ProgressWindows();
      exitTooEarly = exitTooEarly || (running > 0 && dialog.Enabled(IDCANCEL));
      return running == 0 && dialog.Enabled(IDCANCEL);
    }));
    CHECK_FALSE(exitTooEarly);
  }
}

TEST_CASE("the system menu: About item, no Size or Maximize, Minimize and Restore take turns") {
  ProgramRegistry registry;
  OpenSplitDialog dialog;
  HMENU menu = GetSystemMenu(dialog.Handle(), FALSE);
  char about[64] = "";
  GetMenuStringA(menu, IDC_ABOUT, about, sizeof(about), MF_BYCOMMAND);
  CHECK(std::string(about) == "&About Parvola 95...");
  CHECK(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) == static_cast<UINT>(-1));
  CHECK(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND) == static_cast<UINT>(-1));
  auto grayed = [&](UINT command) { return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0; };
  CHECK(grayed(SC_RESTORE));
  CHECK_FALSE(grayed(SC_MINIMIZE));
  SendMessageA(dialog.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  CHECK(IsIconic(dialog.Handle()));
  CHECK_FALSE(grayed(SC_RESTORE));
  CHECK(grayed(SC_MINIMIZE));
  SendMessageA(dialog.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  CHECK_FALSE(IsIconic(dialog.Handle()));
  CHECK(grayed(SC_RESTORE));
  CHECK_FALSE(grayed(SC_MINIMIZE));
}

TEST_CASE("the repair file: its box, its sentence, value 8 of the stored extras and the switch /of") {
  ProgramRegistry registry;
  registry.StoreInt("DefaultOptions", EXTRA_REPAIR_FILE);
  {
    OpenSplitDialog dialog;
    CHECK(dialog.Checked(IDC_EXTRA_REPAIR_FILE));
    CHECK_FALSE(dialog.Checked(IDC_EXTRA_INFO_FILE));
    CHECK(dialog.Text(IDC_EXTRAS_SENTENCE).find(fw::LoadText(IDS_EXTRAS_REPAIR_FILE)) != std::string::npos);
    dialog.SelectTab(2);
    dialog.Click(IDC_EXTRA_REPAIR_FILE);
    dialog.Click(IDC_EXTRA_BATCH_FILE);
    dialog.SelectTab(3);
    dialog.Click(IDC_APPLY);
    CHECK(ProgramRegistry::StoredInt("DefaultOptions") == EXTRA_BATCH_FILE);
  }
  OpenSplitDialog fromCommandLine({"/of"});
  CHECK(fromCommandLine.Checked(IDC_EXTRA_REPAIR_FILE));
  CHECK_FALSE(fromCommandLine.Checked(IDC_EXTRA_BATCH_FILE));
}
