#include "framework/App.h"

#include <cstdlib>

#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "res/resource.h"

namespace fw {
namespace {

App* currentApp = nullptr;

std::vector<std::string> ProcessArguments() {
  std::vector<std::string> values;
  for (int index = 0; index < __argc; ++index) values.emplace_back(__argv[index] ? __argv[index] : "");
  return values;
}

}  // namespace

App::App() : arguments(ProcessArguments()) { currentApp = this; }

App::~App() {
  if (currentApp == this) currentApp = nullptr;
}

App* App::Current() { return currentApp; }

int App::Run() { return InitInstance(); }

void App::SetRegistryKey(const std::string& company) { registryCompany = company; }

std::string App::ProfileKeyPath() const {
  return "Software\\" + registryCompany + "\\" + LoadText(IDS_APPLICATION_TITLE);
}

std::string App::GetProfileString(const char* name, const std::string& fallback) const {
  char value[1024];
  DWORD size = sizeof(value) - 1, type = 0;
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, ProfileKeyPath().c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return fallback;
  LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return fallback;
  value[size] = '\0';
  return value;
}

int App::GetProfileInt(const char* name, int fallback) const {
  DWORD value = 0, size = sizeof(value), type = 0;
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, ProfileKeyPath().c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return fallback;
  LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return fallback;
  return static_cast<int>(value);
}

void App::WriteProfileString(const char* name, const std::string& value) const {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, ProfileKeyPath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

void App::WriteProfileInt(const char* name, int value) const {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, ProfileKeyPath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  DWORD data = static_cast<DWORD>(value);
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
  RegCloseKey(key);
}

void App::ShowHelp(HWND owner, unsigned dialogTemplate, unsigned topicTemplate) const {
  std::string helpFile = ProgramPath();
  if (!helpFile.empty()) {
    size_t dot = helpFile.find_last_of(".\\");
    if (dot != std::string::npos && helpFile[dot] == '.') helpFile.erase(dot);
    helpFile += ".HLP";
    DWORD attributes = GetFileAttributesA(helpFile.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        helpFileViewer(owner, helpFile.c_str(), HELP_CONTEXT, 0x20000 + dialogTemplate))
      return;
  }
  ShowProgramHelp(owner, topicTemplate);
}

std::string App::ProgramPath() {
  char path[PATH_BYTES];
  DWORD length = GetModuleFileNameA(nullptr, path, PATH_BYTES);
  return length > 0 && length < PATH_BYTES ? std::string(path, length) : std::string();
}

}  // namespace fw
