// The record of one split or restore job, and the start of its worker thread.
#pragma once
#include <cstdint>
#include <string>
#include <windows.h>

#include "job/StopRequest.h"
#include "logic/RecoveryAmount.h"

// The kinds of job.
constexpr int32_t JOB_RESTORE = 0;
constexpr int32_t JOB_SPLIT = 1;
constexpr int32_t JOB_CHECK = 2;  // reads the pieces of an info file and writes nothing

struct WorkerJob {
  HWND progressDialog = nullptr;  // receives the reports; its parent learns the outcome
  StopRequest* stop = nullptr;    // raised when the user asks to break off
  std::string sourcePath;         // the file to split, or the info file to restore from
  std::string destinationPath;    // the folder of the pieces, or of the restored file
  int32_t mode = JOB_RESTORE;     // JOB_SPLIT, JOB_RESTORE or JOB_CHECK
  int32_t pieceSize = 0;          // a size option: bytes, or one of the two floppy sizes
  uint32_t extrasFlags = 0;       // EXTRA_PROGRAM_COPY | EXTRA_INFO_FILE | EXTRA_BATCH_FILE | EXTRA_REPAIR_FILE
  int32_t recoveryPieces = DEFAULT_RECOVERY_PIECES;  // of recovery data (EXTRA_REPAIR_FILE), 1 to 99
  bool unattended = false;        // nobody reads a box that only tells how the job went
};

// The work of a job, run on the job's own thread: true when it succeeded. It has
// closed its files when it returns.
using WorkerBody = bool (*)(WorkerJob& job);

// Starts body on a thread of its own at normal priority; false, and nothing started,
// when the job has no stop request. The thread gets its own copy of the job and holds
// its stop request. When body has returned, the thread asks the progress window to
// close, tells that window's parent (the dialog that opened it) whether the job
// failed, and deletes its copy, releasing the request: the progress window may go
// away at any time without the worker ever reading freed memory.
bool StartWorker(const WorkerJob& job, WorkerBody body);
