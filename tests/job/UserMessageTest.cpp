#include <doctest/doctest.h>

#include "framework/Texts.h"
#include "job/UserMessage.h"
#include "res/resource.h"

namespace {

struct BoxCall {
  int answer = 0;
};

DWORD WINAPI AskOnWorker(void* argument) {
  auto* call = static_cast<BoxCall*>(argument);
  call->answer = ShowUserText(IDS_OVERWRITE, "C:\\OUT\\REPORT.000", MB_YESNO | MB_ICONQUESTION);
  return 0;
}

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  if (std::string(className) != "#32770") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

TEST_CASE("without a hook the real message box is shown from the calling thread") {
  fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  BoxCall call;
  DWORD threadId = 0;
  HANDLE worker = CreateThread(nullptr, 0, AskOnWorker, &call, 0, &threadId);
  REQUIRE(worker != nullptr);

  HWND box = nullptr;
  for (int attempt = 0; attempt < 200 && !box; ++attempt) {
    Sleep(50);
    EnumThreadWindows(threadId, FindBox, reinterpret_cast<LPARAM>(&box));
  }
  REQUIRE_MESSAGE(box != nullptr, "no message box appeared on the calling thread");
  char caption[64] = {}, text[256] = {};
  GetWindowTextA(box, caption, sizeof(caption));
  GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));  // the box's text label
  CHECK(std::string(caption) == "Parvola 95");
  CHECK(std::string(text) == "The file 'C:\\OUT\\REPORT.000' already exists,\nI will overwrite it now ok?");
  CHECK(GetDlgItem(box, IDYES) != nullptr);
  PostMessageA(box, WM_COMMAND, IDNO, 0);

  CHECK(WaitForSingleObject(worker, 20000) == WAIT_OBJECT_0);
  CloseHandle(worker);
  CHECK(call.answer == IDNO);
}
