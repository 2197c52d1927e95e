// Shows the dialog templates of one language, filled with long sample texts, so that a screenshot
// shows what a person sees: either the split dialog once per page ("pages"), or the progress,
// restore and about dialogs ("others"). Built and run by tools/show-templates.sh.
//   ShowTemplates.exe en|de pages|others seconds
#include <string>

#include "framework/SystemFunctions.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include <commctrl.h>

namespace {

INT_PTR CALLBACK QuietProcedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND CreateFromTemplate(unsigned id, HWND parent) {
  const DLGTEMPLATE* found = fw::FindDialogTemplate(id);
  return found ? CreateDialogIndirectParamA(fw::ResourceModule(), found, parent, QuietProcedure, 0) : nullptr;
}

void Place(HWND window, int x, int y) {
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

void Text(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

// Fills a page with the longest texts it shows in use.
void FillPage(HWND page, unsigned id) {
  switch (id) {
    case IDD_FILES_PAGE:
      Text(page, IDC_SOURCE_EDIT, "C:\\Eigene Dateien\\Berichte\\Jahresbericht 1997.doc");
      Text(page, IDC_DESTINATION_EDIT, "A:");
      Text(page, IDC_SIZE_SENTENCE, fw::LoadText(IDS_SIZE_SENTENCE) + fw::FormatText(IDS_SIZE_BYTES, 2147483647));
      Text(page, IDC_EXTRAS_SENTENCE,
           fw::LoadText(IDS_EXTRAS_SENTENCE) + fw::LoadText(IDS_EXTRAS_PROGRAM) + fw::LoadText(IDS_EXTRAS_AND) +
               fw::LoadText(IDS_EXTRAS_INFO_FILE) + fw::LoadText(IDS_EXTRAS_AND) +
               fw::LoadText(IDS_EXTRAS_BATCH_FILE) + fw::LoadText(IDS_EXTRAS_END));
      break;
    case IDD_SIZE_PAGE:
      CheckRadioButton(page, IDC_FLOPPY_144, IDC_CUSTOM_SIZE, IDC_CUSTOM_SIZE);
      for (int control = IDC_SIZE_SCROLL; control <= IDC_FILES_LABEL; ++control)
        EnableWindow(GetDlgItem(page, control), TRUE);
      Text(page, IDC_SIZE_EDIT, "2147483647");
      Text(page, IDC_COUNT_EDIT, "1000");
      Text(page, IDC_MIN_SIZE_LABEL, fw::FormatText(IDS_BYTES, 2147484));
      Text(page, IDC_MAX_SIZE_LABEL, fw::FormatText(IDS_BYTES, 2147483647));
      Text(page, IDC_MIN_COUNT_LABEL, fw::LoadText(IDS_ONE_FILE));
      Text(page, IDC_MAX_COUNT_LABEL, fw::FormatText(IDS_FILES, 1000));
      break;
    case IDD_EXTRAS_PAGE:
      CheckDlgButton(page, IDC_EXTRA_INFO_FILE, BST_CHECKED);
      break;
    case IDD_SYSTEM_PAGE:
      for (int control : {IDC_REGISTER_EXTENSION, IDC_REGISTER_SPLIT_VERB, IDC_REGISTER_RESTORE_VERB})
        CheckDlgButton(page, control, BST_CHECKED);
      break;
  }
}

// The split dialog with its tab control showing one page, as the program arranges it.
void ShowSplitDialog(int index, int x, int y) {
  static const unsigned pages[] = {IDD_FILES_PAGE, IDD_SIZE_PAGE, IDD_EXTRAS_PAGE, IDD_SYSTEM_PAGE};
  HWND split = CreateFromTemplate(IDD_SPLIT, nullptr);
  if (!split) return;
  HWND tab = GetDlgItem(split, IDC_TAB);
  for (int item = 0; item < 4; ++item) {
    std::string name = fw::LoadText(IDS_TAB_FILES + item);
    TCITEMA entry = {};
    entry.mask = TCIF_TEXT;
    entry.pszText = name.data();
    SendMessageA(tab, TCM_INSERTITEMA, item, reinterpret_cast<LPARAM>(&entry));
  }
  SendMessageA(tab, TCM_SETCURSEL, index, 0);
  HWND page = CreateFromTemplate(pages[index], split);
  RECT origin = {10, 20, 0, 0};
  MapDialogRect(split, &origin);
  SetWindowPos(page, HWND_TOP, origin.left, origin.top, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  FillPage(page, pages[index]);
  Place(split, x, y);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  fw::StartCommonControls();
  bool german = __argc > 1 && std::string(__argv[1]) == "de";
  fw::ChooseLanguage(german ? MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN) : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  bool pages = __argc > 2 && std::string(__argv[2]) == "pages";
  int seconds = __argc > 3 ? atoi(__argv[3]) : 10;

  if (pages) {
    for (int index = 0; index < 4; ++index) ShowSplitDialog(index, 10 + (index % 2) * 480, 10 + (index / 2) * 350);
  } else if (HWND progress = CreateFromTemplate(IDD_PROGRESS, nullptr)) {
    Text(progress, IDC_FROM_LINE, fw::FormatText(IDS_FROM_SHORTENED, "C:\\Eigene Dateien\\Berichte\\Ja", "hresbericht 1997 (Entwurf).doc"));
    Text(progress, IDC_TO_LINE, fw::FormatText(IDS_TO_WHOLE, "A:\\JAHRESBE.003"));
    SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
    SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_SETPOS, 420, 0);
    Text(progress, IDC_TIME_LINE,
         fw::LoadText(IDS_REMAINING_TIME) + fw::FormatText(IDS_HOURS, 99) + fw::FormatText(IDS_MINUTES, 59));
    Place(progress, 10, 10);
    if (HWND restore = CreateFromTemplate(IDD_RESTORE, nullptr)) {
      Text(restore, IDC_DESTINATION_EDIT, "C:\\Eigene Dateien\\Berichte");
      Place(restore, 10, 300);
    }
    if (HWND about = CreateFromTemplate(IDD_ABOUT, nullptr)) Place(about, 520, 10);
  }

  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) break;
    DispatchMessageA(&message);
  }
  return 0;
}
