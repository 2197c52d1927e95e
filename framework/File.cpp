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
    case CREATE_SHARE_READ:
      access = GENERIC_WRITE, sharing = FILE_SHARE_READ, disposition = CREATE_ALWAYS;
      break;
    case READ_BESIDE_WRITER: sharing = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    case UPDATE_EXCLUSIVE: access = GENERIC_READ | GENERIC_WRITE; break;
  }
  handle = CreateFileA(path.c_str(), access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) return true;
  if (cause) *cause = GetLastError();
  return false;
}

bool File::Read(void* buffer, uint32_t count, uint32_t& got) {
  DWORD read = 0;
  const bool succeeded = ReadFile(handle, buffer, count, &read, nullptr);
  got = succeeded ? read : 0;
  return succeeded;
}

bool File::Write(const void* buffer, uint32_t count) {
  DWORD written = 0;
  if (!WriteFile(handle, buffer, count, &written, nullptr)) return false;
  if (written == count) return true;
  SetLastError(ERROR_DISK_FULL);
  return false;
}

bool File::Flush() { return FlushFileBuffers(handle); }

bool File::Close() {
  HANDLE closing = handle;
  handle = INVALID_HANDLE_VALUE;
  return CloseHandle(closing);
}

void File::Abort() {
  if (IsOpen()) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

// The calls with high parts, which every system has. Their failure value is also the
// low part of real lengths and positions (4 GiB - 1, 8 GiB - 1, ...): only the error
// code tells the two apart, and some systems leave it alone on success.
bool File::Length(uint64_t& length) const {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  DWORD low = GetFileSize(handle, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  length = static_cast<uint64_t>(high) << 32 | low;
  return true;
}

bool File::SetLength(uint64_t length) { return Seek(length) && SetEndOfFile(handle); }

bool File::Seek(uint64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(handle, static_cast<LONG>(static_cast<uint32_t>(position)), &high, FILE_BEGIN);
  return low != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

}  // namespace fw
