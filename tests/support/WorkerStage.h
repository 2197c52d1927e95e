// What a worker talks to in these tests: the real progress dialog template as a
// window owned by a plain window standing for the split or restore dialog, on the
// test's thread. Both record every message they get into a journal, as
// "send WM_SHOW_TO C:\path", "post WM_PROGRESS_POS 1000", "post WM_CLOSE", ...
// ("send" when it came by SendMessage from another thread); scripted message boxes
// given the same journal add "box <text number>" in between.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

#include "job/WorkerJob.h"
#include "support/FloppyDrive.h"
#include "support/Journal.h"
#include "support/ScriptedMessages.h"

// How a job ends: the close request to the progress window, then the outcome to its owner.
inline const std::string ENDED_DONE = "post WM_CLOSE | post WM_WORK_DONE";
inline const std::string ENDED_FAILED = "post WM_CLOSE | post WM_WORK_FAILED";

class WorkerStage {
 public:
  WorkerStage();  // also chooses the English texts
  ~WorkerStage();
  WorkerStage(const WorkerStage&) = delete;
  WorkerStage& operator=(const WorkerStage&) = delete;

  WorkerJob Job(const std::string& source, const std::string& destination, int32_t pieceSize = 0,
                uint32_t extras = 0) const;
  // Starts the worker on the job (made by Job) and pumps messages until the owner has the
  // outcome; returns the last two entries joined by " | " (compare with ENDED_DONE, ENDED_FAILED).
  std::string Run(WorkerBody worker, const WorkerJob& job);
  void Start(WorkerBody worker, const WorkerJob& job);
  std::string AwaitEnd();

  // The user presses Break.
  void Break() const { stop->Raise(); }

  std::vector<std::string> Entries() const { return journal.Entries(); }
  // The entries of one message, or of one box ("box 147").
  std::vector<std::string> Only(const std::string& name) const;
  // The boxes and the animation messages around them, in order.
  std::vector<std::string> Dialogue() const;
  // Whether the bar only ever moved forward, never past its end, and ended at 1000.
  bool ProgressRoseToEnd() const;

  Journal journal;
  HWND owner = nullptr;
  HWND progress = nullptr;
  StopRequest* stop = nullptr;
  HANDLE ended = nullptr;  // signalled when the owner was told the outcome
};

// The first and last entry; the test stops when there is none.
std::string First(const std::vector<std::string>& entries);
std::string Last(const std::vector<std::string>& entries);
// The box shown at this place (from the end when negative); the test stops when there is none.
ShownMessage Box(const ScriptedMessages& boxes, int place = 0);

// The names of the files in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder);

// Counts, while it lives, the writes and flushes made by threads other than the
// test's own (but not the scripts that a user's action on such a thread writes), in
// order: "W" for a write, "F" for a flush ("WFWF..." on a floppy).
// Callable from a worker's thread (no test assertions).
class FileCallCounter {
 public:
  FileCallCounter();
  ~FileCallCounter();
  std::string Calls() const;
  // The bytes of each write, in order.
  std::vector<uint32_t> WriteSizes() const;
  // Runs action on the writing thread just before write number `number` (from 1) goes to
  // its file: what the user does while that block is being written. Set before the worker starts.
  void BeforeWrite(size_t number, std::function<void()> action);

 private:
  size_t start;  // calls counted by earlier counters
};

