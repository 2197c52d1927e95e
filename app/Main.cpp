#include <cstdlib>
#include <windows.h>

#include "app/SplitApp.h"

// The one application object of the process.
static SplitApp application;

// When the dialog has closed, the process ends at once: a worker that still runs
// (the restore dialog may be left while a restore goes on) ends with it, and
// nothing it may still use is torn down under it first.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { ExitProcess(static_cast<UINT>(application.Run())); }

// The C++ runtime's error paths drag in a demangler, the exception classes, the
// unwinder and a second string implementation. The program throws nothing and is
// built without exception handling, so these end the process plainly, and so does
// an allocation that finds no memory: that keeps the program small enough to share a
// floppy with the last piece.
#ifdef __i386__
// The runtime libraries' locks (the exception unwinder's, that of thread-local data) wait
// on semaphores that they create through CreateSemaphoreW, which Windows 95, 98 and ME
// export only as a stub that fails: the locks would then not hold when two threads want
// one at once. The program gives them the ANSI call, which every system has, in the
// import's place; they create only unnamed semaphores.
namespace {
HANDLE WINAPI CreateUnnamedSemaphore(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name) {
  if (name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateSemaphoreA(security, initial, maximum, nullptr);
}
}  // namespace
extern "C" {
extern decltype(&CreateUnnamedSemaphore) const runtimeCreateSemaphore __asm__("__imp__CreateSemaphoreW@16");
decltype(&CreateUnnamedSemaphore) const runtimeCreateSemaphore = CreateUnnamedSemaphore;
}
#endif

void* operator new(std::size_t size) {
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  std::abort();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
}  // namespace std
