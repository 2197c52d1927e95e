#include "framework/Dialog.h"

#include "framework/App.h"
#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "res/resource.h"

namespace fw {
namespace {

// The modeless window that takes its keys from the modal loop (one at a time).
HWND keyWindow = nullptr;

bool IsDialogKey(HWND modal, MSG& message) {
  return IsDialogMessageA(modal, &message) || (keyWindow && IsDialogMessageA(keyWindow, &message));
}

}  // namespace

Dialog::Dialog(unsigned templateId, HWND parent) : templateId(templateId), parent(parent) {}

Dialog::~Dialog() {
  if (window) {
    if (keyWindow == window) keyWindow = nullptr;
    SetWindowLongPtrA(window, DWLP_USER, 0);
    ::DestroyWindow(window);
  }
}

// The modal run disables the owner, creates the window and runs the loop below
// until EndDialog; the window is shown when the queue first runs empty, unless
// its initialisation has shown it already (an unattended run starts minimised).
INT_PTR Dialog::DoModal() {
  const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(templateId);
  if (!dialogTemplate) return -1;
  bool disableOwner = parent && IsWindowEnabled(parent);
  if (disableOwner) EnableWindow(parent, FALSE);
  modal = true;
  modalEnded = false;
  modalResult = -1;
  if (CreateDialogIndirectParamA(ResourceModule(), dialogTemplate, parent, StaticProcedure,
                                 reinterpret_cast<LPARAM>(this)))
    RunModalLoop();
  // The owner comes back before the dialog goes, so that it is activated again.
  if (disableOwner) EnableWindow(parent, TRUE);
  if (window) ::DestroyWindow(window);
  return modalResult;
}

void Dialog::RunModalLoop() {
  bool shown = false;
  MSG message;
  while (!modalEnded && window) {
    if (!shown && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);
      shown = true;
    }
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
      break;
    }
    if (!IsDialogKey(window, message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

bool Dialog::Create(HWND owner, bool takesKeys) {
  const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(templateId);
  if (!dialogTemplate) return false;
  parent = owner;
  modal = false;
  if (!CreateDialogIndirectParamA(ResourceModule(), dialogTemplate, owner, StaticProcedure,
                                  reinterpret_cast<LPARAM>(this)))
    return false;
  if (takesKeys) keyWindow = window;
  return true;
}

void Dialog::DestroyWindow() {
  if (window) ::DestroyWindow(window);
}

void Dialog::EndDialog(INT_PTR result) {
  if (modal) {
    modalResult = result;
    modalEnded = true;
    PostMessageA(window, WM_NULL, 0, 0);  // wakes the loop when this runs inside a sent message
  } else {
    DestroyWindow();
  }
}

bool Dialog::OnInitDialog() { return true; }
void Dialog::OnOK() { EndDialog(IDOK); }
void Dialog::OnCancel() { EndDialog(IDCANCEL); }

// F1 in a page goes on to the dialog that holds it, which knows the page shown.
bool Dialog::ProcessMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  result = TRUE;
  if (message == WM_HELP && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
    ShowHelp();
    return true;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
  switch (LOWORD(wParam)) {
    case IDOK: OnOK(); break;
    case IDCANCEL: OnCancel(); break;
    case ID_HELP: ShowHelp(); break;
    default: return false;
  }
  result = 0;
  return true;
}

void Dialog::ShowHelp() const {
  if (const App* app = App::Current()) app->ShowHelp(window, templateId, HelpTopic());
}

INT_PTR CALLBACK Dialog::StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    dialog->window = window;
    return dialog->OnInitDialog() ? TRUE : FALSE;
  }
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!dialog) return FALSE;
  if (message == WM_NCDESTROY) {
    if (keyWindow == window) keyWindow = nullptr;
    dialog->window = nullptr;
    SetWindowLongPtrA(window, DWLP_USER, 0);
    return FALSE;
  }
  return dialog->Procedure(message, wParam, lParam);
}

INT_PTR Dialog::Procedure(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!ProcessMessage(message, wParam, lParam, result)) return FALSE;
  // These messages return their value directly instead of through DWLP_MSGRESULT.
  switch (message) {
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return static_cast<INT_PTR>(result);
  }
  if (window) SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
}

void Dialog::SetItemText(int id, const std::string& text) const { SetDlgItemTextA(window, id, text.c_str()); }

// The length the system gives may be more than the text (never less).
std::string Dialog::ItemText(int id) const {
  int room = GetWindowTextLengthA(Item(id)) + 1;
  std::string text(static_cast<size_t>(room), '\0');
  int length = GetDlgItemTextA(window, id, text.data(), room);
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return text;
}

bool FitsPathField(const std::string& path) { return Utf16Length(path) <= MAX_PATH - 1; }

bool Dialog::ReadPathField(int id, std::string& path) const {
  path = ItemText(id);
  return FitsPathField(path);
}

void Dialog::EnableItem(int id, bool enable) const { EnableWindow(Item(id), enable); }
bool Dialog::IsItemEnabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
void Dialog::ShowItem(int id, bool show) const { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }
void Dialog::CheckButton(int id, bool checked) const { CheckDlgButton(window, id, checked ? BST_CHECKED : BST_UNCHECKED); }
bool Dialog::IsButtonChecked(int id) const { return IsDlgButtonChecked(window, id) != BST_UNCHECKED; }

LRESULT Dialog::SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendDlgItemMessageA(window, id, message, wParam, lParam);
}

}  // namespace fw
