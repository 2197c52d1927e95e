#include <doctest/doctest.h>

#include "app/SplitApp.h"
#include "framework/App.h"
#include "framework/Texts.h"
#include "split/ProgramCopy.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

TEST_CASE("WriteProgramCopy copies the running program") {
  fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  TempFolder folder;
  std::string copy = folder / "Parvola95.exe";
  // The test executable is the running program here.
  std::string program = ReadWholeFile(fw::App::ProgramPath());
  REQUIRE(program.size() > 32768);

  SUBCASE("the copy equals the running program byte for byte") {
    ScriptedMessages boxes;
    CHECK(WriteProgramCopy(folder.Path(), nullptr));
    CHECK(ReadWholeFile(copy) == program);
    CHECK(boxes.Shown().empty());
  }

  SUBCASE("a retry finds the partial copy and asks before overwriting it") {
    WriteWholeFile(copy, program.substr(0, 1000));
    ScriptedMessages boxes({IDNO, IDYES});
    CHECK_FALSE(WriteProgramCopy(folder.Path(), nullptr));
    CHECK(ReadWholeFile(copy) == program.substr(0, 1000));
    CHECK(WriteProgramCopy(folder.Path(), nullptr));
    CHECK(ReadWholeFile(copy) == program);
    REQUIRE(boxes.Shown().size() == 2);
    CHECK(boxes.Shown()[1].textId == 144);
    CHECK(boxes.Shown()[1].text == "The file '" + copy + "' already exists,\nI will overwrite it now ok?");
  }

  SUBCASE("a missing destination folder fails with text 145") {
    ScriptedMessages boxes;
    CHECK_FALSE(WriteProgramCopy(folder / "missing", nullptr));
    REQUIRE(boxes.Shown().size() == 1);
    CHECK(boxes.Shown()[0].textId == 145);
    CHECK_FALSE(FileExists(folder / "missing"));
  }
}

TEST_CASE("the program's path is its module's, however it was started") {
  TempFolder folder;
  char module[MAX_PATH];
  REQUIRE(GetModuleFileNameA(nullptr, module, sizeof(module)) > 0);
  SplitApp app;
  WriteWholeFile(folder / "started.exe", "x");
  // A first argument naming another file, a bare name, a folder or nothing: none of them
  // is taken for the program.
  for (std::vector<std::string> arguments : {std::vector<std::string>{folder / "started.exe"},
                                             std::vector<std::string>{"Parvola95"},
                                             std::vector<std::string>{folder.Path()}, std::vector<std::string>{}}) {
    app.SetArguments(arguments);
    CHECK(fw::App::ProgramPath() == module);
  }
}
