// The file object: every call answers whether it succeeded, and a failed call leaves the
// system's error code for GetLastError. Nothing here throws: the program is built without
// exception handling, whose unwinder and tables would take a sixth of it.
#pragma once
#include <cstdint>
#include <string>
#include <windows.h>

namespace fw {

class File {
 public:
  enum Mode {
    READ_SHARE_READ,    // read; others may read but not write
    READ_SHARE_NONE,    // read; nobody else may open it
    CREATE_EXCLUSIVE,   // create or truncate for writing; nobody else may open it
    CREATE_SHARE_READ,  // create or truncate for writing; others may read but not write
    READ_BESIDE_WRITER, // read a file that its writer still has open (CREATE_SHARE_READ)
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

  // Reads up to count bytes where the file stands; got is how many were read (0 at its end).
  bool Read(void* buffer, uint32_t count, uint32_t& got);
  // Writes all count bytes; a short write (a full disk) fails with ERROR_DISK_FULL.
  bool Write(const void* buffer, uint32_t count);
  // Flushes the written data to the medium.
  bool Flush();
  // Closes the file; it is closed even when the close failed.
  bool Close();
  // The length of the open file in bytes.
  bool Length(uint64_t& length) const;
  // Cuts (or extends) the file to length bytes; the next write goes there.
  bool SetLength(uint64_t length);
  // The next read or write goes to this position.
  bool Seek(uint64_t position);

 private:
  HANDLE handle = INVALID_HANDLE_VALUE;
};

}  // namespace fw
