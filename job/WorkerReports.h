// What a worker tells its progress window and how it talks to the user: the
// paths it works on, the progress and remaining time after each block, the
// break-off question when the user pressed Break, and its message boxes, each
// with the animation stopped first. Used on the worker's own thread.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <windows.h>

#include "job/StopRequest.h"
#include "logic/WorkProgress.h"

// The calendar clock in whole seconds since 1970, as time() tells it. Read after
// every block: the system time is taken directly, which costs a fraction of what
// the C library's time() costs.
int64_t CalendarSeconds();

// The buttons and icon of a box that reports a failure.
constexpr unsigned FAILURE_BOX = MB_OK | MB_ICONSTOP;

class WorkerReports {
 public:
  // Notes the start time of the job for the remaining-time estimate. Without a progress
  // window (a run that shows none) nothing is sent or posted; the boxes still show.
  WorkerReports(HWND progress, StopRequest& stop);
  // A position not yet posted is posted at the end.
  ~WorkerReports();
  WorkerReports(const WorkerReports&) = delete;
  WorkerReports& operator=(const WorkerReports&) = delete;

  // The file being read and the file being written, sent (the window copies the text).
  void ShowFrom(const std::string& path);
  void ShowTo(const std::string& path);
  // Plays the animation again after a box, sent.
  void AnimationPlay();

  // The bytes of the job's work, against which its progress and remaining time are
  // reckoned: given at its start, and grown when the job finds more to do.
  void ExpectWork(int64_t bytes) { expected += bytes; }
  // Work done beside the job's blocks on another thread, in kibibytes, that counts in the
  // progress and remaining time of every block until the job takes it into its own count
  // (nullptr).
  void CountAlongside(const std::atomic<uint32_t>* kibibytes) { alongside = kibibytes; }

  // After a block: the bar's position (BarPosition), posted when it differs from the last
  // one posted and the bar's pace has passed since, or when it is the end.
  void Progress(int64_t done);
  // After a block: the remaining time, posted only when the estimate moved enough.
  void TimeLeft(int64_t done);

  // The end of every block of the file work, done bytes of it so far: its progress and
  // remaining time, then a look at the stop request; true when the user broke off.
  bool BlockDone(int64_t done, unsigned breakQuestion);

  // Looks at the stop request. When the user asked to break off, asks the question
  // (Yes and No); true for Yes. After No the animation is played again (posted: the
  // Break button stopped it).
  bool BreakOffConfirmed(unsigned questionText);

  // Stops the animation and shows text textId (with one text argument, or already
  // formatted as text) in a box of this type; returns the button chosen.
  int ShowBox(unsigned textId, unsigned type);
  int ShowBox(unsigned textId, const std::string& argument, unsigned type);
  int ShowFormattedBox(unsigned textId, const std::string& text, unsigned type);
  // Reports a failure of the work: text textId about path, OK and the stop icon. Always false.
  bool Fail(unsigned textId, const std::string& path);

 private:
  // Before the first post: no position is the last one posted.
  static constexpr uint32_t NOTHING_POSTED = UINT32_MAX;
  // The progress window moves its bar at most this often (milliseconds): a position is not
  // posted sooner after the last one. A post is a call into the system, which on some
  // platforms waits for its server, and is busiest when the machine is.
  static constexpr uint32_t POST_PACE = 100;

  // Posts the newest position if it is not the last one posted.
  void PostPosition();
  // A message to the progress window, sent or posted; none for a job run without one.
  void Send(unsigned message, WPARAM first, LPARAM second) const;
  void Post(unsigned message, WPARAM first, LPARAM second) const;

  HWND progress;
  StopRequest& stop;
  RemainingTimeEstimate estimate;
  int64_t expected = 0;
  BarPosition bar;
  uint32_t postedPosition = NOTHING_POSTED;
  uint32_t newestPosition = NOTHING_POSTED;
  uint32_t postedAt = 0;  // the system's milliseconds at the last post
  const std::atomic<uint32_t>* alongside = nullptr;
};
