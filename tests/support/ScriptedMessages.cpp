#include "support/ScriptedMessages.h"

#include "app/UserMessage.h"
#include "framework/Texts.h"

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

void ScriptedMessages::WhenShown(unsigned textId, std::function<void()> newAction) {
  actionTextId = textId;
  action = std::move(newAction);
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
  if (self.action && textId == self.actionTextId) self.action();
  return answer;
}
