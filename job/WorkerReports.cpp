#include "job/WorkerReports.h"

#include "framework/Texts.h"
#include "job/Messages.h"
#include "job/UserMessage.h"

int64_t CalendarSeconds() {
  constexpr uint64_t TICKS_PER_SECOND = 10000000;      // the system time counts 100 ns
  constexpr int64_t SECONDS_1601_TO_1970 = 11644473600;  // and starts in 1601
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  uint64_t ticks = static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
  return static_cast<int64_t>(ticks / TICKS_PER_SECOND) - SECONDS_1601_TO_1970;
}

WorkerReports::WorkerReports(HWND progress, StopRequest& stop)
    : progress(progress), stop(stop), estimate(CalendarSeconds()) {}

void WorkerReports::Send(unsigned message, WPARAM first, LPARAM second) const {
  if (progress) SendMessageA(progress, message, first, second);
}

// Without a window a post would go to the worker's own thread, which reads no messages.
void WorkerReports::Post(unsigned message, WPARAM first, LPARAM second) const {
  if (progress) PostMessageA(progress, message, first, second);
}

void WorkerReports::ShowFrom(const std::string& path) {
  Send(WM_SHOW_FROM, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

void WorkerReports::ShowTo(const std::string& path) {
  Send(WM_SHOW_TO, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

void WorkerReports::AnimationPlay() { Send(WM_ANIMATION_PLAY, 0, 0); }

WorkerReports::~WorkerReports() { PostPosition(); }

// A post costs a round trip to the system's server on some platforms and wakes the
// window's thread: positions come at the bar's pace, whatever the blocks' (the count of
// milliseconds is read from memory that the system keeps, not asked of it).
void WorkerReports::Progress(int64_t done) {
  newestPosition = bar.At(done, expected);
  if (newestPosition == BarPosition::END || GetTickCount() - postedAt >= POST_PACE) PostPosition();
}

void WorkerReports::PostPosition() {
  if (newestPosition == postedPosition || newestPosition == NOTHING_POSTED) return;
  postedPosition = newestPosition;
  postedAt = GetTickCount();
  Post(WM_PROGRESS_POS, postedPosition, 0);
}

bool WorkerReports::BlockDone(int64_t done, unsigned breakQuestion) {
  if (alongside) done += int64_t{alongside->load(std::memory_order_relaxed)} << 10;
  Progress(done);
  TimeLeft(done);
  return BreakOffConfirmed(breakQuestion);
}

void WorkerReports::TimeLeft(int64_t done) {
  int32_t seconds = 0;
  // The window reads the seconds as an unsigned 32-bit value on every target.
  if (estimate.Update(done, expected, CalendarSeconds(), seconds))
    Post(WM_SHOW_TIME_LEFT, static_cast<uint32_t>(seconds), 0);
}

bool WorkerReports::BreakOffConfirmed(unsigned questionText) {
  if (!stop.Taken()) return false;
  if (ShowUserText(questionText, MB_YESNO | MB_ICONEXCLAMATION) == IDYES) return true;
  Post(WM_ANIMATION_PLAY, 0, 0);
  return false;
}

int WorkerReports::ShowBox(unsigned textId, unsigned type) {
  return ShowFormattedBox(textId, fw::LoadText(textId), type);
}

int WorkerReports::ShowBox(unsigned textId, const std::string& argument, unsigned type) {
  return ShowFormattedBox(textId, fw::FormatText(textId, argument.c_str()), type);
}

int WorkerReports::ShowFormattedBox(unsigned textId, const std::string& text, unsigned type) {
  PostPosition();  // the bar shows where the work stands while the box waits
  Send(WM_ANIMATION_STOP, 0, 0);
  return ShowUserMessage(textId, text, type);
}

bool WorkerReports::Fail(unsigned textId, const std::string& path) {
  ShowBox(textId, path, FAILURE_BOX);
  return false;
}
