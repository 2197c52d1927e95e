#include "job/UserMessage.h"

#include <atomic>
#include <windows.h>

#include "framework/Texts.h"
#include "res/resource.h"

namespace {

std::atomic<UserMessageHook> installedHook{nullptr};

}  // namespace

int ShowUserMessage(unsigned textId, const std::string& text, unsigned type) {
  if (UserMessageHook hook = installedHook.load()) return hook(textId, text, type);
  std::string caption = fw::LoadText(IDS_APPLICATION_TITLE);
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), type | MB_SETFOREGROUND);
}

int ShowUserText(unsigned textId, unsigned type) {
  return ShowUserMessage(textId, fw::LoadText(textId), type);
}

int ShowUserText(unsigned textId, const std::string& argument, unsigned type) {
  return ShowUserMessage(textId, fw::FormatText(textId, argument.c_str()), type);
}

void SetUserMessageHook(UserMessageHook hook) { installedHook.store(hook); }
