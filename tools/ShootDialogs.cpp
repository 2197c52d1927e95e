// Drives a running Parvola 95 for tools/screenshots.sh, one step per call:
//   ShootDialogs.exe tab N     select page N (0 Files ... 3 System) of the split dialog
//   ShootDialogs.exe about     open the about box
//   ShootDialogs.exe help      press Help (the help window opens at the page shown)
//   ShootDialogs.exe box       show the message box of a finished split
//   ShootDialogs.exe split     press Split (the progress window opens beside the dialog)
//   ShootDialogs.exe break     press Break in the progress window (the question follows)
//   ShootDialogs.exe dismiss   close the about box or message box again (Yes to a question)
//   ShootDialogs.exe exit      end the program
// Tabs are selected with the arrow keys, as a user would: the tab control then
// tells the dialog itself, which a notification sent from another process cannot.
#include <string>
#include <windows.h>
#include <commctrl.h>

#include "job/Messages.h"
#include "res/resource.h"

namespace {

HWND FindDialog(const char* caption) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (HWND dialog = FindWindowA("#32770", caption)) return dialog;
    Sleep(100);
  }
  return nullptr;
}

HWND FindSplitDialog() { return FindDialog("Parvola 95 (Olvanta)"); }

// Every other visible dialog window of the program (the about box, the help window, a
// message box).
void DismissOthers(HWND splitDialog) {
  DWORD process = 0;
  GetWindowThreadProcessId(splitDialog, &process);
  struct Search {
    HWND splitDialog;
    DWORD process;
  } search = {splitDialog, process};
  EnumWindows(
      [](HWND window, LPARAM context) WINAPI -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char className[16] = "";
        GetClassNameA(window, className, sizeof(className));
        if (owner == wanted->process && window != wanted->splitDialog && IsWindowVisible(window) &&
            std::string(className) == "#32770" && !GetDlgItem(window, IDC_BREAK))
          PostMessageA(window, WM_COMMAND, GetDlgItem(window, IDYES) ? IDYES : IDOK, 0);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string command = __argc > 1 ? __argv[1] : "";
  HWND dialog = FindSplitDialog();
  if (!dialog) return 1;
  if (command == "tab" && __argc > 2) {
    int page = atoi(__argv[2]);
    HWND tab = GetDlgItem(dialog, IDC_TAB);
    // Stand beside the page and step onto it, until the step has arrived.
    for (int attempt = 0; attempt < 10 && SendMessageA(tab, TCM_GETCURSEL, 0, 0) != page; ++attempt) {
      SendMessageA(tab, TCM_SETCURSEL, page == 0 ? 1 : page - 1, 0);
      PostMessageA(tab, WM_KEYDOWN, page == 0 ? VK_LEFT : VK_RIGHT, 0);
      Sleep(300);
    }
  } else if (command == "about") {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED), 0);
  } else if (command == "help") {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED), 0);
  } else if (command == "box") {
    PostMessageA(dialog, WM_WORK_DONE, 0, 0);
  } else if (command == "split") {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  } else if (command == "break" && __argc > 2) {
    HWND progress = FindDialog(__argv[2]);
    if (!progress) return 1;
    PostMessageA(progress, WM_COMMAND, MAKEWPARAM(IDC_BREAK, BN_CLICKED), 0);
  } else if (command == "dismiss") {
    DismissOthers(dialog);
  } else if (command == "exit") {
    // Exit is refused while a progress window is still closing: ask until it goes.
    for (int attempt = 0; attempt < 50 && IsWindow(dialog); ++attempt) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      Sleep(200);
    }
  } else {
    return 2;
  }
  return 0;
}
