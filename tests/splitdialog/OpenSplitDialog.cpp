#include "splitdialog/OpenSplitDialog.h"

#include <commctrl.h>
#include <shlobj.h>
#include <doctest/doctest.h>

#include "framework/Texts.h"
#include "res/resource.h"
#include "ui/ProgressDialog.h"

OpenSplitDialog::OpenSplitDialog(std::vector<std::string> arguments, LANGID language) {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  fw::ChooseLanguage(language);
  arguments.insert(arguments.begin(), test::ProgramPath());
  app.SetArguments(arguments);
  app.SetRegistryKey("Olvanta");
  app.commandLine.SetArguments(arguments);
  app.commandLine.Parse();
  dialog = std::make_unique<SplitDialog>(app.commandLine, nullptr);
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

// The visible windows that the dialog owns are its progress windows.
std::vector<HWND> OwnedWindows(HWND owner) {
  struct Found {
    HWND owner;
    std::vector<HWND> windows;
  } found = {owner, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) WINAPI -> BOOL {
        auto* looking = reinterpret_cast<Found*>(context);
        if (GetWindow(window, GW_OWNER) == looking->owner && IsWindowVisible(window))
          looking->windows.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

int OpenSplitDialog::ProgressWindows() const { return static_cast<int>(OwnedWindows(Handle()).size()); }

std::vector<WorkerJob> OpenSplitDialog::Jobs() const {
  std::vector<WorkerJob> jobs;
  for (HWND window : OwnedWindows(Handle())) {
    // The framework keeps each dialog object with its window.
    auto* progress = reinterpret_cast<fw::Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    REQUIRE(progress != nullptr);
    REQUIRE(progress->TemplateId() == IDD_PROGRESS);
    jobs.push_back(static_cast<ProgressDialog*>(progress)->Job());
  }
  return jobs;
}

std::string LastReport(const Journal& journal, const std::string& name) {
  std::string last;
  for (const std::string& entry : journal.Entries())
    if (entry.rfind(name + ' ', 0) == 0) last = entry;
  return last;
}

void MakeShortcut(const std::string& shortcut, const std::string& target) {
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  REQUIRE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&link))));
  link->SetPath(target.c_str());
  IPersistFile* file = nullptr;
  REQUIRE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
  WCHAR widePath[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, widePath, MAX_PATH);
  CHECK(SUCCEEDED(file->Save(widePath, TRUE)));
  file->Release();
  link->Release();
  CoUninitialize();
}
