#pragma once

// What a few tests ask of the operating system, answered where it has an
// answer, so that the tests build wherever Qt does.

#if __has_include(<unistd.h>)
#include <unistd.h>
#endif

// Whether the tests run as the superuser, whom file permissions do not stop:
// tests of refused reads and writes skip then. False where there is no such
// user id.
inline bool RunningAsSuperuser() {
#if __has_include(<unistd.h>)
  return ::geteuid() == 0;
#else
  return false;
#endif
}
