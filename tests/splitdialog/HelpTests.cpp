// Help in the split dialog and the restore dialog, as the program runs them in this
// process: the program's own help window at the topic of the page shown, or the help
// file viewer when a help file lies beside the program.
#include <doctest/doctest.h>

#include <fstream>

#include "framework/App.h"
#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include "splitdialog/OpenSplitDialog.h"
#include "ui/RestoreDialog.h"

namespace {

// The visible help windows of this process.
std::vector<HWND> HelpWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) WINAPI -> BOOL {
        if (IsWindowVisible(window) && GetDlgItem(window, IDC_HELP_TOPICS))
          reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// What the one help window shows: its caption, the chosen topic's title and the text,
// and the titles of the other topics in its list.
struct HelpShown {
  std::string caption;
  std::string title;
  std::string text;
  std::vector<std::string> otherTitles;

  // Whether the text is the chosen topic's alone: no other topic's title heads a paragraph.
  bool ShowsOneTopic() const {
    for (const std::string& other : otherTitles)
      if (text.find("\r\n" + other + "\r\n\r\n") != std::string::npos) return false;
    return text.find('\f') == std::string::npos;
  }
};

HelpShown TheHelpWindow() {
  std::vector<HWND> windows = HelpWindows();
  REQUIRE(windows.size() == 1);
  HWND list = GetDlgItem(windows[0], IDC_HELP_TOPICS);
  LRESULT chosen = SendMessageA(list, LB_GETCURSEL, 0, 0);
  REQUIRE(chosen != LB_ERR);
  HelpShown shown{test::WindowText(windows[0]), "", test::WindowText(GetDlgItem(windows[0], IDC_HELP_TEXT)), {}};
  for (LRESULT item = 0; item < SendMessageA(list, LB_GETCOUNT, 0, 0); ++item) {
    std::string title(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, item, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(title.data()));
    (item == chosen ? shown.title : shown.otherTitles.emplace_back()) = title;
  }
  return shown;
}

// F1 as the keyboard gives it to a control with the focus: the system turns it into a
// request for help that goes up from the control to the dialog. (WM_KEYF1, which the
// headers leave out.)
constexpr UINT KEY_F1 = 0x004D;
void PressF1(HWND control) {
  REQUIRE(control != nullptr);
  PostMessageA(control, KEY_F1, 0, 0);
  OpenSplitDialog::Pump();
}

// The control of each page that takes the focus when its tab is chosen.
constexpr int FIRST_CONTROLS[] = {IDC_SOURCE_EDIT, IDC_FLOPPY_144, IDC_EXTRA_PROGRAM_COPY, IDC_REGISTER_EXTENSION};

struct Language {
  LANGID id;
  const char* helpCaption;
};
const Language LANGUAGES[] = {{OpenSplitDialog::ENGLISH, "Parvola 95 Help"},
                              {OpenSplitDialog::GERMAN, "Parvola 95 Hilfe"}};

// Every call of the help file viewer, answered as given.
struct ViewerCall {
  HWND owner;
  std::string file;
  UINT command;
  ULONG_PTR context;
};
std::vector<ViewerCall> viewerCalls;
BOOL viewerAnswer = TRUE;
BOOL WINAPI RecordViewer(HWND owner, LPCSTR file, UINT command, ULONG_PTR context) {
  viewerCalls.push_back({owner, file, command, context});
  return viewerAnswer;
}

// A help file beside the program (this test program), removed again at the end.
class HelpFileBeside {
 public:
  HelpFileBeside() : path(fw::App::ProgramPath()) {
    path.replace(path.rfind('.'), std::string::npos, ".HLP");
    std::ofstream(path) << "?_";
    viewerCalls.clear();
    viewerAnswer = TRUE;
    fw::App::Current()->SetHelpFileViewer(RecordViewer);
  }
  ~HelpFileBeside() { DeleteFileA(path.c_str()); }
  std::string path;
};

// The restore dialog in this process, as "/u X:\REPORT.Split" starts it.
class OpenRestoreDialog {
 public:
  explicit OpenRestoreDialog(LANGID language) {
    fw::ChooseLanguage(language);
    std::vector<std::string> arguments = {test::ProgramPath(), "/u", "X:\\REPORT.Split"};
    app.SetArguments(arguments);
    app.commandLine.SetArguments(arguments);
    app.commandLine.Parse();
    dialog = std::make_unique<RestoreDialog>(app.commandLine, nullptr);
    REQUIRE(dialog->Create(nullptr));
    ShowWindow(dialog->Handle(), SW_SHOWNORMAL);
    OpenSplitDialog::Pump();
  }
  ~OpenRestoreDialog() { DestroyWindow(dialog->Handle()); }
  HWND Handle() const { return dialog->Handle(); }
  void Click(int id) const {
    SendMessageA(GetDlgItem(Handle(), id), BM_CLICK, 0, 0);
    OpenSplitDialog::Pump();
  }

 private:
  SplitApp app;
  std::unique_ptr<RestoreDialog> dialog;
};

}  // namespace

TEST_CASE("Help and F1 open the program's help at the page shown, in both languages") {
  for (const Language& language : LANGUAGES) {
    CAPTURE(language.helpCaption);
    OpenSplitDialog dialog({}, language.id);
    for (int page = 0; page < 4; ++page) {
      CAPTURE(page);
      // The topic of a page is named after its tab.
      const std::string tab = fw::LoadText(IDS_TAB_FILES + page);
      dialog.SelectTab(page);
      dialog.Click(ID_HELP);
      HelpShown shown = TheHelpWindow();
      CHECK(shown.caption == language.helpCaption);
      CHECK(shown.title.find(tab) != std::string::npos);
      CHECK(shown.text.rfind(shown.title + "\r\n\r\n", 0) == 0);
      CHECK(shown.text.size() > shown.title.size() + 200);
      CHECK(shown.ShowsOneTopic());
      DestroyWindow(HelpWindows()[0]);

      dialog.SelectTab(page);
      PressF1(dialog.Control(FIRST_CONTROLS[page]));
      shown = TheHelpWindow();
      CHECK(shown.title.find(tab) != std::string::npos);
      DestroyWindow(HelpWindows()[0]);
    }
  }
}

TEST_CASE("the restore dialog's Help and F1 open the topic on restoring, in both languages") {
  for (const Language& language : LANGUAGES) {
    CAPTURE(language.helpCaption);
    OpenRestoreDialog dialog(language.id);
    dialog.Click(ID_HELP);
    HelpShown shown = TheHelpWindow();
    CHECK(shown.caption == language.helpCaption);
    CHECK(shown.title == (language.id == OpenSplitDialog::GERMAN ? "Wiederherstellen" : "Restoring"));
    DestroyWindow(HelpWindows()[0]);
    PressF1(GetDlgItem(dialog.Handle(), IDC_DESTINATION_EDIT));
    CHECK(TheHelpWindow().title == shown.title);
  }
}

TEST_CASE("one help window: a second Help brings it to the front at the new topic, beside a usable dialog") {
  OpenSplitDialog dialog;
  dialog.Click(ID_HELP);
  REQUIRE(HelpWindows().size() == 1);
  HWND help = HelpWindows()[0];
  CHECK(TheHelpWindow().title.find("Files") != std::string::npos);

  // The dialog goes on working while the help is open.
  SetForegroundWindow(dialog.Handle());
  CHECK(IsWindowEnabled(dialog.Handle()));
  TempFolder folder;
  WriteWholeFile(folder / "source.bin", "12345");
  dialog.Type(IDC_SOURCE_EDIT, folder / "source.bin");
  dialog.Type(IDC_DESTINATION_EDIT, folder.Path());
  CHECK(dialog.Enabled(IDOK));

  dialog.SelectTab(2);
  dialog.Click(ID_HELP);
  CHECK(HelpWindows() == std::vector<HWND>{help});
  CHECK(TheHelpWindow().title.find("Extras") != std::string::npos);
  CHECK(GetForegroundWindow() == help);

  // A topic chosen in the list shows its text.
  HWND list = GetDlgItem(help, IDC_HELP_TOPICS);
  int topics = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  CHECK(topics >= 10);
  SendMessageA(list, LB_SETCURSEL, topics - 1, 0);
  SendMessageA(help, WM_COMMAND, MAKEWPARAM(IDC_HELP_TOPICS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  HelpShown last = TheHelpWindow();
  CHECK(last.text.rfind(last.title, 0) == 0);
  CHECK(last.title.find("Extras") == std::string::npos);

  // The window belongs to the dialog and goes with it.
  DestroyWindow(dialog.Handle());
  CHECK_FALSE(IsWindow(help));
}

TEST_CASE("the German help shows its umlauts in the program's code page") {
  OpenSplitDialog dialog({}, OpenSplitDialog::GERMAN);
  dialog.SelectTab(2);
  dialog.Click(ID_HELP);
  const std::string apply = fw::Recode("\xDC" "bernehmen auf der Seite System", 1252, fw::NameCodePage(), '?').text;
  CHECK(TheHelpWindow().text.find(apply) != std::string::npos);
}

TEST_CASE("with a help file beside the program, Help and F1 open it at the dialog's context") {
  SUBCASE("the split dialog, on every page") {
    OpenSplitDialog dialog;
    HelpFileBeside helpFile;
    for (int page = 0; page < 4; ++page) {
      dialog.Click(ID_HELP);
      PressF1(dialog.Control(FIRST_CONTROLS[page]));
    }
    REQUIRE(viewerCalls.size() == 8);
    for (const ViewerCall& call : viewerCalls) {
      CHECK(call.owner == dialog.Handle());
      CHECK(call.file == helpFile.path);
      CHECK(call.command == HELP_CONTEXT);
      CHECK(call.context == 0x20000 + IDD_SPLIT);
    }
    CHECK(HelpWindows().empty());

    SUBCASE("a viewer that fails leaves the program's own help") {
      viewerAnswer = FALSE;
      dialog.Click(ID_HELP);
      CHECK(HelpWindows().size() == 1);
    }
  }
  SUBCASE("the restore dialog") {
    OpenRestoreDialog dialog(OpenSplitDialog::ENGLISH);
    HelpFileBeside helpFile;
    dialog.Click(ID_HELP);
    REQUIRE(viewerCalls.size() == 1);
    CHECK(viewerCalls[0].context == 0x20000 + IDD_RESTORE);
    CHECK(HelpWindows().empty());
  }
}
