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
    case UPDATE_EXCLUSIVE: access = GENERIC_READ | GENERIC_WRITE; break;
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

// The calls with high parts, which every system has. Their failure value is also the
// low part of real lengths and positions (4 GiB - 1, 8 GiB - 1, ...): only the error
// code tells the two apart, and some systems leave it alone on success.
uint64_t File::Length() const {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD low = GetFileSize(handle, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) throw FileError{GetLastError()};
  return static_cast<uint64_t>(high) << 32 | low;
}

void File::SetLength(uint64_t length) {
  Seek(length);
  if (!SetEndOfFile(handle)) throw FileError{GetLastError()};
}

void File::Seek(uint64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(handle, static_cast<LONG>(static_cast<uint32_t>(position)), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) throw FileError{GetLastError()};
}

}  // namespace fw
