// An ordered, thread-safe record of what a test observed: window messages that a
// recording window received and message boxes that were shown.
#pragma once
#include <string>
#include <vector>
#include <windows.h>

class Journal {
 public:
  Journal() { InitializeCriticalSection(&lock); }
  ~Journal() { DeleteCriticalSection(&lock); }
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  void Add(std::string entry);
  std::vector<std::string> Entries() const;

 private:
  mutable CRITICAL_SECTION lock;
  std::vector<std::string> entries;
};

// A message-only window that records each private message it receives by name
// ("WM_ANIMATION_STOP") into a journal. Messages sent from the creating thread
// reach it at once; from other threads only while the creating thread pumps.
class RecordingWindow {
 public:
  explicit RecordingWindow(Journal& journal);
  ~RecordingWindow();
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  HWND Handle() const { return window; }

 private:
  HWND window = nullptr;
};

// Watches a window of the calling thread (a dialog under test): while the spy
// lives, each private message the window receives is added to the journal with
// its parameters before the window handles it, as "WM_SET_EXTRAS 3 1"; the two
// messages that carry a text show it, as "WM_SET_DESTINATION 1 C:", and the source's
// length is shown as the value its address points at, "WM_SET_SOURCE 5000 C:\A.DOC"
// (-1 for no source).
class MessageSpy {
 public:
  MessageSpy(HWND window, Journal& journal);
  ~MessageSpy();
  MessageSpy(const MessageSpy&) = delete;
  MessageSpy& operator=(const MessageSpy&) = delete;

 private:
  HWND window;
};

// Pumps the calling thread's messages until the handle is signalled or the timeout
// (milliseconds) has passed; true when it was signalled.
bool PumpUntilSignalled(HANDLE handle, DWORD timeout);
