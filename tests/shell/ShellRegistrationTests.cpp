#include <doctest/doctest.h>

#include <windows.h>

#include "framework/Texts.h"
#include "job/Messages.h"
#include "shell/ShellRegistration.h"

namespace {

const std::string PROGRAM = "C:\\Tools\\Parvola95.exe";

// The unnamed value of a key under the classes root, or "<missing>".
std::string ClassesText(const char* keyName) {
  char value[1024];
  LONG size = sizeof(value);
  if (RegQueryValueA(HKEY_CLASSES_ROOT, keyName, value, &size) != ERROR_SUCCESS) return "<missing>";
  return value;
}

bool KeyExists(const char* keyName) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Leaves the classes root as it was found: without the program's entries.
struct RegistrationCleanup {
  ~RegistrationCleanup() { ApplyShellRegistration(0, PROGRAM); }
};

}  // namespace

TEST_CASE("shell registration writes and removes exactly what the flags ask") {
  RegistrationCleanup cleanup;
  fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));

  SUBCASE("all three entries") {
    ApplyShellRegistration(REGISTER_EXTENSION | REGISTER_SPLIT_VERB | REGISTER_RESTORE_VERB, PROGRAM);
    CHECK(ClassesText(".split") == "ParvolaFile");
    CHECK(ClassesText("ParvolaFile") == "Parvola 95 restore file");
    CHECK(ClassesText("ParvolaFile\\DefaultIcon") == PROGRAM + ",2");
    CHECK(ClassesText("ParvolaFile\\shell") == "UnSplit");
    CHECK(ClassesText("ParvolaFile\\shell\\UnSplit") == "&Restore original file");
    CHECK(ClassesText("ParvolaFile\\shell\\UnSplit\\command") == PROGRAM + " /u \"%1\"");
    CHECK(ClassesText("*\\shell\\Split") == "&Split");
    CHECK(ClassesText("*\\shell\\Split\\command") == PROGRAM + " /s \"%1\"");
  }
  SUBCASE("flags 0 remove everything") {
    ApplyShellRegistration(7, PROGRAM);
    ApplyShellRegistration(0, PROGRAM);
    CHECK_FALSE(KeyExists(".split"));
    CHECK_FALSE(KeyExists("ParvolaFile"));
    CHECK_FALSE(KeyExists("*\\shell\\Split"));
  }
  SUBCASE("the split verb alone") {
    ApplyShellRegistration(7, PROGRAM);
    ApplyShellRegistration(REGISTER_SPLIT_VERB, PROGRAM);
    CHECK_FALSE(KeyExists(".split"));
    CHECK_FALSE(KeyExists("ParvolaFile"));
    CHECK(ClassesText("*\\shell\\Split\\command") == PROGRAM + " /s \"%1\"");
  }
  SUBCASE("the restore verb alone writes its verb without the extension") {
    ApplyShellRegistration(REGISTER_RESTORE_VERB, PROGRAM);
    CHECK_FALSE(KeyExists(".split"));
    CHECK_FALSE(KeyExists("ParvolaFile\\DefaultIcon"));
    CHECK(ClassesText("ParvolaFile\\shell\\UnSplit\\command") == PROGRAM + " /u \"%1\"");
    CHECK_FALSE(KeyExists("*\\shell\\Split"));
  }
  SUBCASE("a program moved elsewhere is registered under its new path") {
    ApplyShellRegistration(7, PROGRAM);
    ApplyShellRegistration(7, "D:\\New\\Parvola95.exe");
    CHECK(ClassesText("ParvolaFile\\DefaultIcon") == "D:\\New\\Parvola95.exe,2");
    CHECK(ClassesText("*\\shell\\Split\\command") == "D:\\New\\Parvola95.exe /s \"%1\"");
  }
  SUBCASE("a program path with a blank is quoted in the commands, so no other program runs") {
    ApplyShellRegistration(7, "C:\\Program Files\\Parvola\\Parvola95.exe");
    CHECK(ClassesText("*\\shell\\Split\\command") == "\"C:\\Program Files\\Parvola\\Parvola95.exe\" /s \"%1\"");
    CHECK(ClassesText("ParvolaFile\\shell\\UnSplit\\command") ==
          "\"C:\\Program Files\\Parvola\\Parvola95.exe\" /u \"%1\"");
    CHECK(ClassesText("ParvolaFile\\DefaultIcon") == "C:\\Program Files\\Parvola\\Parvola95.exe,2");
  }
  SUBCASE("a program in a folder outside the legacy code page keeps its path in the commands") {
    const std::string program = "C:\\Программы\\Parvola95.exe";
    ApplyShellRegistration(7, program);
    CHECK(ClassesText("ParvolaFile\\DefaultIcon") == program + ",2");
    CHECK(ClassesText("*\\shell\\Split\\command") == program + " /s \"%1\"");
    // As another program reads it, in the system's own characters.
    WCHAR wide[MAX_PATH] = L"";
    LONG size = sizeof wide;
    REQUIRE(RegQueryValueW(HKEY_CLASSES_ROOT, L"*\\shell\\Split\\command", wide, &size) == ERROR_SUCCESS);
    CHECK(std::wstring(wide) == L"C:\\\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B\\Parvola95.exe /s \"%1\"");
  }
  SUBCASE("German texts in a German run") {
    fw::ChooseLanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    ApplyShellRegistration(7, PROGRAM);
    CHECK(ClassesText("ParvolaFile\\shell\\UnSplit") == "Original wieder&herstellen");
    CHECK(ClassesText("*\\shell\\Split") == "&Splitten");
    fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  }
}

TEST_CASE("the other verbs of all files are left alone") {
  RegistrationCleanup cleanup;
  HKEY key;
  REQUIRE(RegCreateKeyA(HKEY_CLASSES_ROOT, "*\\shell\\OtherTool\\command", &key) == ERROR_SUCCESS);
  RegCloseKey(key);
  ApplyShellRegistration(7, PROGRAM);
  ApplyShellRegistration(0, PROGRAM);
  CHECK(KeyExists("*\\shell\\OtherTool\\command"));
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "*\\shell\\OtherTool\\command");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "*\\shell\\OtherTool");
}
