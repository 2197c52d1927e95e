// Numbered texts and dialog templates in the language chosen at start.
#pragma once
#include <windows.h>

#include "framework/NumberedTexts.h"

namespace fw {

// German for a German user interface, English (United States) otherwise.
// Chosen once, on first use, from the user's interface language.
LANGID ChosenLanguage();
// Overrides the choice (tests use it to check both tables in one run).
void ChooseLanguage(LANGID language);

// The dialog template with this number in the chosen language, or nullptr.
const DLGTEMPLATE* FindDialogTemplate(unsigned id);
// A resource of this type and number in the chosen language (English where that has
// none) and its size in bytes, or nullptr.
const void* FindLanguageResource(LPCSTR type, unsigned id, DWORD& size);

// The module that holds the resources (the program itself).
HINSTANCE ResourceModule();

}  // namespace fw
