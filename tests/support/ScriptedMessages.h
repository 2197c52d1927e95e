// Scripted answers for the program's message boxes: while an object of this class
// lives, every box is recorded (text number, text, buttons, icon) instead of shown.
// Boxes with a choice take the scripted answers in order; an OK box answers IDOK.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

#include "support/Journal.h"

struct ShownMessage {
  unsigned textId;
  std::string text;
  unsigned buttons;  // MB_OK, MB_YESNO, ...
  unsigned icon;     // MB_ICONSTOP, MB_ICONQUESTION, ..., or 0
};

class ScriptedMessages {
 public:
  // Each shown box is also added to the journal, when given, as "box <text number>".
  explicit ScriptedMessages(std::vector<int> answers = {}, Journal* journal = nullptr);
  ~ScriptedMessages();
  ScriptedMessages(const ScriptedMessages&) = delete;
  ScriptedMessages& operator=(const ScriptedMessages&) = delete;

  // Runs action on the showing thread each time box textId is shown, before it is
  // answered: what the user does while the box is up (inserts a disk, closes a file).
  // Each text has one action; boxes of several texts may have theirs.
  void WhenShown(unsigned textId, std::function<void()> action);

  std::vector<ShownMessage> Shown() const;
  // Boxes with a choice that found no scripted answer left (they were answered No or Cancel).
  int Unanswered() const;

 private:
  static int Answer(unsigned textId, const std::string& text, unsigned type);

  mutable CRITICAL_SECTION lock;
  std::vector<int> answers;
  size_t nextAnswer = 0;
  int unanswered = 0;
  std::vector<ShownMessage> shown;
  Journal* journal;
  std::vector<std::pair<unsigned, std::function<void()>>> actions;
};
