#include "support/ScriptedMessages.h"

#include "framework/Texts.h"
#include "job/UserMessage.h"

namespace {

ScriptedMessages* current = nullptr;

}  // namespace

ScriptedMessages::ScriptedMessages(std::vector<int> answers, Journal* journal)
    : answers(std::move(answers)), journal(journal) {
  InitializeCriticalSection(&lock);
  current = this;
  SetUserMessageHook(&ScriptedMessages::Answer);
}

ScriptedMessages::~ScriptedMessages() {
  SetUserMessageHook(nullptr);
  current = nullptr;
  DeleteCriticalSection(&lock);
}

void ScriptedMessages::WhenShown(unsigned textId, std::function<void()> action) {
  for (auto& [shownText, existing] : actions)
    if (shownText == textId) {
      existing = std::move(action);
      return;
    }
  actions.emplace_back(textId, std::move(action));
}

std::vector<ShownMessage> ScriptedMessages::Shown() const {
  EnterCriticalSection(&lock);
  std::vector<ShownMessage> copy = shown;
  LeaveCriticalSection(&lock);
  return copy;
}

int ScriptedMessages::Unanswered() const {
  EnterCriticalSection(&lock);
  int count = unanswered;
  LeaveCriticalSection(&lock);
  return count;
}

int ScriptedMessages::Answer(unsigned textId, const std::string& text, unsigned type) {
  ScriptedMessages& self = *current;
  unsigned buttons = type & MB_TYPEMASK;
  EnterCriticalSection(&self.lock);
  self.shown.push_back(ShownMessage{textId, text, buttons, type & MB_ICONMASK});
  int answer = IDOK;
  if (buttons != MB_OK) {
    if (self.nextAnswer < self.answers.size()) {
      answer = self.answers[self.nextAnswer++];
    } else {
      ++self.unanswered;
      answer = buttons == MB_YESNO ? IDNO : IDCANCEL;
    }
  }
  LeaveCriticalSection(&self.lock);
  if (self.journal) self.journal->Add(fw::Format("box %u", textId));
  for (auto& [shownText, action] : self.actions)
    if (shownText == textId && action) action();
  return answer;
}
