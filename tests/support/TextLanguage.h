// The language of the numbered texts in tests. The Windows tests load both
// string tables from the program's resources; the native build serves the
// English table alone, so German cases are built for Windows only.
#pragma once

#ifdef _WIN32
#include "framework/Texts.h"

inline void UseEnglishTexts() { fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)); }
inline void UseGermanTexts() { fw::ChooseLanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)); }
#else
inline void UseEnglishTexts() {}
#endif
