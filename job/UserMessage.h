// The one way the file work and the workers show a message box. By default it
// is the real modal box with the application title as caption, shown from the
// calling thread; tests replace it with scripted answers.
#pragma once
#include <string>

// textId: the number of the text shown; text: that text, already formatted;
// type: MB_* buttons and icon. Returns the button chosen (IDOK, IDYES, IDNO, IDRETRY, IDCANCEL).
int ShowUserMessage(unsigned textId, const std::string& text, unsigned type);

// Loads text textId and shows it.
int ShowUserText(unsigned textId, unsigned type);
// Formats text textId with one text argument and shows it.
int ShowUserText(unsigned textId, const std::string& argument, unsigned type);

// Replaces the message box by hook (nullptr brings the real box back). Set it before
// the threads that show messages start; the hook must be safe to call from them.
using UserMessageHook = int (*)(unsigned textId, const std::string& text, unsigned type);
void SetUserMessageHook(UserMessageHook hook);
