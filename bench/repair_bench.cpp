// The repair of garbled text over one file, as a job will run it until
// the command line has the operation: the chain decided on the file's
// sample, then the file read in slices, undone and written to FILE.tmp
// beside it, which is flushed and renamed over the file.
//
//   repair_bench FILE
//
// Prints the plan (mode, chain, lines repaired) on standard error. Status
// 0 when the file was repaired, 3 when it was left alone (not garbled), 1
// on a failure (the file is then as it was).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "engine/repair_slice.h"

namespace {

using namespace snpln;

class FdInput : public platform::InputFile {
public:
  explicit FdInput(int fd) : fd_(fd) {}
  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    const ssize_t n = ::read(fd_, buffer, size);
    got = n > 0 ? static_cast<std::size_t>(n) : 0;
    return n >= 0;
  }
  bool seek(platform::FileSize position) override {
    return ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) >= 0;
  }
  platform::FileSize position() const override {
    return static_cast<platform::FileSize>(::lseek(fd_, 0, SEEK_CUR));
  }
  bool size(platform::FileSize &result) override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
      return false;
    result = static_cast<platform::FileSize>(st.st_size);
    return true;
  }
  bool status(platform::FileStatus &result) override {
    result = platform::FileStatus{};
    return size(result.size);
  }

private:
  int fd_;
};

class FdOutput : public platform::OutputFile {
public:
  explicit FdOutput(int fd) : fd_(fd) {}
  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    written = 0;
    const auto *p = static_cast<const char *>(buffer);
    while (written < size) {
      const ssize_t n = ::write(fd_, p + written, size - written);
      if (n <= 0)
        return false;
      written += static_cast<std::size_t>(n);
    }
    return true;
  }
  bool flush() override { return ::fsync(fd_) == 0; }

private:
  int fd_;
};

const char *modeName(engine::RepairMode mode) {
  switch (mode) {
  case engine::RepairMode::Whole:
    return "whole";
  case engine::RepairMode::Lines:
    return "lines";
  case engine::RepairMode::None:
    break;
  }
  return "none";
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: repair_bench FILE\n");
    return 1;
  }
  const std::string path = argv[1];
  const std::string temp = path + ".tmp";
  const int in = ::open(path.c_str(), O_RDONLY);
  if (in < 0) {
    std::perror(path.c_str());
    return 1;
  }
  FdInput input(in);
  platform::FileSize size = 0;
  input.size(size);
  engine::SliceStream stream(&input, nullptr, size);
  const engine::RepairPlan plan = engine::decideRepairOfStream(stream);
  std::string chain;
  for (std::size_t i = 0; i < plan.chain().count; ++i)
    chain +=
        std::string(i ? ", " : "") +
        std::string(engine::repairPageName(plan.chain().layers[i].written)) +
        " as " +
        std::string(engine::repairPageName(plan.chain().layers[i].read));
  if (plan.mode == engine::RepairMode::None) {
    std::fprintf(stderr, "%s: not garbled\n", path.c_str());
    return 3;
  }
  const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) {
    std::perror(temp.c_str());
    return 1;
  }
  FdOutput output(out);
  stream.temp = &output;
  engine::RepairState state(plan);
  engine::StepResult r = engine::StepResult::Continue;
  while (r == engine::StepResult::Continue)
    r = engine::repairSlice(stream, state);
  const bool ok = r == engine::StepResult::Finished && output.flush();
  ::close(out);
  ::close(in);
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    std::fprintf(stderr, "%s: failed (step %d, fault at %llu)\n", path.c_str(),
                 static_cast<int>(r),
                 static_cast<unsigned long long>(state.faultOffset));
    return 1;
  }
  std::fprintf(stderr, "%s: %s, %s; %llu lines repaired, %llu lost bytes\n",
               path.c_str(), modeName(plan.mode), chain.c_str(),
               static_cast<unsigned long long>(state.linesRepaired),
               static_cast<unsigned long long>(state.lostBytesMended));
  return 0;
}
