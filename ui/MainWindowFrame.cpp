#include "ui/MainWindowFrame.h"

#include <algorithm>

#include "framework/Texts.h"
#include "res/resource.h"
#include "ui/ProgressDialog.h"

void PrepareSystemMenu(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) return;
  std::string about = fw::LoadText(IDS_ABOUT_MENU);
  if (!about.empty()) {
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDC_ABOUT, about.c_str());
  }
  DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
}

void TrackMinimizeRestore(HWND window, unsigned command) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) return;
  if (command == SC_MINIMIZE) {
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_ENABLED);
    EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);
  } else if (command == SC_RESTORE) {
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | MF_ENABLED);
  }
}

bool PaintIconWhenMinimized(HWND window, HICON icon) {
  if (!IsIconic(window)) return false;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(window, &client);
  int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(window, &paint);
  return true;
}

bool IsUsableDestination(std::string& folder, DWORD sharing) {
  if (folder.empty()) return false;
  if (folder.back() == '\\') folder.pop_back();
  std::string probe = folder + "\\dummy.dmy";
  HANDLE file = CreateFileA(probe.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return true;
  }
  switch (GetLastError()) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:  // no file inside the folder could be named
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
      return false;
    default:
      return true;
  }
}

void ProgressDialogList::Start(ProgressDialog* dialog, HWND owner) {
  if (!dialog->Create(owner)) {
    delete dialog;
    return;
  }
  ShowWindow(dialog->Handle(), SW_SHOWNORMAL);
  dialogs.push_back(dialog);
}

bool ProgressDialogList::Close(ProgressDialog* dialog) {
  auto listed = std::find(dialogs.begin(), dialogs.end(), dialog);
  if (listed == dialogs.end()) return false;
  dialogs.erase(listed);
  dialog->DestroyWindow();
  delete dialog;
  return true;
}

void ProgressDialogList::DestroyAll() {
  while (!dialogs.empty()) Close(dialogs.front());
}
