// snpln-cli's standard streams as the process got them.
//
// openClosedStandardDescriptors(): descriptors 0, 1 and 2 that are closed at
// start are opened on /dev/null, so that no file the run opens takes their
// numbers (and a message meant for the terminal never lands in a file); it
// says which were closed, and those streams then fail on use as a closed
// descriptor does (EBADF).
//
// DescriptorInput and DescriptorOutput are stream buffers over a descriptor
// that keep the system's reason for a failure. A failed read throws from
// underflow, so the istream reading turns bad; a failed or short write (a
// write that takes nothing: a full disk, /dev/full, an I/O error) makes
// the ostream bad and is kept for the final "write error" line. A write to
// a pipe nobody reads raises SIGPIPE, which ends the process silently
// unless it is ignored (then it is EPIPE, a write error like any other).
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <vector>

namespace snpln::cli {

struct ClosedDescriptors {
  bool input = false;  // 0
  bool output = false; // 1
  bool error = false;  // 2
};

ClosedDescriptors openClosedStandardDescriptors();

// The bytes a stream reads or gathers at a time.
inline constexpr std::size_t kStreamBufferSize = 65536;

class DescriptorInput : public std::streambuf {
public:
  // `closed`: the descriptor was closed at start; every read fails.
  DescriptorInput(int fd, bool closed);

protected:
  int_type underflow() override;

private:
  int fd_;
  bool closed_;
  // Sized at the first read (most runs read nothing).
  std::vector<char> buffer_;
};

class DescriptorOutput : public std::streambuf {
public:
  DescriptorOutput(int fd, bool closed);
  ~DescriptorOutput() override;

  // The first write that failed, as errno gave it; 0 when none did.
  int error() const { return error_; }

protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char *data, std::streamsize size) override;
  int sync() override;

private:
  // Writes the buffered bytes and then `size` more; false on a failure.
  bool writeOut(const char *data, std::size_t size);

  int fd_;
  bool closed_;
  int error_ = 0;
  // Not cleared: only what is written into it is written out.
  std::unique_ptr<char[]> buffer_;
};

// The line a failed write to standard output ends the run with:
// "snpln-cli: write error: No space left on device".
std::string writeErrorLine(int error);

} // namespace snpln::cli
