// The program's own ways where an older system lacks a function: each gives what the
// newer function gives, here on a system that has both.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "framework/File.h"
#include "framework/SystemFunctions.h"
#include "framework/Texts.h"
#include "shell/ShellPaths.h"
#include "support/TestFiles.h"

namespace {

// The lookup finds the system's own functions again at the end of each test.
struct StandIns {
  ~StandIns() { fw::ForgetSystemFunctionStandIns(); }
  template <typename Function>
  void Put(const char* name, Function* function) {
    fw::StandInForSystemFunction(name, reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function)));
  }
  void Remove(const char* name) { fw::StandInForSystemFunction(name, nullptr); }
};

DWORD askedFeature = 0;
BOOL WINAPI FeatureAbsent(DWORD feature) {
  askedFeature = feature;
  return FALSE;
}

DWORD askedClasses = 0;
BOOL answerOfControlsEx = TRUE;
BOOL WINAPI RecordControls(const INITCOMMONCONTROLSEX* controls) {
  askedClasses = controls->dwICC;
  return answerOfControlsEx;
}
int allControlsStarted = 0;
void WINAPI RecordAllControls() { ++allControlsStarted; }

}  // namespace

TEST_CASE("the interface language comes out the same where the system cannot tell it") {
  StandIns standIns;
  fw::ChooseLanguage(0);
  LANGID told = fw::ChosenLanguage();
  standIns.Remove("GetUserDefaultUILanguage");
  fw::ChooseLanguage(0);
  CHECK(fw::ChosenLanguage() == told);
  // The German run sets a German interface (see tests/CMakeLists.txt).
  char expectGerman[2];
  bool german = GetEnvironmentVariableA("PARVOLA_EXPECT_GERMAN", expectGerman, sizeof expectGerman) > 0;
  CHECK(told == (german ? MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN) : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
  fw::ChooseLanguage(0);
}

TEST_CASE("the dialogs' controls are there with InitCommonControlsEx and with InitCommonControls alone") {
  StandIns standIns;
  standIns.Put("InitCommonControlsEx", &RecordControls);
  standIns.Put("InitCommonControls", &RecordAllControls);
  // The newer call where it works; the older one where it fails or is absent.
  for (BOOL answer : {TRUE, FALSE}) {
    CAPTURE(answer);
    answerOfControlsEx = answer;
    allControlsStarted = 0;
    fw::StartCommonControls();
    CHECK(askedClasses == ICC_WIN95_CLASSES);
    CHECK(allControlsStarted == (answer ? 0 : 1));
  }
  standIns.Remove("InitCommonControlsEx");
  fw::StartCommonControls();
  CHECK(allControlsStarted == 2);
  fw::ForgetSystemFunctionStandIns();
  fw::StartCommonControls();
  for (const char* kind : {WC_TABCONTROLA, PROGRESS_CLASSA, ANIMATE_CLASSA, UPDOWN_CLASSA}) {
    CAPTURE(kind);
    HWND control = CreateWindowExA(0, kind, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CHECK(control != nullptr);
    DestroyWindow(control);
  }
}

TEST_CASE("the desktop folder from the shell's item list is the one the shell names") {
  char named[MAX_PATH] = "";
  REQUIRE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, named)));
  CHECK(DesktopFolderPath() == named);
  CHECK((GetFileAttributesA(DesktopFolderPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

TEST_CASE("vector registers count as saved only where the system says so") {
  StandIns standIns;
  CHECK(fw::SystemSavesVectorRegisters());  // every system that runs the tests does
  standIns.Put("IsProcessorFeaturePresent", &FeatureAbsent);
  CHECK_FALSE(fw::SystemSavesVectorRegisters());
  CHECK(askedFeature == PF_XMMI64_INSTRUCTIONS_AVAILABLE);
  standIns.Remove("IsProcessorFeaturePresent");
  CHECK_FALSE(fw::SystemSavesVectorRegisters());
}

TEST_CASE("lengths past 4 GiB through the calls with high parts, the ambiguous ones too") {
  TempFolder folder;
  fw::File file;
  REQUIRE(file.Open(folder / "SPARSE.BIN", fw::File::CREATE_EXCLUSIVE));
  // 4 GiB - 1 and 8 GiB - 1 have the low part that also means failure.
  for (uint64_t length : {uint64_t{0xFFFFFFFF}, uint64_t{0x100000005}, uint64_t{0x1FFFFFFFF}, uint64_t{17}}) {
    CAPTURE(length);
    REQUIRE(file.SetLength(length));
    uint64_t measured = 0;
    CHECK(file.Length(measured));
    CHECK(measured == length);
  }
  CHECK(file.Close());
}
