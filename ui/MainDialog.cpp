#include "ui/MainDialog.h"

#include <algorithm>

#include "framework/Texts.h"
#include "job/Messages.h"
#include "res/resource.h"
#include "ui/AboutDialog.h"
#include "ui/ProgressDialog.h"

BEGIN_MESSAGE_MAP(MainDialog, fw::Dialog)
  ON_BUTTON(IDC_ABOUT, OnAbout)
  ON_MESSAGE_OR_DEFAULT(WM_SYSCOMMAND, OnSysCommand)
  ON_MESSAGE_OR_DEFAULT(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
  ON_MESSAGE(WM_PROGRESS_CLOSED, OnProgressClosed)
  ON_MESSAGE(WM_AUTO_START, OnAutoStart)
  ON_MESSAGE_OR_DEFAULT(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

MainDialog::MainDialog(unsigned templateId, const SplitCommandLine& startOptions, HWND parent)
    : fw::Dialog(templateId, parent),
      startOptions(startOptions),
      icon(LoadIconA(fw::ResourceModule(), MAKEINTRESOURCEA(IDI_APPLICATION_ICON))) {}

MainDialog::~MainDialog() = default;

void MainDialog::PrepareMainWindow() {
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  HMENU menu = GetSystemMenu(Handle(), FALSE);
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

void MainDialog::StartIfUnattended() {
  if (!startOptions.unattended) return;
  SendMessageA(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PostMessageA(Handle(), WM_AUTO_START, 0, 0);
}

void MainDialog::StartProgress(const WorkerJob& request) {
  auto dialog = std::make_unique<ProgressDialog>(request, startOptions.hideProgress != 0, Handle());
  if (!dialog->Create(Handle())) return;
  ShowWindow(dialog->Handle(), SW_SHOWNORMAL);
  progressDialogs.push_back(std::move(dialog));
  ++jobsStarted;
  OnWorkRunningChanged();
}

int MainDialog::ExitStatus() const {
  if (!startOptions.unattendedAsked) return EXIT_SUCCEEDED;
  if (!autoStarted) return EXIT_NOT_STARTED;
  return jobsSucceeded == jobsStarted ? EXIT_SUCCEEDED : EXIT_FAILED;
}

void MainDialog::WorkEnded(bool succeeded) {
  if (succeeded) ++jobsSucceeded;
  if (startOptions.unattended) CloseWhenIdle();
}

void MainDialog::CloseWhenIdle() {
  closeWhenIdle = true;
  CloseIfIdle();
}

// A job reports its end before its progress window goes: the dialog waits for that
// window, and for those of the other jobs, whose files would be cut short with the
// process.
void MainDialog::CloseIfIdle() {
  if (closeWhenIdle && !WorkRunning()) PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

void MainDialog::DestroyProgressWindows() { progressDialogs.clear(); }

void MainDialog::OnCancel() {
  if (!WorkRunning()) fw::Dialog::OnCancel();
}

void MainDialog::OnWorkRunningChanged() { EnableItem(IDCANCEL, !WorkRunning()); }

void MainDialog::OnAbout() { ShowAboutBox(Handle()); }

// About from the system menu; Close is refused while work runs; Minimize and
// Restore of the menu follow the window's state.
std::optional<LRESULT> MainDialog::OnSysCommand(WPARAM command, LPARAM) {
  unsigned code = static_cast<unsigned>(command & 0xFFF0);
  if (code == IDC_ABOUT) {
    OnAbout();
    return 0;
  }
  if (code == SC_CLOSE && WorkRunning()) return 0;
  HMENU menu = GetSystemMenu(Handle(), FALSE);
  if (menu && (code == SC_MINIMIZE || code == SC_RESTORE)) {
    EnableMenuItem(menu, SC_RESTORE, MF_BYCOMMAND | (code == SC_MINIMIZE ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, SC_MINIMIZE, MF_BYCOMMAND | (code == SC_MINIMIZE ? MF_GRAYED : MF_ENABLED));
  }
  return std::nullopt;
}

// Minimised, the dialog shows its icon in the middle of its client area.
std::optional<LRESULT> MainDialog::OnPaint(WPARAM, LPARAM) {
  if (!IsIconic(Handle())) return std::nullopt;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(Handle(), &client);
  int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(Handle(), &paint);
  return 0;
}

LRESULT MainDialog::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon); }

// A progress window asks to go when its worker has ended. One that is not in the
// list was deleted already: nothing goes twice.
LRESULT MainDialog::OnProgressClosed(WPARAM, LPARAM progress) {
  auto listed = std::find_if(progressDialogs.begin(), progressDialogs.end(), [&](const auto& dialog) {
    return reinterpret_cast<LPARAM>(dialog.get()) == progress;
  });
  if (listed == progressDialogs.end()) return 0;
  progressDialogs.erase(listed);
  OnWorkRunningChanged();
  CloseIfIdle();
  return 0;
}

void MainDialog::AutoStart() {
  if (IsItemEnabled(IDOK)) OnOK();
}

// Unattended: start at once, or wait for the user when the command line left
// something unusable and nothing started.
LRESULT MainDialog::OnAutoStart(WPARAM, LPARAM) {
  AutoStart();
  autoStarted = WorkRunning();
  if (!autoStarted) SendMessageA(Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  return 0;
}

// The progress windows still open go first; their workers own what they use.
std::optional<LRESULT> MainDialog::OnDestroy(WPARAM, LPARAM) {
  DestroyProgressWindows();
  return std::nullopt;
}
