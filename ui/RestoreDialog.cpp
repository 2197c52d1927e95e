#include "ui/RestoreDialog.h"

#include "framework/Texts.h"
#include "job/Messages.h"
#include "job/UserMessage.h"
#include "res/resource.h"
#include "shell/ShellPaths.h"
#include "ui/AboutDialog.h"
#include "ui/FolderBrowser.h"
#include "ui/ProgressDialog.h"

BEGIN_MESSAGE_MAP(RestoreDialog, fw::Dialog)
  ON_EDIT_CHANGE(IDC_DESTINATION_EDIT, OnDestinationChange)
  ON_BUTTON(IDC_DESTINATION_BROWSE, OnBrowse)
  ON_BUTTON(IDC_ABOUT, OnAbout)
  ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
  ON_MESSAGE(WM_PROGRESS_CLOSED, OnProgressClosed)
  ON_MESSAGE(WM_WORK_DONE, OnWorkDone)
  ON_MESSAGE(WM_WORK_FAILED, OnWorkFailed)
  ON_MESSAGE(WM_AUTO_START, OnAutoStart)
  ON_MESSAGE(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

RestoreDialog::RestoreDialog(const SplitCommandLine& startOptions, HWND parent)
    : fw::Dialog(IDD_RESTORE, parent),
      startOptions(startOptions),
      icon(LoadIconA(fw::ResourceModule(), MAKEINTRESOURCEA(IDI_APPLICATION_ICON))) {}

bool RestoreDialog::OnInitDialog() {
  restoreButton = Item(IDOK);
  if (startOptions.unattended) {
    SendMessageA(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PostMessageA(Handle(), WM_AUTO_START, 0, 0);
  }
  PrepareSystemMenu(Handle());
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  const std::string& destination = startOptions.destinationArgument;
  // Setting the text runs the destination check before the dialog shows.
  SetItemText(IDC_DESTINATION_EDIT, destination.empty() ? DesktopFolderPath() : destination);
  return true;
}

void RestoreDialog::OnDestinationChange() { CheckDestination(); }

void RestoreDialog::CheckDestination() {
  std::string folder;
  EnableWindow(restoreButton, ReadPathField(IDC_DESTINATION_EDIT, folder) &&
                                  IsUsableDestination(folder, fw::File::READ_SHARE_NONE));
}

void RestoreDialog::OnBrowse() {
  char folder[MAX_PATH] = "";
  if (FolderBrowser(Handle(), fw::LoadText(IDS_CHOOSE_FOLDER)).Browse(folder) == FolderBrowser::CHOSEN)
    SetItemText(IDC_DESTINATION_EDIT, folder);
  CheckDestination();
}

// Restore: each press runs one more restore of the info file beside the others.
// Enter reaches here even while Restore is disabled; nothing starts then.
void RestoreDialog::OnOK() {
  if (!IsWindowEnabled(restoreButton)) return;
  WorkerJob request{.sourcePath = startOptions.fileArgument,
                    .destinationPath = ItemText(IDC_DESTINATION_EDIT),
                    .mode = JOB_RESTORE};
  progressDialogs.Start(new ProgressDialog(request, startOptions.hideProgress != 0, Handle()), Handle());
}

void RestoreDialog::OnAbout() { ShowAboutBox(Handle()); }

LRESULT RestoreDialog::OnSysCommand(WPARAM command, LPARAM) {
  unsigned code = static_cast<unsigned>(command & 0xFFF0);
  if ((command & 0xFFFF) == IDC_ABOUT) {
    OnAbout();
    return 0;
  }
  if (code == SC_CLOSE && !progressDialogs.Empty()) return 0;
  TrackMinimizeRestore(Handle(), code);
  PassToDefault();
  return 0;
}

LRESULT RestoreDialog::OnPaint(WPARAM, LPARAM) {
  if (!PaintIconWhenMinimized(Handle(), icon)) PassToDefault();
  return 0;
}

LRESULT RestoreDialog::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon); }

LRESULT RestoreDialog::OnProgressClosed(WPARAM, LPARAM dialog) {
  progressDialogs.Close(reinterpret_cast<ProgressDialog*>(dialog));
  return 0;
}

LRESULT RestoreDialog::OnWorkDone(WPARAM, LPARAM) {
  SetFocus(Handle());
  if (!startOptions.unattended) ShowUserText(IDS_FILE_RESTORED, MB_OK | MB_ICONINFORMATION);
  PostMessageA(Handle(), WM_CLOSE, 0, 0);
  return 0;
}

LRESULT RestoreDialog::OnWorkFailed(WPARAM, LPARAM) {
  if (startOptions.unattended) {
    SetFocus(Handle());
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
  }
  return 0;
}

LRESULT RestoreDialog::OnAutoStart(WPARAM, LPARAM) {
  if (IsWindowEnabled(restoreButton))
    OnOK();
  else
    SendMessageA(Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  return 0;
}

// The progress windows still open go first; their workers own what they use.
LRESULT RestoreDialog::OnDestroy(WPARAM, LPARAM) {
  progressDialogs.DestroyAll();
  PassToDefault();
  return 0;
}
