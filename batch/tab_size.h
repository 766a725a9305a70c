// The tab size of a run from the user's answer.
#pragma once

#include <string>

namespace snpln::batch {

// The answer's leading decimal number as the C library's atoi reads it:
// leading white space skipped, an optional sign, the digits up to the first
// non-digit, 0 without digits. A number too large for an int gives INT_MAX
// (too small, INT_MIN). Below 1 the result is 8.
int parseTabSize(const std::string &answer);

} // namespace snpln::batch
