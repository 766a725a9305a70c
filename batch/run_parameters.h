// The values a run asks for once (prompts and selection) and copies
// unchanged into every job request of the run.
#pragma once

#include <cstdint>
#include <string>

#include "engine/code_page.h"
#include "job/job_request.h"

namespace snpln::batch {

struct RunParameters {
  std::string searchText;
  std::string replaceText;
  job::TypedText typedText = job::TypedText::Bytes;
  int leftPartOfWord = 0;
  int rightPartOfWord = 0;
  int caseInsensitive = 0;
  // Auto when no To button is down: no detection result equals it.
  engine::CodePage targetCodePage = engine::CodePage::Auto;
  engine::CodePage sourceCodePage = engine::CodePage::Auto;
  std::uint8_t detectOnly = 0;
  int tabSize = 8;
};

} // namespace snpln::batch
