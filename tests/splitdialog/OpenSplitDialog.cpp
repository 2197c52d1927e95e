#include "splitdialog/OpenSplitDialog.h"

#include <commctrl.h>
#include <doctest/doctest.h>

#include "framework/Texts.h"
#include "res/resource.h"

ProgramRegistry::ProgramRegistry() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Olvanta");
  for (const char* key : {".split", "ParvolaFile", "*\\shell\\Split"}) RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
}

void ProgramRegistry::StoreInt(const char* name, int value) const {
  DWORD data = static_cast<DWORD>(value);
  RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY, name, REG_DWORD, &data, sizeof(data));
}

void ProgramRegistry::StoreText(const char* name, const std::string& value) const {
  RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY, name, REG_SZ, value.c_str(),
                  static_cast<DWORD>(value.size() + 1));
}

int ProgramRegistry::StoredInt(const char* name) {
  DWORD data = 0, size = sizeof(data);
  LONG result = RegGetValueA(HKEY_CURRENT_USER, SETTINGS_KEY, name, RRF_RT_REG_DWORD, nullptr, &data, &size);
  return result == ERROR_SUCCESS ? static_cast<int>(data) : -12345;
}

std::string ProgramRegistry::StoredText(const char* name) {
  char data[1024];
  DWORD size = sizeof(data);
  LONG result = RegGetValueA(HKEY_CURRENT_USER, SETTINGS_KEY, name, RRF_RT_REG_SZ, nullptr, data, &size);
  return result == ERROR_SUCCESS ? data : "<missing>";
}

std::string ProgramRegistry::ClassesText(const char* keyName) {
  char value[1024];
  LONG size = sizeof(value);
  if (RegQueryValueA(HKEY_CLASSES_ROOT, keyName, value, &size) != ERROR_SUCCESS) return "<missing>";
  return value;
}

OpenSplitDialog::OpenSplitDialog(std::vector<std::string> arguments, LANGID language) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  fw::ChooseLanguage(language);
  arguments.insert(arguments.begin(), test::ProgramPath());
  app.SetArguments(arguments);
  app.SetRegistryKey("Olvanta");
  app.commandLine.SetArguments(arguments);
  app.commandLine.Parse();
  dialog = std::make_unique<SplitDialog>(nullptr);
  REQUIRE(dialog->Create(nullptr));
  spy = std::make_unique<MessageSpy>(Handle(), journal);
  ShowWindow(Handle(), SW_SHOWNORMAL);
  Pump();
}

OpenSplitDialog::~OpenSplitDialog() {
  test::WaitFor([&] { return ProgressWindows() == 0; });
  if (Handle()) DestroyWindow(Handle());
}

HWND OpenSplitDialog::Control(int id) const {
  HWND control = test::FindControl(Handle(), id);
  REQUIRE_MESSAGE(control != nullptr, "no control ", id);
  return control;
}

bool OpenSplitDialog::Checked(int id) const {
  return SendMessageA(Control(id), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

void OpenSplitDialog::Type(int id, const std::string& text) const {
  SetWindowTextA(Control(id), text.c_str());
  Pump();
}

void OpenSplitDialog::Click(int id) const {
  SendMessageA(Control(id), BM_CLICK, 0, 0);
  Pump();
}

void OpenSplitDialog::SelectTab(int index) const {
  HWND tab = Control(IDC_TAB);
  SendMessageA(tab, TCM_SETCURSEL, index, 0);
  NMHDR header = {tab, IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(Handle(), WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
  Pump();
}

void OpenSplitDialog::Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int OpenSplitDialog::ProgressWindows() const {
  struct Count {
    HWND owner;
    int windows;
  } count = {Handle(), 0};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        auto* counted = reinterpret_cast<Count*>(context);
        if (GetWindow(window, GW_OWNER) == counted->owner && IsWindowVisible(window)) ++counted->windows;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.windows;
}
