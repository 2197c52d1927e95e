// The progress animation clip: its AVI structure, that every frame decodes to a whole picture, and
// that the system's animation control opens it and shows its frames one after another.
#include <doctest/doctest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>
#include "framework/File.h"
#include "resource.h"

namespace {

constexpr int CLIP_WIDTH = 304;
constexpr int CLIP_HEIGHT = 60;
constexpr uint32_t CLIP_FRAMES = 24;

using Bytes = std::vector<uint8_t>;
using Picture = std::vector<uint32_t>;  // 0x00RRGGBB, rows top to bottom

// The clip in the source tree, as Wine sees it: its Z: drive is the Linux root.
std::string ClipPath() {
  std::string path = __FILE__;
  for (int i = 0; i < 3; ++i) path.erase(path.find_last_of("/\\"));
  path += "\\res\\ProgressAnimation.avi";
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path[0] == '\\' ? "Z:" + path : path;
}

Bytes ReadClip() {
  fw::File file;
  DWORD cause = 0;
  INFO("clip: ", ClipPath());
  REQUIRE(file.Open(ClipPath(), fw::File::READ_SHARE_READ, &cause));
  uint64_t length = 0;
  REQUIRE(file.Length(length));
  Bytes bytes(static_cast<size_t>(length));
  uint32_t got = 0;
  REQUIRE(file.Read(bytes.data(), static_cast<uint32_t>(bytes.size()), got));
  REQUIRE(got == bytes.size());
  return bytes;
}

uint32_t U32(const Bytes& b, size_t at) {
  REQUIRE(at + 4 <= b.size());
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t U16(const Bytes& b, size_t at) {
  REQUIRE(at + 2 <= b.size());
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

std::string Code(const Bytes& b, size_t at) {
  REQUIRE(at + 4 <= b.size());
  return std::string(reinterpret_cast<const char*>(&b[at]), 4);
}

struct Chunk {
  std::string id;    // for a LIST, the list's type
  size_t header;     // where the chunk's code starts
  size_t data;       // first byte of the contents (after a list's type)
  uint32_t size;     // bytes of contents (without a list's type)
};

// The chunks lying one after another in [begin, end); each must fit inside.
std::vector<Chunk> Chunks(const Bytes& b, size_t begin, size_t end) {
  std::vector<Chunk> chunks;
  while (begin < end) {
    REQUIRE(begin + 8 <= end);
    Chunk c{Code(b, begin), begin, begin + 8, U32(b, begin + 4)};
    REQUIRE(c.data + c.size <= end);
    if (c.id == "LIST") {
      REQUIRE(c.size >= 4);
      c.id = Code(b, c.data);
      c.data += 4;
      c.size -= 4;
    }
    chunks.push_back(c);
    begin = c.data + c.size + (c.size & 1);
  }
  return chunks;
}

Chunk Find(const std::vector<Chunk>& chunks, const std::string& id) {
  for (const Chunk& c : chunks) {
    if (c.id == id) return c;
  }
  FAIL("no chunk ", id);
  return {};
}

// Decodes a bottom-up RLE8 frame into palette indices, rows top to bottom: a key frame into
// fresh rows, where every line must be filled exactly; a later frame onto the rows of the
// frame before it, moving over what stays (delta codes, a line or the bitmap ended early).
// False for codes that leave the picture or a frame that does not end with the bitmap.
bool DecodeRle8(const uint8_t* data, size_t size, bool keyFrame, std::vector<uint8_t>& rows) {
  if (keyFrame) rows.assign(CLIP_WIDTH * CLIP_HEIGHT, 0);
  int x = 0, y = 0;
  size_t i = 0;
  while (i + 2 <= size) {
    int count = data[i], value = data[i + 1];
    i += 2;
    if (count > 0 || value >= 3) {
      bool absolute = count == 0;
      int length = absolute ? value : count;
      if (y >= CLIP_HEIGHT || x + length > CLIP_WIDTH || (absolute && i + length > size)) return false;
      uint8_t* line = &rows[(CLIP_HEIGHT - 1 - y) * CLIP_WIDTH];
      for (int k = 0; k < length; ++k) line[x + k] = absolute ? data[i + k] : static_cast<uint8_t>(value);
      x += length;
      if (absolute) i += length + (length & 1);
    } else if (value == 0) {
      if (keyFrame && x != CLIP_WIDTH) return false;
      x = 0;
      ++y;
    } else if (value == 1) {
      return (!keyFrame || (x == CLIP_WIDTH && y == CLIP_HEIGHT - 1)) && i == size;
    } else {
      if (keyFrame || i + 2 > size) return false;  // a key frame moves nowhere
      x += data[i];
      y += data[i + 1];
      i += 2;
      if (x > CLIP_WIDTH || y >= CLIP_HEIGHT) return false;
    }
  }
  return false;
}

struct Clip {
  Bytes file;
  std::vector<Chunk> top, header, stream;
  std::vector<Picture> frames;
};

// Parses the clip down to its decoded frames, checking the structure on the way.
Clip LoadClip() {
  Clip clip;
  clip.file = ReadClip();
  const Bytes& f = clip.file;
  REQUIRE(Code(f, 0) == "RIFF");
  REQUIRE(Code(f, 8) == "AVI ");
  REQUIRE(U32(f, 4) + 8 == f.size());
  clip.top = Chunks(f, 12, f.size());
  Chunk hdrl = Find(clip.top, "hdrl");
  clip.header = Chunks(f, hdrl.data, hdrl.data + hdrl.size);
  Chunk strl = Find(clip.header, "strl");
  clip.stream = Chunks(f, strl.data, strl.data + strl.size);

  Chunk strf = Find(clip.stream, "strf");
  REQUIRE(strf.size >= 40);
  uint32_t colours = U32(f, strf.data + 32) ? U32(f, strf.data + 32) : 256;
  REQUIRE(colours <= 256);
  REQUIRE(strf.size >= 40 + 4 * colours);
  std::vector<uint32_t> palette(256, 0xFFFFFFFF);  // an index outside the palette never matches a pixel
  for (uint32_t n = 0; n < colours; ++n) {
    size_t at = strf.data + 40 + 4 * n;  // blue, green, red, reserved
    palette[n] = f[at + 2] << 16 | f[at + 1] << 8 | f[at];
  }

  Chunk movi = Find(clip.top, "movi");
  Chunk idx1 = Find(clip.top, "idx1");
  REQUIRE(idx1.size == 16 * CLIP_FRAMES);
  std::vector<uint8_t> indices;
  for (uint32_t n = 0; n < CLIP_FRAMES; ++n) {
    size_t entry = idx1.data + 16 * n;
    CAPTURE(n);
    CHECK(Code(f, entry) == "00dc");
    // The first frame is a key frame, where the loop starts again; the others hold changes.
    bool keyFrame = n == 0;
    CHECK(((U32(f, entry + 4) & 0x10) != 0) == keyFrame);
    // Offsets count from the list's 'movi' code to the chunk's header.
    size_t chunk = movi.data - 4 + U32(f, entry + 8);
    uint32_t length = U32(f, entry + 12);
    REQUIRE(chunk + 8 + length <= movi.data + movi.size);
    REQUIRE(Code(f, chunk) == "00dc");
    REQUIRE(U32(f, chunk + 4) == length);
    REQUIRE(DecodeRle8(&f[chunk + 8], length, keyFrame, indices));
    Picture picture;
    for (uint8_t index : indices) picture.push_back(palette[index]);
    clip.frames.push_back(picture);
  }
  return clip;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// What the animation control shows right now, read back from its window.
Picture Capture(HWND control) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), CLIP_WIDTH, -CLIP_HEIGHT, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC screen = GetDC(control);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  REQUIRE(bitmap);
  HGDIOBJ old = SelectObject(memory, bitmap);
  CHECK(BitBlt(memory, 0, 0, CLIP_WIDTH, CLIP_HEIGHT, screen, 0, 0, SRCCOPY));
  GdiFlush();
  const uint32_t* pixels = static_cast<const uint32_t*>(bits);
  Picture picture;
  for (int n = 0; n < CLIP_WIDTH * CLIP_HEIGHT; ++n) picture.push_back(pixels[n] & 0xFFFFFF);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(control, screen);
  return picture;
}

void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  }
}

// A top-level window holding an animation control of the clip's size.
struct Stage {
  HWND host = nullptr;
  HWND control = nullptr;

  Stage() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_ANIMATE_CLASS};
    REQUIRE(InitCommonControlsEx(&controls));
    WNDCLASSA type{};
    type.lpfnWndProc = HostProc;
    type.hInstance = GetModuleHandleA(nullptr);
    type.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    type.lpszClassName = "ParvolaClipStage";
    RegisterClassA(&type);
    host = CreateWindowExA(WS_EX_TOPMOST, type.lpszClassName, "clip", WS_POPUP | WS_VISIBLE, 0, 0,
                           CLIP_WIDTH, CLIP_HEIGHT, nullptr, nullptr, type.hInstance, nullptr);
    REQUIRE(host);
    control = CreateWindowExA(0, ANIMATE_CLASSA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, CLIP_WIDTH,
                              CLIP_HEIGHT, host, nullptr, type.hInstance, nullptr);
    REQUIRE(control);
  }
  ~Stage() { DestroyWindow(host); }
};

// The frame of the clip that the picture shows, or -1.
int FrameShown(const Clip& clip, const Picture& picture) {
  for (size_t n = 0; n < clip.frames.size(); ++n) {
    if (clip.frames[n] == picture) return static_cast<int>(n);
  }
  return -1;
}

}  // namespace

TEST_CASE("the progress animation clip is a 24-frame RLE8 AVI of 304 by 60 pixels at 10 frames a second") {
  Clip clip = LoadClip();
  const Bytes& f = clip.file;

  SUBCASE("main header") {
    Chunk avih = Find(clip.header, "avih");
    REQUIRE(avih.size >= 56);
    CHECK(U32(f, avih.data) == 100000);             // microseconds per frame
    CHECK((U32(f, avih.data + 12) & 0x10) != 0);    // has an index
    CHECK(U32(f, avih.data + 16) == CLIP_FRAMES);
    CHECK(U32(f, avih.data + 24) == 1);             // streams
    CHECK(U32(f, avih.data + 32) == CLIP_WIDTH);
    CHECK(U32(f, avih.data + 36) == CLIP_HEIGHT);
  }

  SUBCASE("video stream") {
    Chunk strh = Find(clip.stream, "strh");
    REQUIRE(strh.size >= 56);
    CHECK(Code(f, strh.data) == "vids");
    CHECK(Code(f, strh.data + 4) == "mrle");
    CHECK(U32(f, strh.data + 20) == 1);   // scale
    CHECK(U32(f, strh.data + 24) == 10);  // rate: 10 / 1 frames a second
    CHECK(U32(f, strh.data + 32) == CLIP_FRAMES);
    // The control reads each frame into a buffer of the suggested size: every frame must fit.
    uint32_t buffer = U32(f, strh.data + 36);
    Chunk movi = Find(clip.top, "movi");
    for (const Chunk& frame : Chunks(f, movi.data, movi.data + movi.size)) CHECK(frame.size <= buffer);

    Chunk strf = Find(clip.stream, "strf");
    CHECK(U32(f, strf.data + 4) == CLIP_WIDTH);
    CHECK(U32(f, strf.data + 8) == CLIP_HEIGHT);  // positive: bottom-up
    CHECK(U16(f, strf.data + 12) == 1);
    CHECK(U16(f, strf.data + 14) == 8);
    CHECK(U32(f, strf.data + 16) == BI_RLE8);
  }

  SUBCASE("frames") {
    Chunk movi = Find(clip.top, "movi");
    std::vector<Chunk> chunks = Chunks(f, movi.data, movi.data + movi.size);
    CHECK(chunks.size() == CLIP_FRAMES);
    for (const Chunk& c : chunks) CHECK(c.id == "00dc");
    // The clip sits on a dialog: its corners are the dialog's grey.
    for (const Picture& frame : clip.frames) {
      CHECK(frame.front() == 0xC0C0C0);
      CHECK(frame.back() == 0xC0C0C0);
    }
    // The palette is stored blue first: the scissors' red handles must not turn blue.
    for (const Picture& frame : clip.frames) {
      CHECK(std::count(frame.begin(), frame.end(), 0xC81818u) > 0);
      CHECK(std::count(frame.begin(), frame.end(), 0x1818C8u) == 0);
    }
    // Frames all differ, and the last leads back into the first, so the loop has no still frame.
    std::set<Picture> distinct(clip.frames.begin(), clip.frames.end());
    CHECK(distinct.size() == CLIP_FRAMES);
  }
}

TEST_CASE("the animation control plays the clip in a loop") {
  Clip clip = LoadClip();
  Stage stage;

  SUBCASE("from the file") {
    std::string path = ClipPath();
    REQUIRE(SendMessageA(stage.control, ACM_OPENA, 0, reinterpret_cast<LPARAM>(path.c_str())));
    REQUIRE(SendMessageA(stage.control, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF)));
    std::set<int> seen;
    int unknown = 0;
    for (int sample = 0; sample < 60; ++sample) {
      PumpFor(45);
      int frame = FrameShown(clip, Capture(stage.control));
      if (frame < 0) {
        ++unknown;
      } else {
        seen.insert(frame);
      }
    }
    // The pictures the control shows are the clip's frames, decoded exactly, and it moves on.
    // A capture may now and then catch the control in the middle of painting a frame.
    CHECK(unknown <= 6);
    CHECK(seen.size() >= 12);
    CHECK(SendMessageA(stage.control, ACM_STOP, 0, 0));
    SendMessageA(stage.control, ACM_OPENA, 0, 0);
  }

  SUBCASE("from the program's resources, once they hold it") {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_PROGRESS_ANIMATION), "AVI");
    if (!found) {
      MESSAGE("the resources hold no clip yet");
      return;
    }
    DWORD size = SizeofResource(module, found);
    const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    REQUIRE(data);
    CHECK(Bytes(data, data + size) == clip.file);
    REQUIRE(SendMessageA(stage.control, ACM_OPENA, reinterpret_cast<WPARAM>(module),
                         reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDR_PROGRESS_ANIMATION))));
    CHECK(SendMessageA(stage.control, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF)));
    PumpFor(300);
    CHECK(FrameShown(clip, Capture(stage.control)) >= 0);
  }
}
