// The benchmark's ceiling: the file work of the program's timed split and restore done by
// nothing but a ReadFile/WriteFile loop of 1 MiB blocks, run under the same Wine.
//
//   BareCopy split SOURCE PREFIX PIECE_BYTES   the source into PREFIX.000, PREFIX.001, ...
//                                              of PIECE_BYTES each (the last one shorter),
//                                              then the small file PREFIX.Split
//   BareCopy restore PREFIX COUNT TARGET       PREFIX.000 ... the COUNT-th piece, in order,
//                                              into TARGET
//
// No checksums, no progress, no questions. Any failed call ends it at once with status 1
// and one line that names the call; a command line it does not know, with status 2.
//
// The split writes one small file after the pieces, as the program writes its info file
// after its own: a file created, written and closed more is part of the split's file work,
// so the ceiling pays for it too. The restore takes the count on its command line instead
// of reading an info file; reading one small file is too little to show beside the pieces.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD BLOCK_BYTES = 1 << 20;
alignas(4096) char block[BLOCK_BYTES];

[[noreturn]] void Fail(const char* call, const char* path) {
  std::fprintf(stderr, "BareCopy: %s %s failed (error %lu)\n", call, path, GetLastError());
  ExitProcess(1);
}

HANDLE Open(const char* path, bool forWriting) {
  const DWORD access = forWriting ? GENERIC_WRITE : GENERIC_READ, sharing = forWriting ? 0 : FILE_SHARE_READ;
  HANDLE file = CreateFileA(path, access, sharing, nullptr, forWriting ? CREATE_ALWAYS : OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA", path);
  return file;
}

DWORD Read(HANDLE file, const char* path, unsigned long long atMost) {
  DWORD got = 0;
  if (!ReadFile(file, block, atMost < BLOCK_BYTES ? static_cast<DWORD>(atMost) : BLOCK_BYTES, &got, nullptr))
    Fail("ReadFile", path);
  return got;
}

void Write(HANDLE file, const char* path, const char* bytes, DWORD count) {
  DWORD written = 0;
  if (!WriteFile(file, bytes, count, &written, nullptr) || written != count) Fail("WriteFile", path);
}

void Close(HANDLE file, const char* path) {
  if (!CloseHandle(file)) Fail("CloseHandle", path);
}

struct PiecePath {
  char text[MAX_PATH];
  PiecePath(const char* prefix, unsigned index) {
    std::snprintf(text, sizeof text, "%s.%03u", prefix, index);
  }
};

void Split(const char* source, const char* prefix, unsigned long long pieceBytes) {
  HANDLE from = Open(source, false);
  unsigned long long total = 0;
  unsigned count = 0;
  for (bool sourceLeft = true; sourceLeft; ++count) {
    const PiecePath path(prefix, count);
    HANDLE piece = INVALID_HANDLE_VALUE;  // created with its first block: no empty last piece
    for (unsigned long long filled = 0; filled < pieceBytes;) {
      const DWORD got = Read(from, source, pieceBytes - filled);
      if (got == 0) { sourceLeft = false; break; }
      if (piece == INVALID_HANDLE_VALUE) piece = Open(path.text, true);
      Write(piece, path.text, block, got);
      filled += got;
      total += got;
    }
    if (piece == INVALID_HANDLE_VALUE) break;
    Close(piece, path.text);
  }
  Close(from, source);
  char info[MAX_PATH], text[64];
  std::snprintf(info, sizeof info, "%s.Split", prefix);
  const int length = std::snprintf(text, sizeof text, "%llu bytes in %u pieces\r\n", total, count);
  HANDLE file = Open(info, true);
  Write(file, info, text, static_cast<DWORD>(length));
  Close(file, info);
}

void Restore(const char* prefix, unsigned count, const char* target) {
  HANDLE to = Open(target, true);
  for (unsigned index = 0; index < count; ++index) {
    const PiecePath path(prefix, index);
    HANDLE piece = Open(path.text, false);
    for (DWORD got; (got = Read(piece, path.text, BLOCK_BYTES)) > 0;) Write(to, target, block, got);
    Close(piece, path.text);
  }
  Close(to, target);
}

// A positive whole number, or 0 when the text is not one.
unsigned long long Count(const char* text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  return *text >= '1' && *text <= '9' && *end == '\0' ? value : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "split") == 0 && Count(argv[4]) > 0) {
    Split(argv[2], argv[3], Count(argv[4]));
  } else if (argc == 5 && std::strcmp(argv[1], "restore") == 0 && Count(argv[3]) > 0 &&
             Count(argv[3]) <= 1000) {  // the program's most pieces
    Restore(argv[2], static_cast<unsigned>(Count(argv[3])), argv[4]);
  } else {
    std::fprintf(stderr, "usage: BareCopy split SOURCE PREFIX PIECE_BYTES | restore PREFIX COUNT TARGET\n");
    return 2;
  }
  return 0;
}
