#include "ui/ProgressDialog.h"

#include <commctrl.h>

#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "logic/ProgressTexts.h"
#include "res/resource.h"
#include "restore/CheckWorker.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"

BEGIN_MESSAGE_MAP(ProgressDialog, fw::Dialog)
  ON_MESSAGE(WM_ANIMATION_STOP, OnAnimationStop)
  ON_MESSAGE(WM_ANIMATION_PLAY, OnAnimationPlay)
  ON_MESSAGE(WM_PROGRESS_POS, OnProgressPos)
  ON_MESSAGE(WM_SHOW_FROM, OnShowFrom)
  ON_MESSAGE(WM_SHOW_TO, OnShowTo)
  ON_MESSAGE(WM_SHOW_TIME_LEFT, OnShowTimeLeft)
  ON_MESSAGE(WM_TIMER, OnTimer)
  ON_MESSAGE(WM_CLOSE, OnClose)
  ON_MESSAGE_OR_DEFAULT(WM_SYSCOMMAND, OnSysCommand)
  ON_BUTTON(IDC_BREAK, OnBreak)
END_MESSAGE_MAP()

namespace {

// The bar moves at most this often.
constexpr UINT_PTR BAR_TIMER = 1;
constexpr UINT BAR_MILLISECONDS = 100;

}  // namespace

WorkerBody WorkerOfJob(int32_t mode) {
  return mode == JOB_SPLIT ? SplitWorker : mode == JOB_CHECK ? CheckWorker : RestoreWorker;
}

ProgressDialog::ProgressDialog(const WorkerJob& request, bool hidden, HWND owner)
    : fw::Dialog(IDD_PROGRESS, owner), job(request), hidden(hidden) {}

ProgressDialog::~ProgressDialog() {
  if (job.stop) job.stop->Release();
}

bool ProgressDialog::OnInitDialog() {
  // A hidden window plays no animation: its frames would be drawn where nobody sees them,
  // on the processors that the work needs.
  if (hidden) SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!hidden)
    SendItemMessage(IDC_ANIMATION, ACM_OPENA, reinterpret_cast<WPARAM>(fw::ResourceModule()),
                    reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDR_PROGRESS_ANIMATION)));
  OnAnimationPlay(0, 0);
  progressBar = Item(IDC_PROGRESS_BAR);
  // A 16-bit range, which every version of the bar knows (Windows 95's knows no other).
  SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
  SendMessageA(progressBar, PBM_SETPOS, shownPosition, 0);
  SetTimer(Handle(), BAR_TIMER, BAR_MILLISECONDS, nullptr);
  StartJob();
  return true;
}

void ProgressDialog::StartJob() {
  job.progressDialog = Handle();
  job.stop = StopRequest::Create();
  // The restore window keeps this caption in both languages.
  if (IsRestore()) SetWindowTextA(Handle(), "Wiederherstellen");
  if (job.mode == JOB_CHECK) SetWindowTextA(Handle(), fw::LoadText(IDS_CHECK_TITLE).c_str());
  // A worker that cannot start ends the job at once, as a failed one.
  if (!StartWorker(job, WorkerOfJob(job.mode))) {
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
    PostMessageA(Parent(), WM_WORK_FAILED, static_cast<WPARAM>(job.mode), 0);
  }
}

LRESULT ProgressDialog::OnAnimationStop(WPARAM, LPARAM) {
  SendItemMessage(IDC_ANIMATION, ACM_STOP);
  return 0;
}

LRESULT ProgressDialog::OnAnimationPlay(WPARAM, LPARAM) {
  if (!hidden) SendItemMessage(IDC_ANIMATION, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
  return 0;
}

LRESULT ProgressDialog::OnProgressPos(WPARAM position, LPARAM) {
  reportedPosition = static_cast<uint32_t>(position);
  return 0;
}

// The bar takes the newest position; a position already shown is not passed on again.
LRESULT ProgressDialog::OnTimer(WPARAM timer, LPARAM) {
  if (timer != BAR_TIMER || reportedPosition == shownPosition) return 0;
  shownPosition = reportedPosition;
  SendMessageA(progressBar, PBM_SETPOS, shownPosition, 0);
  return 0;
}

LRESULT ProgressDialog::OnShowFrom(WPARAM, LPARAM path) {
  const char* shown = reinterpret_cast<const char*>(path);
  SetItemText(IDC_FROM_LINE, PathLine(shown, IDS_FROM_WHOLE, IDS_FROM_SHORTENED, fw::NameCodePage()));
  return 0;
}

LRESULT ProgressDialog::OnShowTo(WPARAM, LPARAM path) {
  const char* shown = reinterpret_cast<const char*>(path);
  SetItemText(IDC_TO_LINE, PathLine(shown, IDS_TO_WHOLE, IDS_TO_SHORTENED, fw::NameCodePage()));
  return 0;
}

LRESULT ProgressDialog::OnShowTimeLeft(WPARAM seconds, LPARAM) {
  std::string text = RemainingTimeText(static_cast<uint32_t>(seconds));
  if (!text.empty()) SetItemText(IDC_TIME_LINE, text);
  return 0;
}

// The worker's close request: the owner destroys and deletes this window.
LRESULT ProgressDialog::OnClose(WPARAM, LPARAM) {
  SendItemMessage(IDC_ANIMATION, ACM_OPENA, 0, 0);
  ShowWindow(Handle(), SW_HIDE);
  PostMessageA(Parent(), WM_PROGRESS_CLOSED, 0, reinterpret_cast<LPARAM>(this));
  return 0;
}

// The close box asks to stop, as Break does; the other commands are the system's.
std::optional<LRESULT> ProgressDialog::OnSysCommand(WPARAM command, LPARAM) {
  if ((command & 0xFFF0) != SC_CLOSE) return std::nullopt;
  RequestStop();
  return 0;
}

void ProgressDialog::OnBreak() { RequestStop(); }

// Enter reaches Break, the default button; a plain OK command has nothing to end.
void ProgressDialog::OnOK() {}

// Escape asks to stop as well: the window only closes when the worker ends.
void ProgressDialog::OnCancel() { RequestStop(); }

void ProgressDialog::RequestStop() {
  OnAnimationStop(0, 0);
  if (job.stop) job.stop->Raise();
}
