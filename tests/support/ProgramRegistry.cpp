#include "support/ProgramRegistry.h"

ProgramRegistry::ProgramRegistry() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Olvanta");
  for (const char* key : {".split", "ParvolaFile", "*\\shell\\Split"}) RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
}

void ProgramRegistry::StoreInt(const char* name, int value) const {
  DWORD data = static_cast<DWORD>(value);
  RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY, name, REG_DWORD, &data, sizeof(data));
}

void ProgramRegistry::StoreText(const char* name, const std::string& value) const {
  RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY, name, REG_SZ, value.c_str(),
                  static_cast<DWORD>(value.size() + 1));
}

int ProgramRegistry::StoredInt(const char* name) {
  DWORD data = 0, size = sizeof(data);
  LONG result = RegGetValueA(HKEY_CURRENT_USER, SETTINGS_KEY, name, RRF_RT_REG_DWORD, nullptr, &data, &size);
  return result == ERROR_SUCCESS ? static_cast<int>(data) : -12345;
}

std::string ProgramRegistry::StoredText(const char* name) {
  char data[1024];
  DWORD size = sizeof(data);
  LONG result = RegGetValueA(HKEY_CURRENT_USER, SETTINGS_KEY, name, RRF_RT_REG_SZ, nullptr, data, &size);
  return result == ERROR_SUCCESS ? data : "<missing>";
}

std::string ProgramRegistry::ClassesText(const char* keyName) {
  char value[1024];
  LONG size = sizeof(value);
  if (RegQueryValueA(HKEY_CLASSES_ROOT, keyName, value, &size) != ERROR_SUCCESS) return "<missing>";
  return value;
}
