// The dialog templates of both languages, created for real (hidden): identifiers, kinds of
// control, styles and initial states the program relies on, and a layout in which no text is
// cut off and no control leaves its dialog or covers another.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "framework/CodePages.h"
#include "framework/Texts.h"  // brings <windows.h>, which <commctrl.h> needs first
#include <commctrl.h>
#include "Languages.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK QuietProcedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void InitControls() {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                      ICC_ANIMATE_CLASS | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  REQUIRE(InitCommonControlsEx(&classes));
}

// A dialog created from its template in the chosen language; destroyed with the object.
class Created {
 public:
  Created(unsigned id, HWND parent = nullptr) {
    const DLGTEMPLATE* found = fw::FindDialogTemplate(id);
    REQUIRE(found != nullptr);
    window = CreateDialogIndirectParamA(fw::ResourceModule(), found, parent, QuietProcedure, 0);
    REQUIRE(window != nullptr);
  }
  ~Created() { DestroyWindow(window); }
  Created(const Created&) = delete;
  Created& operator=(const Created&) = delete;

  HWND window;
};

std::string ClassOf(HWND control) {
  char name[64] = {};
  GetClassNameA(control, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

// The control with this identifier, which must have this window class.
HWND Control(HWND dialog, int id, const char* windowClass) {
  HWND control = GetDlgItem(dialog, id);
  CAPTURE(id);
  REQUIRE(control != nullptr);
  CHECK(lstrcmpiA(ClassOf(control).c_str(), windowClass) == 0);
  return control;
}

RECT DialogUnits(HWND dialog, int x, int y, int width, int height) {
  RECT rect = {x, y, x + width, y + height};
  MapDialogRect(dialog, &rect);
  return rect;
}

RECT RectInParent(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Inside, to within one dialog unit of the dialog: a control's edges are rounded from its
// position and size in dialog units, a mapped rectangle's from its edges, and the tab row
// is as tall as the font makes it, which dialog units follow only to the next unit. Which
// font the system substitutes for the template's changes the pixels, not the layout.
bool InsideToOneUnit(HWND dialog, const RECT& inner, const RECT& outer) {
  RECT unit = DialogUnits(dialog, 0, 0, 1, 1);
  RECT widened = {outer.left - unit.right, outer.top - unit.bottom, outer.right + unit.right,
                  outer.bottom + unit.bottom};
  return Inside(inner, widened);
}

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

// The space a text needs in a control of the given width with the control's font.
SIZE TextNeeds(HWND control, const std::string& text, int width, UINT format) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT rect = {0, 0, width, 0};
  DrawTextA(dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return {rect.right, rect.bottom};
}

bool IsButtonKind(LONG style, LONG kind) { return (style & BS_TYPEMASK) == kind; }

// A text fits when the control shows it whole: labels by their own wrapping rules,
// buttons, check boxes and radio buttons on one line beside their box.
void CheckTextFits(HWND control, const std::string& text) {
  if (text.empty()) return;
  RECT client;
  GetClientRect(control, &client);
  LONG style = StyleOf(control);
  CAPTURE(text);
  if (lstrcmpiA(ClassOf(control).c_str(), "Static") == 0) {
    LONG kind = style & SS_TYPEMASK;
    if (kind != SS_LEFT && kind != SS_RIGHT && kind != SS_CENTER && kind != SS_LEFTNOWORDWRAP) return;
    UINT format = (kind == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK) | (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
    SIZE needs = TextNeeds(control, text, client.right, format);
    CHECK(needs.cx <= client.right);
    CHECK(needs.cy <= client.bottom);
  } else if (lstrcmpiA(ClassOf(control).c_str(), "Button") == 0 && !IsButtonKind(style, BS_GROUPBOX)) {
    bool boxed = !IsButtonKind(style, BS_PUSHBUTTON) && !IsButtonKind(style, BS_DEFPUSHBUTTON);
    int beside = boxed ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 2 * GetSystemMetrics(SM_CXEDGE) + 4;
    SIZE needs = TextNeeds(control, text, client.right, DT_SINGLELINE);
    CHECK(needs.cx + beside <= client.right);
    CHECK(needs.cy <= client.bottom);
  }
}

// Arrows (an up-down control) beside their field overlap its border on purpose, so that
// the two look like one control.
bool IsArrowsOf(HWND arrows, HWND field) {
  return lstrcmpiA(ClassOf(arrows).c_str(), UPDOWN_CLASSA) == 0 &&
         reinterpret_cast<HWND>(SendMessageA(arrows, UDM_GETBUDDY, 0, 0)) == field;
}

// Every control lies inside the dialog, shows its text whole and covers no other control
// (group boxes and the tab control frame others on purpose, arrows overlap their field).
void CheckLayout(HWND dialog) {
  RECT client;
  GetClientRect(dialog, &client);
  std::vector<HWND> children = Children(dialog);
  for (HWND child : children) {
    CAPTURE(GetDlgCtrlID(child));
    CHECK(Inside(RectInParent(child), client));
    CheckTextFits(child, TextOf(child));
  }
  for (size_t i = 0; i < children.size(); ++i) {
    for (size_t j = i + 1; j < children.size(); ++j) {
      bool frames = IsButtonKind(StyleOf(children[i]), BS_GROUPBOX) && ClassOf(children[i]) == "Button";
      frames = frames || (IsButtonKind(StyleOf(children[j]), BS_GROUPBOX) && ClassOf(children[j]) == "Button");
      if (frames || IsArrowsOf(children[i], children[j]) || IsArrowsOf(children[j], children[i])) continue;
      RECT first = RectInParent(children[i]), second = RectInParent(children[j]), overlap;
      CAPTURE(GetDlgCtrlID(children[i]));
      CAPTURE(GetDlgCtrlID(children[j]));
      CHECK_FALSE(IntersectRect(&overlap, &first, &second));
    }
  }
}

void CheckTexts(HWND dialog, std::initializer_list<std::pair<int, std::string>> texts) {
  for (auto [id, text] : texts) {
    CAPTURE(id);
    CHECK(TextOf(GetDlgItem(dialog, id)) == text);
  }
}

// The text of the language, the German one given in code page 1252, in the process's own
// code page, in which the controls give their texts.
std::string Pick(LANGID language, const char* english, const char* german) {
  return language == GERMAN ? fw::Recode(german, 1252, fw::NameCodePage(), '?').text : english;
}

// The longest sentences the Files page writes into its two summary lines. The extras
// name the info file once: as an extra of its own, or beside the recovery data.
std::string LongestSizeSentence() {
  return fw::LoadText(IDS_SIZE_SENTENCE) + fw::FormatText(IDS_SIZE_BYTES, 2147483647);
}
std::vector<std::string> LongestExtrasSentences() {
  const std::string start = fw::LoadText(IDS_EXTRAS_SENTENCE) + fw::LoadText(IDS_EXTRAS_PROGRAM) +
                            fw::LoadText(IDS_EXTRAS_AND);
  const std::string batchFile = fw::LoadText(IDS_EXTRAS_BATCH_FILE) + fw::LoadText(IDS_EXTRAS_AND);
  const std::string recovery = fw::FormatText(IDS_EXTRAS_RECOVERY_DISKS, 99);
  return {start + fw::LoadText(IDS_EXTRAS_INFO_FILE) + fw::LoadText(IDS_EXTRAS_AND) + batchFile + recovery +
              fw::LoadText(IDS_EXTRAS_END),
          start + batchFile + recovery + fw::LoadText(IDS_EXTRAS_RECOVERY_NEEDS) + fw::LoadText(IDS_EXTRAS_END)};
}

void CheckPage(HWND page, bool visible) {
  LONG style = StyleOf(page);
  CHECK((style & WS_CHILD) != 0);
  CHECK((style & WS_CAPTION) == 0);
  CHECK(((style & WS_VISIBLE) != 0) == visible);
  CHECK((GetWindowLongA(page, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0);
  RECT client, expected = DialogUnits(page, 0, 0, 238, 126);
  GetClientRect(page, &client);
  CHECK(client.right == expected.right);
  CHECK(client.bottom == expected.bottom);
  CheckLayout(page);
}

}  // namespace

TEST_CASE("every dialog template exists in both languages") {
  for (LANGID language : {ENGLISH, GERMAN}) {
    for (unsigned id : {IDD_ABOUT, IDD_SPLIT, IDD_FILES_PAGE, IDD_SIZE_PAGE, IDD_EXTRAS_PAGE, IDD_PROGRESS,
                        IDD_RESTORE, IDD_SYSTEM_PAGE}) {
      CAPTURE(language);
      CAPTURE(id);
      CHECK(FindResourceExA(fw::ResourceModule(), RT_DIALOG, MAKEINTRESOURCEA(id), language) != nullptr);
    }
  }
}

TEST_CASE("the split dialog and its pages") {
  InitControls();
  for (LANGID language : {ENGLISH, GERMAN}) {
    fw::ChooseLanguage(language);
    CAPTURE(language);
    Created split(IDD_SPLIT);
    HWND tab = Control(split.window, IDC_TAB, "SysTabControl32");
    HWND start = Control(split.window, IDOK, "Button");
    CHECK_FALSE(IsWindowEnabled(start));
    CHECK(IsButtonKind(StyleOf(start), BS_DEFPUSHBUTTON));
    for (int id : {IDC_ABOUT, ID_HELP, IDCANCEL}) CHECK(IsWindowEnabled(Control(split.window, id, "Button")));
    CHECK(InsideToOneUnit(split.window, RectInParent(tab), DialogUnits(split.window, 8, 7, 245, 145)));
    CHECK(InsideToOneUnit(split.window, DialogUnits(split.window, 8, 7, 245, 145), RectInParent(tab)));
    CheckTexts(split.window, {{IDOK, Pick(language, "&Split", "&Splitten")},
                              {IDCANCEL, Pick(language, "E&xit", "&Beenden")},
                              {ID_HELP, Pick(language, "&Help", "&Hilfe")}});
    CheckLayout(split.window);

    SUBCASE("the pages fit into the tab control's display area") {
      for (unsigned text = IDS_TAB_FILES; text <= IDS_TAB_SYSTEM; ++text) {
        std::string name = fw::LoadText(text);
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = name.data();
        SendMessageA(tab, TCM_INSERTITEMA, text - IDS_TAB_FILES, reinterpret_cast<LPARAM>(&item));
      }
      RECT display = RectInParent(tab);
      SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
      CHECK(InsideToOneUnit(split.window, DialogUnits(split.window, 10, 20, 238, 126), display));
    }
    SUBCASE("files page") {
      Created page(IDD_FILES_PAGE, split.window);
      CheckPage(page.window, true);
      for (int id : {IDC_SOURCE_EDIT, IDC_DESTINATION_EDIT})
        CHECK((StyleOf(Control(page.window, id, "Edit")) & ES_AUTOHSCROLL) != 0);
      for (int id : {IDC_SOURCE_BROWSE, IDC_DESTINATION_BROWSE}) Control(page.window, id, "Button");
      int bullets = 0;
      for (HWND child : Children(page.window)) {
        if ((StyleOf(child) & SS_TYPEMASK) == SS_BITMAP && ClassOf(child) == "Static")
          bullets += SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
      }
      CHECK(bullets == 2);
      CheckTexts(page.window, {{IDC_SOURCE_BROWSE, Pick(language, "Browse...", "Durchsuchen...")}});
      HWND size = Control(page.window, IDC_SIZE_SENTENCE, "Static");
      HWND extras = Control(page.window, IDC_EXTRAS_SENTENCE, "Static");
      CheckTextFits(size, LongestSizeSentence());
      for (const std::string& sentence : LongestExtrasSentences()) CheckTextFits(extras, sentence);
    }
    SUBCASE("size page") {
      Created page(IDD_SIZE_PAGE, split.window);
      CheckPage(page.window, false);
      for (int id : {IDC_FLOPPY_144, IDC_FLOPPY_720, IDC_CUSTOM_SIZE}) {
        LONG style = StyleOf(Control(page.window, id, "Button"));
        CHECK(IsButtonKind(style, BS_AUTORADIOBUTTON));
        CHECK(((style & WS_GROUP) != 0) == (id == IDC_FLOPPY_144));
        CHECK(IsWindowEnabled(GetDlgItem(page.window, id)));
      }
      for (int id : {IDC_SIZE_EDIT, IDC_COUNT_EDIT}) {
        LONG style = StyleOf(Control(page.window, id, "Edit"));
        CHECK((style & (ES_MULTILINE | ES_NUMBER | ES_RIGHT)) == (ES_MULTILINE | ES_NUMBER | ES_RIGHT));
        CHECK((style & (WS_VSCROLL | WS_HSCROLL)) == 0);
        CHECK(TextOf(GetDlgItem(page.window, id)).empty());
      }
      for (int id : {IDC_SIZE_SCROLL, IDC_COUNT_SCROLL})
        CHECK((StyleOf(Control(page.window, id, "ScrollBar")) & SBS_VERT) == 0);
      for (int id : {IDC_MIN_SIZE_LABEL, IDC_MAX_SIZE_LABEL, IDC_MIN_COUNT_LABEL, IDC_MAX_COUNT_LABEL,
                     IDC_BYTES_LABEL, IDC_FILES_LABEL})
        Control(page.window, id, "Static");
      for (int id = IDC_SIZE_SCROLL; id <= IDC_COUNT_EDIT; ++id) CHECK_FALSE(IsWindowEnabled(GetDlgItem(page.window, id)));
      for (int id = IDC_MIN_SIZE_LABEL; id <= IDC_FILES_LABEL; ++id)
        CHECK_FALSE(IsWindowEnabled(GetDlgItem(page.window, id)));
      CheckTexts(page.window, {{IDC_CUSTOM_SIZE, Pick(language, "Custom Size:", "Benutzerdefinierte Gr\xF6sse:")},
                               {IDC_MIN_COUNT_LABEL, Pick(language, "1 File", "1 Datei")},
                               {IDC_FILES_LABEL, Pick(language, "Files", "Dateien")}});
      // The bound labels show byte and file counts up to the largest source.
      CheckTextFits(GetDlgItem(page.window, IDC_MAX_SIZE_LABEL), fw::FormatText(IDS_BYTES, 2147483647));
      CheckTextFits(GetDlgItem(page.window, IDC_MAX_COUNT_LABEL), fw::FormatText(IDS_FILES, 1000));
    }
    SUBCASE("extras page and system page") {
      Created extras(IDD_EXTRAS_PAGE, split.window);
      Created system(IDD_SYSTEM_PAGE, split.window);
      CheckPage(extras.window, false);
      CheckPage(system.window, false);
      for (int id : {IDC_EXTRA_PROGRAM_COPY, IDC_EXTRA_INFO_FILE, IDC_EXTRA_BATCH_FILE, IDC_EXTRA_REPAIR_FILE})
        CHECK(IsButtonKind(StyleOf(Control(extras.window, id, "Button")), BS_AUTOCHECKBOX));
      // The amount of recovery data: a number field with arrows that write it, both disabled
      // until the recovery data's box is checked.
      HWND amount = Control(extras.window, IDC_RECOVERY_PIECES_EDIT, "Edit");
      HWND arrows = Control(extras.window, IDC_RECOVERY_PIECES_SPIN, UPDOWN_CLASSA);
      CHECK((StyleOf(amount) & (ES_NUMBER | ES_MULTILINE)) == ES_NUMBER);
      CHECK((StyleOf(arrows) & (UDS_SETBUDDYINT | UDS_ARROWKEYS)) == (UDS_SETBUDDYINT | UDS_ARROWKEYS));
      CHECK(reinterpret_cast<HWND>(SendMessageA(arrows, UDM_GETBUDDY, 0, 0)) == amount);
      CHECK_FALSE(IsWindowEnabled(amount));
      CHECK_FALSE(IsWindowEnabled(arrows));
      CheckTextFits(amount, "99");
      for (int id : {IDC_REGISTER_EXTENSION, IDC_REGISTER_SPLIT_VERB, IDC_REGISTER_RESTORE_VERB})
        CHECK(IsButtonKind(StyleOf(Control(system.window, id, "Button")), BS_AUTOCHECKBOX));
      CHECK(IsButtonKind(StyleOf(Control(system.window, IDC_APPLY, "Button")), BS_PUSHBUTTON));
      CheckTexts(extras.window, {{IDC_EXTRA_PROGRAM_COPY,
                                  Pick(language, "Write Parvola 95 to the last disk. (the program only)",
                                       "Parvola 95 auf die letzte Diskette schreiben. (nur das Programm)")}});
      CheckTexts(system.window, {{IDC_APPLY, Pick(language, "&Apply", "\xDC&" "bernehmen")},
                                 {IDC_REGISTER_EXTENSION, Pick(language, "Register extension 'split' for Parvola 95.",
                                                               "Endung 'split' f\xFCr Parvola 95 registrieren.")}});
    }
  }
}

TEST_CASE("the progress, restore and about dialogs") {
  InitControls();
  for (LANGID language : {ENGLISH, GERMAN}) {
    fw::ChooseLanguage(language);
    CAPTURE(language);
    SUBCASE("progress dialog") {
      Created progress(IDD_PROGRESS);
      CHECK((StyleOf(progress.window) & (WS_CAPTION | WS_SYSMENU)) == (WS_CAPTION | WS_SYSMENU));
      CHECK(TextOf(progress.window) == Pick(language, "Splitting", "Splitten"));
      HWND animation = Control(progress.window, IDC_ANIMATION, "SysAnimate32");
      CHECK((StyleOf(animation) & (ACS_TRANSPARENT | ACS_CENTER)) == (ACS_TRANSPARENT | ACS_CENTER));
      RECT clip;
      GetClientRect(animation, &clip);
      CHECK(clip.right >= 304);  // the clip is 304 by 60 pixels
      CHECK(clip.bottom >= 60);
      for (int id : {IDC_FROM_LINE, IDC_TO_LINE}) {
        LONG style = StyleOf(Control(progress.window, id, "Static"));
        CHECK((style & SS_NOPREFIX) != 0);
        CHECK((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP);
      }
      Control(progress.window, IDC_PROGRESS_BAR, "msctls_progress32");
      CHECK(TextOf(Control(progress.window, IDC_TIME_LINE, "Static")).empty());
      HWND stop = Control(progress.window, IDC_BREAK, "Button");
      CHECK(IsButtonKind(StyleOf(stop), BS_DEFPUSHBUTTON));
      CHECK(TextOf(stop) == Pick(language, "Break", "Abbrechen"));
      CheckLayout(progress.window);
      // The longest remaining-time line the dialog writes.
      CheckTextFits(GetDlgItem(progress.window, IDC_TIME_LINE),
                    fw::LoadText(IDS_REMAINING_TIME) + fw::FormatText(IDS_HOURS, 99) + fw::FormatText(IDS_MINUTES, 59));
    }
    SUBCASE("restore dialog") {
      Created restore(IDD_RESTORE);
      CHECK((StyleOf(restore.window) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == WS_MINIMIZEBOX);
      CHECK(TextOf(restore.window) == "Parvola 95 (Olvanta)");
      CHECK((StyleOf(Control(restore.window, IDC_DESTINATION_EDIT, "Edit")) & ES_AUTOHSCROLL) != 0);
      for (int id : {IDC_DESTINATION_BROWSE, IDC_CHECK_PIECES, IDC_ABOUT, ID_HELP, IDCANCEL})
        Control(restore.window, id, "Button");
      CHECK(IsButtonKind(StyleOf(Control(restore.window, IDOK, "Button")), BS_DEFPUSHBUTTON));
      CheckTexts(restore.window, {{IDOK, Pick(language, "&Restore", "&Wiederherstellen")},
                                  {IDC_CHECK_PIECES, Pick(language, "&Check", "&Pr\xFC" "fen")},
                                  {IDC_ABOUT, "&Info"},
                                  {IDC_DESTINATION_BROWSE, Pick(language, "Browse...", "Durchsuchen...")}});
      CheckLayout(restore.window);
    }
    SUBCASE("about box") {
      Created about(IDD_ABOUT);
      CHECK(TextOf(about.window) == Pick(language, "About Parvola 95", "Info \xFC" "ber Parvola 95"));
      RECT client, expected = DialogUnits(about.window, 0, 0, 217, 114);
      GetClientRect(about.window, &client);
      CHECK(client.right == expected.right);
      CHECK(client.bottom == expected.bottom);
      CHECK(IsButtonKind(StyleOf(Control(about.window, IDOK, "Button")), BS_DEFPUSHBUTTON));
      int icons = 0, lines = 0, version = 0;
      for (HWND child : Children(about.window)) {
        LONG kind = StyleOf(child) & SS_TYPEMASK;
        icons += kind == SS_ICON && SendMessageA(child, STM_GETICON, 0, 0) != 0;
        lines += kind == SS_ETCHEDHORZ;
        version += TextOf(child) == "Parvola 95, Version 1.2";
      }
      CHECK(icons == 1);
      CHECK(lines == 1);
      CHECK(version == 1);
      CheckLayout(about.window);
    }
  }
}
