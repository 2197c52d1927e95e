#include "framework/File.h"

namespace fw {

File::~File() { Abort(); }

bool File::Open(const std::string& path, Mode mode, DWORD* cause) {
  Abort();
  DWORD access = GENERIC_READ, sharing = 0, disposition = OPEN_EXISTING;
  switch (mode) {
    case READ_SHARE_READ: sharing = FILE_SHARE_READ; break;
    case READ_SHARE_NONE: break;
    case CREATE_EXCLUSIVE: access = GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
  }
  handle = CreateFileA(path.c_str(), access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) return true;
  if (cause) *cause = GetLastError();
  return false;
}

uint32_t File::Read(void* buffer, uint32_t count) {
  DWORD read = 0;
  if (!ReadFile(handle, buffer, count, &read, nullptr)) throw FileError{GetLastError()};
  return read;
}

void File::Write(const void* buffer, uint32_t count) {
  DWORD written = 0;
  if (!WriteFile(handle, buffer, count, &written, nullptr)) throw FileError{GetLastError()};
  if (written != count) throw FileError{ERROR_DISK_FULL};
}

void File::Flush() {
  if (!FlushFileBuffers(handle)) throw FileError{GetLastError()};
}

void File::Close() {
  HANDLE closing = handle;
  handle = INVALID_HANDLE_VALUE;
  if (!CloseHandle(closing)) throw FileError{GetLastError()};
}

void File::Abort() {
  if (IsOpen()) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

uint64_t File::Length() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle, &size)) throw FileError{GetLastError()};
  return static_cast<uint64_t>(size.QuadPart);
}

void File::SetLength(uint64_t length) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(length);
  if (!SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) || !SetEndOfFile(handle))
    throw FileError{GetLastError()};
}

}  // namespace fw
