#include <doctest/doctest.h>

#include "res/resource.h"
#include "support/ProgramRegistry.h"
#include "support/TestSupport.h"

namespace {

const char* const CAPTION = "Parvola 95 (Olvanta)";

// What the shell runs for a verb: its registered command with the file put in for %1.
std::string VerbCommand(const char* commandKey, const std::string& file) {
  std::string command = ProgramRegistry::ClassesText(commandKey);
  size_t placeholder = command.find("%1");
  REQUIRE(placeholder != std::string::npos);
  return command.replace(placeholder, 2, file);
}

// Starts a command line as the shell would (in folder, when given) and returns its process.
PROCESS_INFORMATION StartCommand(std::string commandLine, const std::string& folder = std::string()) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  REQUIRE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         folder.empty() ? nullptr : folder.c_str(), &startup, &info));
  CloseHandle(info.hThread);
  return info;
}

HWND DialogOf(DWORD processId) {
  HWND found = nullptr;
  test::WaitFor([&] {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == processId && IsWindowVisible(window) && test::WindowText(window) == CAPTION) found = window;
    }
    return found != nullptr;
  });
  return found;
}

}  // namespace

TEST_CASE("split with the info file, then restore through the registered restore verb") {
  ProgramRegistry registry;
  TempFolder source, pieces, restored;
  std::string original = test::PatternBytes(3 * 65536 + 1234, 11);
  WriteWholeFile(source / "Quarterly Report.doc", original);

  // An attended start registers the verbs; the split itself runs unattended.
  {
    test::RunningProgram program("");
    HWND dialog = program.FindWindowByCaption(CAPTION);
    REQUIRE(dialog);
    test::PressButton(dialog, IDCANCEL);
    REQUIRE(program.WaitForExit());
  }
  {
    test::RunningProgram split("/s \"" + (source / "Quarterly Report.doc") + "\" /nk 64 /or /nd \"" +
                               pieces.Path() + "\"");
    REQUIRE(split.WaitForExit(30000));
  }
  for (const char* piece : {"Quarterly Report.000", "Quarterly Report.001", "Quarterly Report.002",
                            "Quarterly Report.003", "Quarterly Report.Split"})
    CHECK(FileExists(pieces / piece));
  CHECK_FALSE(FileExists(pieces / "Quarterly Report.004"));

  // The shell's right click on the info file: the restore dialog of the registered program.
  PROCESS_INFORMATION restore =
      StartCommand(VerbCommand("ParvolaFile\\shell\\UnSplit\\command", pieces / "Quarterly Report.Split"));
  HWND dialog = DialogOf(restore.dwProcessId);
  REQUIRE(dialog);
  CHECK(GetDlgItem(dialog, IDC_DESTINATION_EDIT) != nullptr);
  test::SetControlText(dialog, IDC_DESTINATION_EDIT, restored.Path());
  test::PressButton(dialog, IDOK);
  HWND box = nullptr;
  REQUIRE(test::WaitFor([&] {
    for (HWND window = GetTopWindow(nullptr); window && !box; window = GetWindow(window, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == restore.dwProcessId && test::WindowText(window) == "Parvola 95" && IsWindowVisible(window))
        box = window;
    }
    return box != nullptr;
  }));
  CHECK(test::MessageBoxText(box) == "The file was restored.");
  test::AnswerMessageBox(box, IDOK);
  CHECK(WaitForSingleObject(restore.hProcess, 15000) == WAIT_OBJECT_0);
  CloseHandle(restore.hProcess);
  CHECK(ReadWholeFile(restored / "Quarterly Report.doc") == original);
}

TEST_CASE("an info file named without its extension is found, and the restore runs unattended") {
  TempFolder pieces, restored;
  std::string original = test::PatternBytes(70000, 5);
  WriteWholeFile(pieces / "DATA.000", original.substr(0, 40000));
  WriteWholeFile(pieces / "DATA.001", original.substr(40000));
  WriteWholeFile(pieces / "DATA.split", "<ORIGINALNAME>DATA.BIN\r\n<#FILES>2\r\n<SIZE>70000");
  test::RunningProgram program("/u \"" + (pieces / "DATA") + "\" /nd \"" + restored.Path() + "\"");
  REQUIRE(program.WaitForExit(30000));
  CHECK(ReadWholeFile(restored / "DATA.BIN") == original);
}

TEST_CASE("started by its bare name from a prompt, the program registers its full path") {
  ProgramRegistry registry;
  const std::string program = test::ProgramPath();
  // The command interpreter finds the bare name in its current folder, the program's own.
  PROCESS_INFORMATION prompt = StartCommand("cmd /c Parvola95", program.substr(0, program.rfind('\\')));
  HWND dialog = nullptr;
  REQUIRE(test::WaitFor([&] { return (dialog = FindWindowA(nullptr, CAPTION)) != nullptr; }));
  test::PressButton(dialog, IDCANCEL);
  CHECK(WaitForSingleObject(prompt.hProcess, 15000) == WAIT_OBJECT_0);
  CloseHandle(prompt.hProcess);

  std::string quoted = program.find(' ') == std::string::npos ? program : '"' + program + '"';
  CHECK(ProgramRegistry::ClassesText("*\\shell\\Split\\command") == quoted + " /s \"%1\"");
  CHECK(ProgramRegistry::ClassesText("ParvolaFile\\shell\\UnSplit\\command") == quoted + " /u \"%1\"");
  CHECK(ProgramRegistry::ClassesText("ParvolaFile\\DefaultIcon") == program + ",2");
}
