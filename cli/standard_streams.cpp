#include "cli/standard_streams.h"

#include <cerrno>
#include <cstring>
#include <ios>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "cli/console_host.h"
#include "cli/option_table.h"
#include "i18n/catalogue.h"
#include "i18n/phrase.h"

namespace snpln::cli {

// The system's side: opening, reading and writing the descriptors (on
// Windows: cli/windows_standard_streams.cpp).
#ifndef _WIN32
namespace {

bool isClosed(int fd) { return ::fcntl(fd, F_GETFD) == -1 && errno == EBADF; }

} // namespace

ClosedDescriptors openClosedStandardDescriptors() {
  ClosedDescriptors closed;
  bool *flags[] = {&closed.input, &closed.output, &closed.error};
  for (int fd = 0; fd <= 2; ++fd) {
    if (!isClosed(fd))
      continue;
    *flags[fd] = true;
    // The lowest free number: this one, as the ones below are open.
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
  return closed;
}

DescriptorInput::int_type DescriptorInput::underflow() {
  if (gptr() < egptr())
    return traits_type::to_int_type(*gptr());
  if (closed_)
    throw std::ios_base::failure(std::strerror(EBADF));
  while (true) {
    if (buffer_.empty())
      buffer_.resize(kStreamBufferSize);
    const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
    if (got > 0) {
      setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
      return traits_type::to_int_type(*gptr());
    }
    if (got == 0)
      return traits_type::eof();
    // Ctrl-C and the other stop signals end the reading; the caller sees
    // the flag. Any other failure makes the stream bad.
    if (errno == EINTR && interrupted)
      return traits_type::eof();
    if (errno != EINTR)
      throw std::ios_base::failure(std::strerror(errno));
  }
}

bool DescriptorOutput::writeOut(const char *data, std::size_t size) {
  const char *pieces[] = {pbase(), data};
  const std::size_t sizes[] = {static_cast<std::size_t>(pptr() - pbase()),
                               size};
  setp(buffer_.get(), buffer_.get() + kStreamBufferSize);
  if (error_ != 0)
    return false; // the stream has failed; nothing more goes out
  for (int i = 0; i < 2; ++i) {
    const char *at = pieces[i];
    std::size_t left = sizes[i];
    while (left > 0) {
      if (closed_) {
        error_ = EBADF;
        return false;
      }
      const ssize_t put = ::write(fd_, at, left);
      if (put < 0 && errno == EINTR)
        continue;
      if (put <= 0) {
        // A write that takes nothing is a device that takes no more.
        error_ = put < 0 ? errno : EIO;
        return false;
      }
      at += put;
      left -= static_cast<std::size_t>(put);
    }
  }
  return true;
}

#endif // _WIN32

DescriptorInput::DescriptorInput(int fd, bool closed)
    : fd_(fd), closed_(closed) {}

DescriptorOutput::DescriptorOutput(int fd, bool closed)
    : fd_(fd), closed_(closed), buffer_(new char[kStreamBufferSize]) {
  setp(buffer_.get(), buffer_.get() + kStreamBufferSize);
}

DescriptorOutput::~DescriptorOutput() { sync(); }

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
  const char ch = traits_type::to_char_type(c);
  return writeOut(&ch, 1) ? c : traits_type::eof();
}

std::streamsize DescriptorOutput::xsputn(const char *data,
                                         std::streamsize size) {
  const auto room = static_cast<std::streamsize>(epptr() - pptr());
  if (size <= room) {
    std::memcpy(pptr(), data, static_cast<std::size_t>(size));
    pbump(static_cast<int>(size));
    return size;
  }
  return writeOut(data, static_cast<std::size_t>(size)) ? size : 0;
}

int DescriptorOutput::sync() {
  if (pptr() == pbase())
    return error_ == 0 ? 0 : -1;
  return writeOut(nullptr, 0) ? 0 : -1;
}

std::string writeErrorLine(int error) {
  return "snpln-cli: " +
         i18n::fill(
             i18n::translate(i18n::languageOfEnvironment(), "snpln-cli",
                             QT_TRANSLATE_NOOP("snpln-cli", "write error: %1")),
             {std::strerror(error)});
}

} // namespace snpln::cli
