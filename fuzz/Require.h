// A property every fuzz target checks: when it does not hold, the input is a
// finding, reported like a crash.
#pragma once
#include <cstdio>
#include <cstdlib>

#define REQUIRE_PROPERTY(condition)                                                 \
  do {                                                                              \
    if (!(condition)) {                                                             \
      std::fprintf(stderr, "property broken at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                 \
    }                                                                               \
  } while (false)
