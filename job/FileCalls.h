// The file calls of the work built without exception handling (the split, its extras and
// recovery set, the block copy and reads): each call that may throw a file error is made
// here, and answers whether it succeeded.
#pragma once
#include <cstdint>

#include "framework/File.h"

// The length of the open file.
bool FileLength(const fw::File& file, uint64_t& length);
// The next read or write goes to this position.
bool SeekFile(fw::File& file, uint64_t position);
// Reads up to count bytes where the file stands; got is 0 at its end.
bool ReadFileBlock(fw::File& file, void* bytes, uint32_t count, uint32_t& got);
// Writes all count bytes where the file stands (a short write is a failure).
bool WriteFileBlock(fw::File& file, const void* bytes, uint32_t count);
// Flushes what was written to the medium.
bool FlushFile(fw::File& file);
// Closes the file; false when the close failed (it is closed all the same).
bool CloseFile(fw::File& file);
