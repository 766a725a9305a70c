// How the user closed a modal window: the one answer vocabulary of every
// window and host (the message, the prompts, the options, the save
// question, and the console that stands in for them). Esc, CANCEL and a
// close request all answer Cancel.
#pragma once

#include <cstdint>

namespace snpln::job {

enum class DialogAnswer : std::uint8_t { Ok, Cancel, Yes, No };

} // namespace snpln::job
