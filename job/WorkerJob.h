// The record of one split or restore job, and the start of its worker thread.
#pragma once
#include <cstdint>
#include <string>
#include <windows.h>

// The two kinds of job.
constexpr int32_t JOB_RESTORE = 0;
constexpr int32_t JOB_SPLIT = 1;

struct WorkerJob {
  HWND progressDialog = nullptr;  // receives the reports; its parent learns the outcome
  HANDLE stopEvent = nullptr;     // signalled when the user asks to break off
  std::string sourcePath;         // the file to split, or the info file to restore from
  std::string destinationPath;    // the folder of the pieces, or of the restored file
  int32_t mode = JOB_RESTORE;     // JOB_SPLIT or JOB_RESTORE
  int32_t pieceSize = 0;          // a size option: bytes, or one of the two floppy sizes
  uint32_t extrasFlags = 0;       // EXTRA_PROGRAM_COPY | EXTRA_INFO_FILE | EXTRA_BATCH_FILE
};

using WorkerProcedure = unsigned(__stdcall*)(void* job);

// Starts the worker on a thread of its own at normal priority. The thread gets
// its own copy of the job, with its own handle of the stop event, and deletes
// both when it ends: the progress window may go away at any time without the
// worker ever reading freed memory.
bool StartWorker(const WorkerJob& job, WorkerProcedure worker);

// For the worker, at its very end: releases the copy that StartWorker made.
void ReleaseWorkerJob(WorkerJob* job);

// The last act of every worker, after it has closed its files: asks the progress
// window to close, tells that window's parent (the dialog that opened it) whether
// the job failed, and releases the job. The parent is looked up before the close
// request goes out, since the window may be gone as soon as it has been handled.
void EndWorker(WorkerJob* job, bool failed);
