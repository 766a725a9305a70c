#ifdef _WIN32

#include "cli/windows_console.h"

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include "cli/console_host.h"

namespace snpln::cli {

namespace {

// The number a hang-up has on POSIX, for the exit status 129.
constexpr int kHangUp = 1;

std::string utf8Of(const wchar_t *text) {
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1)
    return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.pop_back(); // the terminating zero
  return out;
}

} // namespace

WindowsArguments::WindowsArguments() {
  int count = 0;
  wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide != nullptr) {
    for (int i = 0; i < count; ++i)
      texts_.push_back(utf8Of(wide[i]));
    ::LocalFree(wide);
  }
  if (texts_.empty())
    texts_.push_back("snpln-cli");
  for (std::string &text : texts_)
    pointers_.push_back(text.data());
  pointers_.push_back(nullptr);
}

ConsoleSetup::ConsoleSetup()
    : input_(::GetConsoleCP()), output_(::GetConsoleOutputCP()) {
  if (input_ != 0)
    ::SetConsoleCP(CP_UTF8);
  if (output_ != 0)
    ::SetConsoleOutputCP(CP_UTF8);
  (void)_setmode(_fileno(stdin), _O_BINARY);
  (void)_setmode(_fileno(stdout), _O_BINARY);
}

ConsoleSetup::~ConsoleSetup() {
  if (input_ != 0)
    ::SetConsoleCP(input_);
  if (output_ != 0)
    ::SetConsoleOutputCP(output_);
}

bool standardErrorIsConsole() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

BOOL WINAPI onConsoleControl(DWORD event) {
  int signal = 0;
  switch (event) {
  case CTRL_C_EVENT:
  case CTRL_BREAK_EVENT:
    signal = SIGINT;
    break;
  case CTRL_CLOSE_EVENT:
    signal = kHangUp;
    break;
  default:
    return FALSE; // log-off and shut-down: the system's default
  }
  int none = 0;
  interruptSignal.compare_exchange_strong(none, signal);
  interrupted = true;
  return TRUE;
}

void installInterruptHandler() {
  ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

int interruptStatus() {
  const int signal = interruptSignal.load();
  return 128 + (signal != 0 ? signal : SIGINT);
}

} // namespace snpln::cli

#endif // _WIN32
