// The registry entries the program writes: its per-user settings and its shell
// entries. A test that starts the split dialog holds a ProgramRegistry: the
// entries are saved and emptied for the test and put back afterwards.
#pragma once
#include <string>
#include <windows.h>

#include "support/TestSupport.h"

constexpr const char* SETTINGS_KEY = "Software\\Olvanta\\Parvola 95";

class ProgramRegistry {
 public:
  ProgramRegistry();
  void StoreInt(const char* name, int value) const;
  void StoreText(const char* name, const std::string& value) const;
  static int StoredInt(const char* name);  // -12345 when missing
  static std::string StoredText(const char* name);  // "<missing>" when missing
  // The unnamed value of a key under the classes root, or "<missing>".
  static std::string ClassesText(const char* keyName);

 private:
  test::SavedRegistryKey settings{HKEY_CURRENT_USER, "Software\\Olvanta"};
  test::SavedRegistryKey extension{HKEY_CLASSES_ROOT, ".split"};
  test::SavedRegistryKey fileType{HKEY_CLASSES_ROOT, "ParvolaFile"};
  test::SavedRegistryKey splitVerb{HKEY_CLASSES_ROOT, "*\\shell\\Split"};
};
