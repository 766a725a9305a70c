// Every phrase the core's data can come to: each message id (with
// arguments), each status of each button, each prompt, each entry passed
// over, each operation's title, and each operation's success and dry run in
// both shapes (window lines, report line). For the tests that check the
// catalogue covers them all. Phrases of names and numbers alone are left
// out.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "i18n/phrase.h"

namespace snpln::test {

std::vector<std::pair<std::string, i18n::Phrase>> everyPhrase();

// Every source text a phrase uses, its arguments' included.
void sourcesOf(const i18n::Phrase &phrase,
               std::vector<const i18n::Phrase *> &sources);

} // namespace snpln::test
