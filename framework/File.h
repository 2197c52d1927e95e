// The file object: Open reports false and the cause; Read, Write, Flush, Close
// and Length throw FileError carrying the cause.
#pragma once
#include <cstdint>
#include <string>
#include <windows.h>

namespace fw {

struct FileError {
  DWORD cause;  // the system's error code
};

class File {
 public:
  enum Mode {
    READ_SHARE_READ,    // read; others may read but not write
    READ_SHARE_NONE,    // read; nobody else may open it
    CREATE_EXCLUSIVE,   // create or truncate for writing; nobody else may open it
    UPDATE_EXCLUSIVE,   // read and write an existing file; nobody else may open it
  };

  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens the file; on failure returns false and, when asked, the cause.
  bool Open(const std::string& path, Mode mode, DWORD* cause = nullptr);
  bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

  // Closes the file if it is open, ignoring any failure.
  void Abort();

#ifdef __cpp_exceptions
  // The calls that throw FileError, for code built to catch it.

  // Reads up to count bytes; returns how many were read (0 at the end).
  uint32_t Read(void* buffer, uint32_t count);
  // Writes all count bytes; a short write (a full disk) throws ERROR_DISK_FULL.
  void Write(const void* buffer, uint32_t count);
  // Flushes the written data to the medium.
  void Flush();
  // Closes the file; a failed close throws.
  void Close();
  // The length of the open file in bytes.
  uint64_t Length() const;
  // Cuts (or extends) the file to length bytes; the next write goes there.
  void SetLength(uint64_t length);
  // The next read or write goes to this position.
  void Seek(uint64_t position);
#endif

 private:
  HANDLE handle = INVALID_HANDLE_VALUE;
};

}  // namespace fw
