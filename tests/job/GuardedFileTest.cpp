#include <doctest/doctest.h>

#include "framework/Texts.h"
#include "job/GuardedFile.h"
#include "support/Journal.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

using Entries = std::vector<std::string>;

namespace {

// Whether another open of the file, even one that shares everything, is refused.
bool HeldWithoutSharing(const std::string& path) {
  const DWORD everything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, everything, nullptr, OPEN_EXISTING, 0, nullptr);
  if (other == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(other);
  return false;
}

struct GuardedCall {
  std::string path;
  HWND owner;
  fw::File* file;
  bool result = false;
};

DWORD WINAPI CallOnWorker(void* argument) {
  auto* call = static_cast<GuardedCall*>(argument);
  call->result = CreateFileGuarded(call->path, *call->file, call->owner);
  return 0;
}

}  // namespace

TEST_CASE("CreateFileGuarded creates, asks before overwriting and reports failures") {
  fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  TempFolder folder;
  Journal journal;
  RecordingWindow progress(journal);
  std::string path = folder / "REPORT.000";
  fw::File file;

  SUBCASE("a missing file is created, empty and unshared, without a question") {
    ScriptedMessages boxes({}, &journal);
    REQUIRE(CreateFileGuarded(path, file, progress.Handle()));
    CHECK(file.IsOpen());
    CHECK(HeldWithoutSharing(path));
    CHECK(file.Write("abc", 3));
    CHECK(file.Close());
    CHECK(ReadWholeFile(path) == "abc");
    CHECK(journal.Entries().empty());
  }

  SUBCASE("an existing file is overwritten after Yes, with the animation stopped around the question") {
    WriteWholeFile(path, "old content");
    ScriptedMessages boxes({IDYES}, &journal);
    REQUIRE(CreateFileGuarded(path, file, progress.Handle()));
    uint64_t length = 1;
    CHECK((file.Length(length) && length == 0));
    CHECK(HeldWithoutSharing(path));
    CHECK(file.Close());
    CHECK(ReadWholeFile(path).empty());
    CHECK(journal.Entries() == Entries{"WM_ANIMATION_STOP", "box 144", "WM_ANIMATION_PLAY"});
    REQUIRE(boxes.Shown().size() == 1);
    ShownMessage question = boxes.Shown()[0];
    CHECK(question.text == "The file '" + path + "' already exists,\nI will overwrite it now ok?");
    CHECK(question.buttons == MB_YESNO);
    CHECK(question.icon == MB_ICONQUESTION);
  }

  SUBCASE("No leaves the existing file unchanged and the animation stopped") {
    WriteWholeFile(path, "old content");
    ScriptedMessages boxes({IDNO}, &journal);
    CHECK_FALSE(CreateFileGuarded(path, file, progress.Handle()));
    CHECK_FALSE(file.IsOpen());
    CHECK(ReadWholeFile(path) == "old content");
    CHECK(journal.Entries() == Entries{"WM_ANIMATION_STOP", "box 144"});
  }

  SUBCASE("a missing folder fails at the probe with text 145 and no question") {
    ScriptedMessages boxes({IDYES}, &journal);
    std::string inMissing = folder / "missing\\REPORT.000";
    CHECK_FALSE(CreateFileGuarded(inMissing, file, progress.Handle()));
    CHECK_FALSE(FileExists(folder / "missing"));
    CHECK(journal.Entries() == Entries{"WM_ANIMATION_STOP", "box 145"});
    REQUIRE(boxes.Shown().size() == 1);
    CHECK(boxes.Shown()[0].text == "The file '" + inMissing + "' could not be created!");
    CHECK(boxes.Shown()[0].buttons == MB_OK);
    CHECK(boxes.Shown()[0].icon == MB_ICONSTOP);
  }

  SUBCASE("a file held open without sharing is reported, never asked about or touched") {
    WriteWholeFile(path, "in use");
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(holder != INVALID_HANDLE_VALUE);
    ScriptedMessages boxes({IDYES}, &journal);
    CHECK_FALSE(CreateFileGuarded(path, file, progress.Handle()));
    CloseHandle(holder);
    CHECK(journal.Entries() == Entries{"WM_ANIMATION_STOP", "box 145"});
    CHECK(ReadWholeFile(path) == "in use");
  }

  SUBCASE("from a worker thread the messages reach the window through the real transport") {
    WriteWholeFile(path, "old content");
    ScriptedMessages boxes({IDYES}, &journal);
    GuardedCall call{path, progress.Handle(), &file};
    HANDLE worker = CreateThread(nullptr, 0, CallOnWorker, &call, 0, nullptr);
    REQUIRE(worker != nullptr);
    CHECK(PumpUntilSignalled(worker, 20000));
    CloseHandle(worker);
    CHECK(call.result);
    CHECK(journal.Entries() == Entries{"WM_ANIMATION_STOP", "box 144", "WM_ANIMATION_PLAY"});
  }
}
