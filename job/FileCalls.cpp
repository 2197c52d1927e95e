#include "job/FileCalls.h"

namespace {

// Runs the call; a file error it raises is a failure.
template <typename Call>
bool Succeeded(Call call) {
  try {
    call();
  } catch (const fw::FileError&) {
    return false;
  }
  return true;
}

}  // namespace

bool FileLength(const fw::File& file, uint64_t& length) {
  return Succeeded([&] { length = file.Length(); });
}

bool SeekFile(fw::File& file, uint64_t position) {
  return Succeeded([&] { file.Seek(position); });
}

bool ReadFileBlock(fw::File& file, void* bytes, uint32_t count, uint32_t& got) {
  got = 0;
  return Succeeded([&] { got = file.Read(bytes, count); });
}

bool WriteFileBlock(fw::File& file, const void* bytes, uint32_t count) {
  return Succeeded([&] { file.Write(bytes, count); });
}

bool FlushFile(fw::File& file) {
  return Succeeded([&] { file.Flush(); });
}

bool CloseFile(fw::File& file) {
  return Succeeded([&] { file.Close(); });
}
