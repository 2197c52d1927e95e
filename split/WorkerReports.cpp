#include "split/WorkerReports.h"

#include <ctime>

#include "app/UserMessage.h"
#include "framework/Texts.h"
#include "ui/Messages.h"

namespace {

int64_t NowSeconds() { return static_cast<int64_t>(time(nullptr)); }

}  // namespace

WorkerReports::WorkerReports(HWND progress, HANDLE stopEvent)
    : progress(progress), stopEvent(stopEvent), estimate(NowSeconds()) {}

void WorkerReports::ShowFrom(const std::string& path) {
  SendMessageA(progress, WM_SHOW_FROM, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

void WorkerReports::ShowTo(const std::string& path) {
  SendMessageA(progress, WM_SHOW_TO, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

void WorkerReports::AnimationPlay() { SendMessageA(progress, WM_ANIMATION_PLAY, 0, 0); }

void WorkerReports::Progress(int64_t done, int64_t total) {
  uint32_t position = ProgressPerMille(done, total);
  PostMessageA(progress, WM_PROGRESS_POS, position < 1000 ? position : 1000, 0);
}

void WorkerReports::TimeLeft(int64_t done, int64_t total) {
  int32_t seconds = 0;
  // The window reads the seconds as an unsigned 32-bit value on every target.
  if (estimate.Update(done, total, NowSeconds(), seconds))
    SendMessageA(progress, WM_SHOW_TIME_LEFT, static_cast<uint32_t>(seconds), 0);
}

bool WorkerReports::BreakOffConfirmed(unsigned questionText) {
  if (WaitForSingleObject(stopEvent, 0) != WAIT_OBJECT_0) return false;
  if (ShowUserText(questionText, MB_YESNO | MB_ICONEXCLAMATION) == IDYES) return true;
  PostMessageA(progress, WM_ANIMATION_PLAY, 0, 0);
  return false;
}

int WorkerReports::ShowBox(unsigned textId, unsigned type) {
  return ShowFormattedBox(textId, fw::LoadText(textId), type);
}

int WorkerReports::ShowBox(unsigned textId, const std::string& argument, unsigned type) {
  return ShowFormattedBox(textId, fw::FormatText(textId, argument.c_str()), type);
}

int WorkerReports::ShowFormattedBox(unsigned textId, const std::string& text, unsigned type) {
  SendMessageA(progress, WM_ANIMATION_STOP, 0, 0);
  return ShowUserMessage(textId, text, type);
}
