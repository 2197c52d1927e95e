#include <doctest/doctest.h>

#include <algorithm>

#include <windows.h>
#include <commctrl.h>

#include "framework/Texts.h"

#include "job/BlockCopier.h"
#include "job/Messages.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "support/Journal.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "ui/ProgressDialog.h"

namespace {

// A hidden top-level window that owns the progress dialog and records what it is told.
class OwnerWindow {
 public:
  OwnerWindow() {
    static ATOM windowClass = [] {
      WNDCLASSA description = {};
      description.lpfnWndProc = Procedure;
      description.hInstance = GetModuleHandleA(nullptr);
      description.lpszClassName = "ProgressOwnerForTests";
      return RegisterClassA(&description);
    }();
    (void)windowClass;
    window = CreateWindowA("ProgressOwnerForTests", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), this);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~OwnerWindow() { DestroyWindow(window); }
  HWND Handle() const { return window; }

  std::vector<UINT> messages;
  LPARAM closedDialog = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* owner = reinterpret_cast<OwnerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (owner && message >= WM_PROGRESS_CLOSED && message <= WM_WORK_FAILED) {
      owner->messages.push_back(message);
      if (message == WM_PROGRESS_CLOSED) owner->closedDialog = lParam;
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HWND window;
};

bool Finished(const OwnerWindow& owner) {
  int seen = 0;
  for (UINT message : owner.messages) seen += message == WM_PROGRESS_CLOSED || message == WM_WORK_DONE ||
                                              message == WM_WORK_FAILED;
  return seen == 2;
}

// The work's outcome; the close report may come before or after it.
UINT Outcome(const OwnerWindow& owner) {
  for (UINT message : owner.messages)
    if (message != WM_PROGRESS_CLOSED) return message;
  return 0;
}

std::string ItemText(const ProgressDialog& dialog, int id) { return test::WindowText(GetDlgItem(dialog.Handle(), id)); }

}  // namespace

TEST_CASE("the progress window shows what the worker reports") {
  fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  ScriptedMessages boxes;
  TempFolder folder;
  OwnerWindow owner;
  // The worker fails at once (no such source), but only once this thread pumps
  // messages: until then its first report waits, and the window is the test's.
  WorkerJob request{.sourcePath = folder / "missing.doc", .destinationPath = folder.Path(), .mode = JOB_SPLIT,
                    .pieceSize = SIZE_FLOPPY_144};
  auto* dialog = new ProgressDialog(request, false, owner.Handle());
  REQUIRE(dialog->Create(owner.Handle()));
  HWND window = dialog->Handle();
  ShowWindow(window, SW_SHOWNORMAL);

  SUBCASE("From and To lines, whole and shortened") {
    std::string longPath = "C:\\" + std::string(30, 'd') + "\\" + std::string(30, 'f') + ".000";
    SendMessageA(window, WM_SHOW_TO, 0, reinterpret_cast<LPARAM>(longPath.c_str()));
    CHECK(ItemText(*dialog, IDC_TO_LINE) == "To '" + longPath.substr(0, 23) + "..." + longPath.substr(longPath.size() - 23) + "'");
    SendMessageA(window, WM_SHOW_FROM, 0, reinterpret_cast<LPARAM>("C:\\DATA\\REPORT.DOC"));
    CHECK(ItemText(*dialog, IDC_FROM_LINE) == "From 'C:\\DATA\\REPORT.DOC'");
  }
  SUBCASE("the remaining time, and the values that leave it as it was") {
    CHECK(ItemText(*dialog, IDC_TIME_LINE).empty());
    SendMessageA(window, WM_SHOW_TIME_LEFT, 3725, 0);
    CHECK(ItemText(*dialog, IDC_TIME_LINE) == "Remaining time: 1 hour 2 minutes");
    SendMessageA(window, WM_SHOW_TIME_LEFT, 0, 0);
    SendMessageA(window, WM_SHOW_TIME_LEFT, 360000, 0);
    SendMessageA(window, WM_SHOW_TIME_LEFT, static_cast<WPARAM>(static_cast<uint32_t>(-5)), 0);
    CHECK(ItemText(*dialog, IDC_TIME_LINE) == "Remaining time: 1 hour 2 minutes");
  }
  SUBCASE("the progress bar runs from 0 to 1000") {
    HWND bar = GetDlgItem(window, IDC_PROGRESS_BAR);
    // The bar moves at its own pace: it shows a reported position within moments.
    auto showsSoon = [&](int position) {
      return test::WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) == position; }, 1000);
    };
    CHECK(SendMessageA(bar, PBM_GETRANGE, FALSE, 0) == 1000);
    CHECK(SendMessageA(bar, PBM_GETPOS, 0, 0) == 0);
    SendMessageA(window, WM_PROGRESS_POS, 500, 0);
    CHECK(showsSoon(500));
    // Blocks that leave the position where it was, then one that moves it back and
    // one back to the start: the bar follows every change, in either direction.
    SendMessageA(window, WM_PROGRESS_POS, 500, 0);
    CHECK(showsSoon(500));
    SendMessageA(window, WM_PROGRESS_POS, 499, 0);
    CHECK(showsSoon(499));
    SendMessageA(window, WM_PROGRESS_POS, 0, 0);
    CHECK(showsSoon(0));
    // A burst of reports: the bar ends on the last one.
    for (int position = 1; position <= 1000; ++position) PostMessageA(window, WM_PROGRESS_POS, position, 0);
    CHECK(showsSoon(1000));
  }
  SUBCASE("a split keeps its caption") { CHECK(test::WindowText(window) == "Splitting"); }
  SUBCASE("OK and Escape commands never end the window while its worker runs") {
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    CHECK(IsWindow(window));
    CHECK(IsWindowVisible(window));
  }

  // The worker ends: the window asks its owner to delete it and never deletes itself.
  REQUIRE(test::WaitFor([&] { return Finished(owner); }));
  CHECK(owner.closedDialog == reinterpret_cast<LPARAM>(dialog));
  CHECK(Outcome(owner) == WM_WORK_FAILED);
  CHECK(IsWindow(window));
  CHECK_FALSE(IsWindowVisible(window));
  REQUIRE(boxes.Shown().size() == 1);
  CHECK(boxes.Shown()[0].textId == IDS_CANNOT_READ);
  dialog->DestroyWindow();
  delete dialog;
}

TEST_CASE("Break and the close box only ask the worker to stop") {
  for (bool closeBox : {false, true}) {
    CAPTURE(closeBox);
    TempFolder folder;
    std::string source = folder / "big.bin";
    WriteWholeFile(source, test::PatternBytes(4 << 20));
    ScriptedMessages boxes({IDYES});
    OwnerWindow owner;
    constexpr int32_t PIECE_BYTES = 1 << 20;
    WorkerJob request{
        .sourcePath = source, .destinationPath = folder.Path(), .mode = JOB_SPLIT, .pieceSize = PIECE_BYTES};
    auto* dialog = new ProgressDialog(request, false, owner.Handle());
    REQUIRE(dialog->Create(owner.Handle()));
    ShowWindow(dialog->Handle(), SW_SHOWNORMAL);
    // The worker waits for its first report until this thread pumps: the stop
    // request is there before its first block is written.
    if (closeBox)
      SendMessageA(dialog->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    else
      SendMessageA(dialog->Handle(), WM_COMMAND, MAKEWPARAM(IDC_BREAK, BN_CLICKED), 0);
    CHECK(IsWindowVisible(dialog->Handle()));
    CHECK(owner.messages.empty());
    REQUIRE(test::WaitFor([&] { return Finished(owner); }));
    CHECK(Outcome(owner) == WM_WORK_FAILED);
    REQUIRE(boxes.Shown().size() == 1);
    CHECK(boxes.Shown()[0].textId == IDS_ABORT_SPLIT);
    // Only the first block was written before the question (a block ends with its piece).
    CHECK(ReadWholeFile(folder / "big.000").size() == std::min<size_t>(FIXED_DISK_BLOCK_BYTES, PIECE_BYTES));
    dialog->DestroyWindow();
    delete dialog;
  }
}

TEST_CASE("a restore window is captioned in German in every language") {
  ScriptedMessages boxes;
  OwnerWindow owner;
  // The restore has no info file to read: it fails at once.
  WorkerJob request{.sourcePath = "", .destinationPath = "C:\\", .mode = JOB_RESTORE};
  auto* dialog = new ProgressDialog(request, false, owner.Handle());
  REQUIRE(dialog->Create(owner.Handle()));
  CHECK(test::WindowText(dialog->Handle()) == "Wiederherstellen");
  REQUIRE(test::WaitFor([&] { return Finished(owner); }));
  CHECK(Outcome(owner) == WM_WORK_FAILED);
  REQUIRE(boxes.Shown().size() == 1);
  CHECK(boxes.Shown()[0].textId == IDS_INFO_FILE_UNREADABLE);
  dialog->DestroyWindow();
  delete dialog;
}
