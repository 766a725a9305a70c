// The argument text of the command line, as Windows hands it to the
// application, rebuilt from a POSIX argv.
//
// The window splits that text into the FileList: bytes 0x20 and below separate
// words, a word that begins with '"' runs to the next '"' (or the end), a
// '"' inside a word is an ordinary byte, there is no escape, and an empty
// word ("") is dropped. rawCommandLine builds a text that this splitter
// turns back into the same names:
//   - arguments are joined by single blanks;
//   - an argument holding a byte of 0x20 or below is wrapped in '"';
//   - an empty argument becomes "" (which the splitter drops: an empty name
//     names nothing);
//   - an argument with a '"' in its middle and no byte of 0x20 or below is
//     passed as it is (the splitter keeps the '"').
// An argument that begins with '"', or holds a '"' and a byte of 0x20 or
// below, cannot be written so that the splitter gives it back: it would be
// cut at its '"' and could run into the next argument or name another file.
// Such an argument is left out of the text, so it can neither change the
// other names nor be rewritten as a file the user did not name; callers may
// find these with roundTripsOnCommandLine and report them.
#pragma once

#include <string>

namespace snpln::platform {

// The arguments after the program name (argv[1] to argv[argc-1]).
std::string rawCommandLine(int argc, char **argv);

// Whether `arg` survives rawCommandLine and the splitter unchanged (the
// empty argument counts: it is dropped on both sides).
bool roundTripsOnCommandLine(const std::string &arg);

} // namespace snpln::platform
