#ifdef _WIN32

// snpln-cli's standard streams on Windows, over the handles behind the C
// runtime's descriptors 0, 1 and 2: bytes as they are (no text mode),
// typed text from a console read as UTF-16 and handed on as UTF-8.

#include "cli/standard_streams.h"

#include <cerrno>
#include <cstring>
#include <ios>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cli/console_host.h"

namespace snpln::cli {

namespace {

// Characters asked of the console at once.
constexpr DWORD kConsoleChars = 4096;

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

bool isClosed(int fd) {
  const HANDLE h = handleOf(fd);
  return h == INVALID_HANDLE_VALUE || h == nullptr;
}

bool isConsole(HANDLE h) {
  DWORD mode = 0;
  return ::GetConsoleMode(h, &mode) != 0;
}

// The errno a failed write stands for, for the "write error" line.
int errnoOf(DWORD error) {
  switch (error) {
  case ERROR_DISK_FULL:
  case ERROR_HANDLE_DISK_FULL:
    return ENOSPC;
  case ERROR_BROKEN_PIPE:
  case ERROR_NO_DATA:
    return EPIPE;
  case ERROR_INVALID_HANDLE:
    return EBADF;
  default:
    return EIO;
  }
}

std::string wordsOf(DWORD error) {
  char buffer[256] = {};
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' ||
                           text.back() == '.' || text.back() == ' '))
    text.pop_back();
  return text.empty() ? "Error " + std::to_string(error) : text;
}

// Appends the UTF-8 of `units` UTF-16 code units to `out`; a high surrogate
// at the end waits in `pending` for its other half.
void appendUtf8(const wchar_t *units, std::size_t count, wchar_t &pending,
                std::string &out) {
  std::wstring text;
  if (pending != 0)
    text += pending;
  text.append(units, count);
  pending = 0;
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) {
    pending = text.back();
    text.pop_back();
  }
  if (text.empty())
    return;
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0,
                                      nullptr, nullptr);
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data() + at, n,
                        nullptr, nullptr);
}

// What the user typed into the console, as UTF-8; a line that begins with
// Ctrl-Z ends the text. False at the end.
bool readConsole(HANDLE h, std::vector<char> &buffer, std::size_t &got) {
  static wchar_t pending = 0;
  static bool ended = false;
  got = 0;
  if (ended)
    return false;
  std::string text;
  while (text.empty()) {
    wchar_t units[kConsoleChars];
    DWORD n = 0;
    if (!::ReadConsoleW(h, units, kConsoleChars, &n, nullptr)) {
      if (interrupted)
        return false;
      throw std::ios_base::failure(wordsOf(::GetLastError()));
    }
    if (n == 0 || interrupted)
      return false;
    std::size_t keep = n;
    for (DWORD i = 0; i < n; ++i)
      if (units[i] == 0x1A) { // Ctrl-Z: the end of the text
        keep = i;
        ended = true;
        break;
      }
    appendUtf8(units, keep, pending, text);
    if (ended && text.empty())
      return false;
  }
  if (text.size() > buffer.size())
    buffer.resize(text.size());
  std::memcpy(buffer.data(), text.data(), text.size());
  got = text.size();
  return true;
}

} // namespace

ClosedDescriptors openClosedStandardDescriptors() {
  ClosedDescriptors closed;
  bool *flags[] = {&closed.input, &closed.output, &closed.error};
  for (int fd = 0; fd <= 2; ++fd) {
    if (!isClosed(fd))
      continue;
    *flags[fd] = true;
    const int opened = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
    if (opened >= 0 && opened != fd) {
      _dup2(opened, fd);
      _close(opened);
    }
  }
  return closed;
}

DescriptorInput::int_type DescriptorInput::underflow() {
  if (gptr() < egptr())
    return traits_type::to_int_type(*gptr());
  if (closed_)
    throw std::ios_base::failure(std::strerror(EBADF));
  const HANDLE h = handleOf(fd_);
  std::size_t got = 0;
  if (buffer_.empty())
    buffer_.resize(kStreamBufferSize);
  if (isConsole(h)) {
    if (!readConsole(h, buffer_, got))
      return traits_type::eof();
  } else {
    DWORD n = 0;
    if (!::ReadFile(h, buffer_.data(), static_cast<DWORD>(buffer_.size()), &n,
                    nullptr)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF ||
          interrupted)
        return traits_type::eof(); // the writer has gone: the end
      throw std::ios_base::failure(wordsOf(error));
    }
    got = n;
  }
  if (got == 0)
    return traits_type::eof();
  setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
  return traits_type::to_int_type(*gptr());
}

bool DescriptorOutput::writeOut(const char *data, std::size_t size) {
  const char *pieces[] = {pbase(), data};
  const std::size_t sizes[] = {static_cast<std::size_t>(pptr() - pbase()),
                               size};
  setp(buffer_.get(), buffer_.get() + kStreamBufferSize);
  if (error_ != 0)
    return false; // the stream has failed; nothing more goes out
  const HANDLE h = handleOf(fd_);
  for (int i = 0; i < 2; ++i) {
    const char *at = pieces[i];
    std::size_t left = sizes[i];
    while (left > 0) {
      if (closed_) {
        error_ = EBADF;
        return false;
      }
      DWORD put = 0;
      const DWORD ask = static_cast<DWORD>(
          left < (std::size_t{1} << 30) ? left : (std::size_t{1} << 30));
      if (!::WriteFile(h, at, ask, &put, nullptr) || put == 0) {
        error_ = put == 0 && ::GetLastError() == ERROR_SUCCESS
                     ? EIO
                     : errnoOf(::GetLastError());
        return false;
      }
      at += put;
      left -= put;
    }
  }
  return true;
}

} // namespace snpln::cli

#endif // _WIN32
