// Does to a running program what a person at its display, or a fault inside it, would:
//   Intruder.exe close PROGRAM.EXE   posts a close request to each of its visible windows
//   Intruder.exe fault PROGRAM.EXE   starts a thread in it at an address that holds no
//                                    code: the program crashes with an access violation
// The program is found by the file name of its process, in the same Wine prefix. The exit
// status is 0 when it was done, 1 when no such program runs or the system refused.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace {

DWORD FindProcess(const char* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, name) == 0) found = entry.th32ProcessID;
  CloseHandle(snapshot);
  return found;
}

struct CloseRequest {
  DWORD processId;
  int posted;
};

BOOL CALLBACK PostClose(HWND window, LPARAM requestAddress) {
  auto& request = *reinterpret_cast<CloseRequest*>(requestAddress);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == request.processId && IsWindowVisible(window) && PostMessageA(window, WM_CLOSE, 0, 0))
    ++request.posted;
  return TRUE;
}

bool CloseWindows(DWORD processId) {
  CloseRequest request{processId, 0};
  EnumWindows(PostClose, reinterpret_cast<LPARAM>(&request));
  return request.posted > 0;
}

bool Fault(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                   PROCESS_VM_READ | PROCESS_VM_WRITE,
                               FALSE, processId);
  if (!process) return false;
  auto nowhere = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<UINT_PTR>(16));
  HANDLE thread = CreateRemoteThread(process, nullptr, 0, nowhere, nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
  CloseHandle(process);
  return thread != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "close") != 0 && std::strcmp(argv[1], "fault") != 0)) {
    std::fprintf(stderr, "Usage: Intruder.exe close|fault PROGRAM.EXE\n");
    return 1;
  }
  DWORD processId = FindProcess(argv[2]);
  if (!processId) {
    std::fprintf(stderr, "Intruder: %s does not run\n", argv[2]);
    return 1;
  }
  bool done = std::strcmp(argv[1], "close") == 0 ? CloseWindows(processId) : Fault(processId);
  if (!done) std::fprintf(stderr, "Intruder: %s %s failed: error %lu\n", argv[1], argv[2], GetLastError());
  return done ? 0 : 1;
}
