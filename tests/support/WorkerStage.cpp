#include "support/WorkerStage.h"

#include <algorithm>
#include <commctrl.h>
#include <doctest/doctest.h>

#include "framework/Texts.h"
#include "job/Messages.h"
#include "res/resource.h"
#include "support/TestSupport.h"
#include "support/UnixScript.h"

namespace {

std::string Describe(UINT message, WPARAM wParam, LPARAM lParam) {
  static const char* const NAMES[] = {"WM_PROGRESS_CLOSED", "WM_WORK_DONE",      "WM_WORK_FAILED",
                                      "WM_ANIMATION_STOP",  "WM_ANIMATION_PLAY", "WM_PROGRESS_POS",
                                      "WM_SHOW_FROM",       "WM_SHOW_TO",        "WM_SHOW_TIME_LEFT"};
  std::string entry = InSendMessage() ? "send " : "post ";
  if (message == WM_CLOSE) return entry + "WM_CLOSE";
  entry += NAMES[message - WM_PROGRESS_CLOSED];
  if (message == WM_SHOW_FROM || message == WM_SHOW_TO)
    return entry + ' ' + reinterpret_cast<const char*>(lParam);
  if (message == WM_PROGRESS_POS || message == WM_SHOW_TIME_LEFT)
    return entry + ' ' + std::to_string(static_cast<uint32_t>(wParam));
  return entry;
}

bool IsRecorded(UINT message) {
  return message == WM_CLOSE || (message >= WM_PROGRESS_CLOSED && message <= WM_SHOW_TIME_LEFT);
}

INT_PTR CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  auto* stage = reinterpret_cast<WorkerStage*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!stage || !IsRecorded(message)) return FALSE;
  stage->journal.Add(Describe(message, wParam, lParam));
  return TRUE;
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* stage = reinterpret_cast<WorkerStage*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!stage || !IsRecorded(message)) return DefWindowProcA(window, message, wParam, lParam);
  stage->journal.Add(Describe(message, wParam, lParam));
  if (message == WM_WORK_DONE || message == WM_WORK_FAILED) SetEvent(stage->ended);
  return 0;
}

}  // namespace

WorkerStage::WorkerStage() {
  fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSA ownerClass = {};
  ownerClass.lpfnWndProc = OwnerProcedure;
  ownerClass.hInstance = GetModuleHandleA(nullptr);
  ownerClass.lpszClassName = "ParvolaTestOwner";
  RegisterClassA(&ownerClass);  // fails harmlessly when an earlier stage registered it
  owner = CreateWindowExA(0, ownerClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                          nullptr, ownerClass.hInstance, nullptr);
  REQUIRE(owner != nullptr);
  SetWindowLongPtrA(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  progress = CreateDialogIndirectParamA(fw::ResourceModule(), fw::FindDialogTemplate(IDD_PROGRESS), owner,
                                        ProgressProcedure, reinterpret_cast<LPARAM>(this));
  REQUIRE(progress != nullptr);
  stop = StopRequest::Create();
  REQUIRE(stop != nullptr);
  ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

WorkerStage::~WorkerStage() {
  DestroyWindow(progress);
  DestroyWindow(owner);
  CloseHandle(ended);
  stop->Release();
}

WorkerJob WorkerStage::Job(const std::string& source, const std::string& destination, int32_t pieceSize,
                           uint32_t extras) const {
  WorkerJob job;
  job.progressDialog = progress;
  job.stop = stop;
  job.sourcePath = source;
  job.destinationPath = destination;
  job.pieceSize = pieceSize;
  job.extrasFlags = extras;
  return job;
}

std::string WorkerStage::Run(WorkerBody worker, const WorkerJob& job) {
  Start(worker, job);
  return AwaitEnd();
}

void WorkerStage::Start(WorkerBody worker, const WorkerJob& job) {
  REQUIRE(job.progressDialog == progress);
  ResetEvent(ended);
  REQUIRE(StartWorker(job, worker));
}

std::string WorkerStage::AwaitEnd() {
  REQUIRE_MESSAGE(PumpUntilSignalled(ended, 60000), "the worker did not end");
  std::vector<std::string> entries = Entries();
  REQUIRE(entries.size() >= 2);
  return entries[entries.size() - 2] + " | " + entries.back();
}

std::vector<std::string> WorkerStage::Only(const std::string& name) const {
  std::vector<std::string> found;
  for (const std::string& entry : Entries()) {
    size_t start = entry.find(' ') + 1;  // past "send " or "post "; 0 for "box ..."
    if (entry.compare(entry.starts_with("box") ? 0 : start, name.size(), name) == 0) found.push_back(entry);
  }
  return found;
}

std::string First(const std::vector<std::string>& entries) {
  REQUIRE_FALSE(entries.empty());
  return entries.front();
}

std::string Last(const std::vector<std::string>& entries) {
  REQUIRE_FALSE(entries.empty());
  return entries.back();
}

ShownMessage Box(const ScriptedMessages& boxes, int place) {
  std::vector<ShownMessage> shown = boxes.Shown();
  int index = place < 0 ? static_cast<int>(shown.size()) + place : place;
  REQUIRE_MESSAGE((index >= 0 && index < static_cast<int>(shown.size())), "no box at place ", place);
  return shown[static_cast<size_t>(index)];
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> WorkerStage::Dialogue() const {
  std::vector<std::string> found;
  for (const std::string& entry : Entries())
    if (entry.starts_with("box") || entry.find("WM_ANIMATION") != std::string::npos) found.push_back(entry);
  return found;
}

bool WorkerStage::ProgressRoseToEnd() const {
  unsigned last = 0;
  for (const std::string& entry : Only("WM_PROGRESS_POS")) {
    const unsigned position = static_cast<unsigned>(std::stoul(entry.substr(entry.rfind(' ') + 1)));
    if (position < last || position > 1000) return false;
    last = position;
  }
  return last == 1000;
}

// The counter replaces the two functions in the test program's import table: the
// program's code, linked into it, calls them through that table.
namespace {

using WriteFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
using FlushFunction = BOOL(WINAPI*)(HANDLE);
WriteFunction originalWrite = nullptr;
FlushFunction originalFlush = nullptr;
DWORD testThread = 0;
Journal fileCalls;
size_t writesCounted = 0;  // by the present counter
std::vector<std::pair<size_t, std::function<void()>>> writeActions;

void** ImportSlot(const char* function) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* headers =
      reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  DWORD imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); library->Name; ++library) {
    auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; name->u1.AddressOfData; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
      if (strcmp(reinterpret_cast<char*>(byName->Name), function) == 0)
        return reinterpret_cast<void**>(&slot->u1.Function);
    }
  }
  return nullptr;
}

void* Replace(const char* function, void* replacement) {
  void** slot = ImportSlot(function);
  REQUIRE(slot != nullptr);
  DWORD protection;
  VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
  void* previous = *slot;
  *slot = replacement;
  VirtualProtect(slot, sizeof(*slot), protection, &protection);
  return previous;
}

BOOL WINAPI CountedWrite(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
  if (GetCurrentThreadId() != testThread && !WritingUnixScript()) {
    fileCalls.Add("W" + std::to_string(count));
    ++writesCounted;
    for (auto& [number, action] : writeActions)
      if (number == writesCounted) action();
  }
  return originalWrite(file, data, count, written, overlapped);
}

BOOL WINAPI CountedFlush(HANDLE file) {
  if (GetCurrentThreadId() != testThread) fileCalls.Add("F");
  return originalFlush(file);
}

}  // namespace

FileCallCounter::FileCallCounter() : start(fileCalls.Entries().size()) {
  testThread = GetCurrentThreadId();
  writesCounted = 0;
  originalWrite =
      reinterpret_cast<WriteFunction>(Replace("WriteFile", reinterpret_cast<void*>(CountedWrite)));
  originalFlush =
      reinterpret_cast<FlushFunction>(Replace("FlushFileBuffers", reinterpret_cast<void*>(CountedFlush)));
}

FileCallCounter::~FileCallCounter() {
  writeActions.clear();
  Replace("WriteFile", reinterpret_cast<void*>(originalWrite));
  Replace("FlushFileBuffers", reinterpret_cast<void*>(originalFlush));
}

std::string FileCallCounter::Calls() const {
  std::string calls;
  std::vector<std::string> entries = fileCalls.Entries();
  for (size_t index = start; index < entries.size(); ++index) calls += entries[index][0];
  return calls;
}

void FileCallCounter::BeforeWrite(size_t number, std::function<void()> action) {
  writeActions.emplace_back(number, std::move(action));
}

std::vector<uint32_t> FileCallCounter::WriteSizes() const {
  std::vector<uint32_t> sizes;
  std::vector<std::string> entries = fileCalls.Entries();
  for (size_t index = start; index < entries.size(); ++index)
    if (entries[index][0] == 'W')
      sizes.push_back(static_cast<uint32_t>(std::stoul(entries[index].substr(1))));
  return sizes;
}

