// The file system of the machine the tests run on, by its own type (for
// its test seams): PosixFileSystem on Linux, WindowsFileSystem on Windows.
// The platform's tables run against it on both, and a case that cannot
// hold on one of them says why with SNPLN_SKIP_ON_WINDOWS.
#pragma once

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/windows_file_system.h"
#else
#include "platform/posix_file_system.h"
#endif

namespace snpln::test {

#ifdef _WIN32
using NativeFileSystem = platform::WindowsFileSystem;
inline constexpr bool kOnWindows = true;
#else
using NativeFileSystem = platform::PosixFileSystem;
inline constexpr bool kOnWindows = false;
#endif

// Whether this system shows a symbolic link as a link (a reparse point on
// Windows). Wine 8 does not: the links a test makes there are not seen.
bool linksAreSeen();

} // namespace snpln::test

// Skips the rest of a test where links are not seen, giving the reason.
#define SNPLN_SKIP_WITHOUT_LINKS()                                             \
  do {                                                                         \
    if (!::snpln::test::linksAreSeen())                                        \
      GTEST_SKIP() << "this system shows no symbolic links (wine 8)";          \
  } while (false)

// Skips the rest of a test on Windows, giving the reason.
#ifdef _WIN32
#define SNPLN_SKIP_ON_WINDOWS(reason) GTEST_SKIP() << "not on Windows: " reason
#else
#define SNPLN_SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif
