// The user's request to break off a job. The progress window signals an auto-reset
// event on Break and on its close box and, beside it, raises a flag in this process.
// The worker looks at the flag after every block, which costs nothing; only when the
// flag is up does it poll (and so reset) the event, a call into the system that
// costs a round trip to a server on some platforms.
#pragma once
#include <atomic>
#include <windows.h>

class StopRequest {
 public:
  // A request not yet raised, held once by the caller; nullptr when the system gives
  // no event.
  static StopRequest* Create();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // One more holder (a worker that reads the request while the window that raises it
  // may go away), and the end of one hold: the last Release deletes the request.
  void Hold();
  void Release();

  // The user asks to break off: the event first, then the flag, so that a worker
  // that finds the flag up finds the event signalled as well.
  void Raise();

  // Whether the user asked to break off since the last true answer. The flag is
  // lowered before the event is polled: a request raised in between is seen now or
  // at the next look. Two requests before one look are answered true once.
  bool Taken();

 private:
  explicit StopRequest(HANDLE event) : event(event) {}
  ~StopRequest();

  const HANDLE event;
  std::atomic<bool> raised{false};
  std::atomic<int> holders{1};
};
