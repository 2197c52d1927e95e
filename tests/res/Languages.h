// The two languages of the resources.
#pragma once
#include <windows.h>

inline constexpr LANGID ENGLISH = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
inline constexpr LANGID GERMAN = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
