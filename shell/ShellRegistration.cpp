#include "shell/ShellRegistration.h"

#include <windows.h>

#include "framework/App.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "res/resource.h"

namespace {

// Sets the unnamed value of a key under the classes root, creating the keys on the way.
void SetClassesText(const char* keyName, const std::string& text) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

// Deletes a key with all keys below it, the deepest first: NT deletes only a key without
// subkeys, and Windows 95 has no call that deletes a whole tree on every system. False
// when something of it is left.
bool DeleteTree(HKEY parent, const char* keyName) {
  HKEY key;
  LONG opened = RegOpenKeyExA(parent, keyName, 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  char subkey[256];  // a key's name has at most 255 characters
  bool emptied = true;
  // Each pass deletes the first subkey, so the next one becomes the first.
  while (emptied && RegEnumKeyA(key, 0, subkey, sizeof subkey) == ERROR_SUCCESS) emptied = DeleteTree(key, subkey);
  RegCloseKey(key);
  return emptied && RegDeleteKeyA(parent, keyName) == ERROR_SUCCESS;
}

void DeleteClassesTree(const char* keyName) { DeleteTree(HKEY_CLASSES_ROOT, keyName); }

// The program as the first word of a verb's command line. A path with a blank is
// quoted: unquoted, the system would try "C:\Program.exe" before the real program.
std::string CommandProgram(const std::string& programPath) {
  if (programPath.find(' ') == std::string::npos) return programPath;
  return "\"" + programPath + "\"";
}

}  // namespace

void ApplyShellRegistration(uint32_t registrationFlags) {
  ApplyShellRegistration(registrationFlags, fw::App::ProgramPath());
}

void ApplyShellRegistration(uint32_t registrationFlags, const std::string& programPath) {
  DeleteClassesTree(".split");
  DeleteClassesTree("ParvolaFile");
  DeleteClassesTree("*\\shell\\Split\\command");
  DeleteClassesTree("*\\shell\\Split");

  if (registrationFlags & REGISTER_EXTENSION) {
    SetClassesText(".split", "ParvolaFile");
    SetClassesText("ParvolaFile", fw::LoadText(IDS_FILE_TYPE_NAME));
    SetClassesText("ParvolaFile\\DefaultIcon", programPath + ",2");
  }
  if (registrationFlags & REGISTER_RESTORE_VERB) {
    SetClassesText("ParvolaFile\\shell", "UnSplit");
    SetClassesText("ParvolaFile\\shell\\UnSplit", fw::LoadText(IDS_RESTORE_VERB));
    SetClassesText("ParvolaFile\\shell\\UnSplit\\command", CommandProgram(programPath) + " /u \"%1\"");
  }
  if (registrationFlags & REGISTER_SPLIT_VERB) {
    SetClassesText("*\\shell\\Split", fw::LoadText(IDS_SPLIT_VERB));
    SetClassesText("*\\shell\\Split\\command", CommandProgram(programPath) + " /s \"%1\"");
  }
}
