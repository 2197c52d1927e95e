#include "support/Journal.h"

#include <commctrl.h>

#include "framework/Texts.h"
#include "job/Messages.h"

void Journal::Add(std::string entry) {
  EnterCriticalSection(&lock);
  entries.push_back(std::move(entry));
  LeaveCriticalSection(&lock);
}

std::vector<std::string> Journal::Entries() const {
  EnterCriticalSection(&lock);
  std::vector<std::string> copy = entries;
  LeaveCriticalSection(&lock);
  return copy;
}

namespace {

const char* const CLASS_NAME = "ParvolaTestRecorder";

std::string MessageName(UINT message) {
  static const char* const NAMES[] = {"WM_SET_SOURCE",      "WM_SET_DESTINATION", "WM_SET_SIZE_OPTION",
                                      "WM_SET_EXTRAS",      "WM_SET_REGISTRATION", "WM_PROGRESS_CLOSED",
                                      "WM_WORK_DONE",       "WM_WORK_FAILED",     "WM_ANIMATION_STOP",
                                      "WM_ANIMATION_PLAY",  "WM_PROGRESS_POS",    "WM_SHOW_FROM",
                                      "WM_SHOW_TO",         "WM_SHOW_TIME_LEFT",  "WM_AUTO_START"};
  if (message >= WM_SET_SOURCE && message <= WM_AUTO_START) return NAMES[message - WM_SET_SOURCE];
  return fw::Format("message %u", message);
}

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER) {
    reinterpret_cast<Journal*>(GetWindowLongPtrA(window, GWLP_USERDATA))->Add(MessageName(message));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK SpyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR journal) {
  if (message >= WM_SET_SOURCE && message <= WM_AUTO_START) {
    bool withText = message == WM_SET_SOURCE || message == WM_SET_DESTINATION;
    std::string name = MessageName(message);
    // The source's length travels by address, 64 bits wide; the others as 32-bit values.
    std::string first = message == WM_SET_SOURCE ? std::to_string(*reinterpret_cast<const int64_t*>(wParam))
                                                 : std::to_string(static_cast<uint32_t>(wParam));
    reinterpret_cast<Journal*>(journal)->Add(
        withText ? fw::Format("%s %s %s", name.c_str(), first.c_str(), reinterpret_cast<const char*>(lParam))
                 : fw::Format("%s %s %d", name.c_str(), first.c_str(), static_cast<int>(lParam)));
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

MessageSpy::MessageSpy(HWND window, Journal& journal) : window(window) {
  SetWindowSubclass(window, SpyProcedure, 1, reinterpret_cast<DWORD_PTR>(&journal));
}

MessageSpy::~MessageSpy() {
  if (IsWindow(window)) RemoveWindowSubclass(window, SpyProcedure, 1);
}

RecordingWindow::RecordingWindow(Journal& journal) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = RecordingProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = CLASS_NAME;
  RegisterClassA(&windowClass);  // fails harmlessly when a previous window registered it
  window = CreateWindowExA(0, CLASS_NAME, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance,
                           nullptr);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&journal));
}

RecordingWindow::~RecordingWindow() { DestroyWindow(window); }

bool PumpUntilSignalled(HANDLE handle, DWORD timeout) {
  DWORD deadline = GetTickCount() + timeout;
  for (;;) {
    DWORD now = GetTickCount();
    DWORD left = static_cast<int32_t>(deadline - now) > 0 ? deadline - now : 0;
    DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}
