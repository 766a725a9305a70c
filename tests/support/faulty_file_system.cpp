#include "tests/support/faulty_file_system.h"

namespace snpln::platform {

namespace {

class FaultyInputFile : public InputFile {
public:
  FaultyInputFile(std::unique_ptr<InputFile> inner, FaultPlan &plan,
                  FaultCounts &counts)
      : inner_(std::move(inner)), plan_(plan), counts_(counts) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    ++counts_.reads;
    got = 0;
    const FileSize start = inner_->position();
    std::size_t n = 0;
    if (!inner_->read(buffer, size, n))
      return false;
    if (plan_.readAt != kNoFault && n > 0 && start + n > plan_.readAt) {
      ++counts_.faults;
      (void)inner_->seek(start); // the failed read consumed nothing
      return false;
    }
    got = n;
    return true;
  }

  bool seek(FileSize position) override {
    ++counts_.seeks;
    if (plan_.seek) {
      ++counts_.faults;
      return false;
    }
    return inner_->seek(position);
  }

  FileSize position() const override { return inner_->position(); }

  bool size(FileSize &result) override { return inner_->size(result); }

private:
  std::unique_ptr<InputFile> inner_;
  FaultPlan &plan_;
  FaultCounts &counts_;
};

class FaultyOutputFile : public OutputFile {
public:
  FaultyOutputFile(std::unique_ptr<OutputFile> inner, FaultPlan &plan,
                   FaultCounts &counts)
      : inner_(std::move(inner)), plan_(plan), counts_(counts) {}

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    ++counts_.writes;
    written = 0;
    const std::uint64_t end = taken_ + size;
    if (plan_.writeAt != kNoFault && end > plan_.writeAt) {
      ++counts_.faults;
      return false;
    }
    std::size_t take = size;
    if (plan_.shortWriteAt != kNoFault && end > plan_.shortWriteAt) {
      ++counts_.faults;
      take = plan_.shortWriteAt > taken_
                 ? static_cast<std::size_t>(plan_.shortWriteAt - taken_)
                 : 0;
    }
    std::size_t n = 0;
    if (take > 0 && !inner_->write(buffer, take, n))
      return false;
    taken_ += n;
    written = n;
    return true;
  }

  bool flush() override {
    ++counts_.flushes;
    if (plan_.flush) {
      ++counts_.faults;
      return false;
    }
    return inner_->flush();
  }

private:
  std::unique_ptr<OutputFile> inner_;
  FaultPlan &plan_;
  FaultCounts &counts_;
  std::uint64_t taken_ = 0;
};

} // namespace

bool FaultyFileSystem::fails(bool planned, const std::string &path) const {
  return planned && (fail.onlyPath.empty() || fail.onlyPath == path);
}

bool FaultyFileSystem::fails(bool planned, const std::string &path1,
                             const std::string &path2) const {
  return planned && (fail.onlyPath.empty() || fail.onlyPath == path1 ||
                     fail.onlyPath == path2);
}

std::unique_ptr<InputFile> FaultyFileSystem::openRead(const std::string &path) {
  ++calls.openRead;
  log.push_back("openRead " + path);
  if (fails(fail.openRead, path)) {
    ++calls.faults;
    return nullptr;
  }
  auto in = inner_.openRead(path);
  if (!in)
    return nullptr;
  return std::make_unique<FaultyInputFile>(std::move(in), fail, calls);
}

std::optional<FileAttributes>
FaultyFileSystem::getAttributes(const std::string &path) {
  ++calls.getAttributes;
  log.push_back("getAttributes " + path);
  if (fails(fail.getAttributes, path)) {
    ++calls.faults;
    return std::nullopt;
  }
  return inner_.getAttributes(path);
}

bool FaultyFileSystem::setNormal(const std::string &path) {
  ++calls.setNormal;
  log.push_back("setNormal " + path);
  if (fails(fail.setNormal, path)) {
    ++calls.faults;
    return false;
  }
  return inner_.setNormal(path);
}

bool FaultyFileSystem::restoreAttributes(const std::string &path,
                                         const FileAttributes &saved) {
  ++calls.restoreAttributes;
  log.push_back("restoreAttributes " + path);
  if (fails(fail.restoreAttributes, path)) {
    ++calls.faults;
    return false;
  }
  return inner_.restoreAttributes(path, saved);
}

std::unique_ptr<OutputFile>
FaultyFileSystem::createTemp(const std::string &name) {
  ++calls.createTemp;
  log.push_back("createTemp " + name);
  if (fails(fail.createTemp, name)) {
    ++calls.faults;
    return nullptr;
  }
  auto out = inner_.createTemp(name);
  if (!out)
    return nullptr;
  return std::make_unique<FaultyOutputFile>(std::move(out), fail, calls);
}

bool FaultyFileSystem::markTemporary(const std::string &name) {
  ++calls.markTemporary;
  log.push_back("markTemporary " + name);
  if (fails(fail.markTemporary, name)) {
    ++calls.faults;
    return false;
  }
  return inner_.markTemporary(name);
}

bool FaultyFileSystem::remove(const std::string &path) {
  ++calls.remove;
  log.push_back("remove " + path);
  if (fails(fail.remove, path)) {
    ++calls.faults;
    return false;
  }
  return inner_.remove(path);
}

bool FaultyFileSystem::replaceWith(const std::string &tempName,
                                   const std::string &target,
                                   const FileAttributes &keep) {
  ++calls.replaceWith;
  log.push_back("replaceWith " + tempName + " " + target);
  if (fails(fail.replaceWith, tempName, target)) {
    ++calls.faults;
    return false;
  }
  return inner_.replaceWith(tempName, target, keep);
}

std::unique_ptr<DirListing> FaultyFileSystem::list(const std::string &pattern) {
  ++calls.list;
  log.push_back("list " + pattern);
  if (fails(fail.list, pattern)) {
    ++calls.faults;
    return nullptr;
  }
  return inner_.list(pattern);
}

std::optional<std::uint32_t> FaultyFileSystem::lookup(const std::string &name) {
  ++calls.lookup;
  log.push_back("lookup " + name);
  if (fails(fail.lookup, name)) {
    ++calls.faults;
    return std::nullopt;
  }
  return inner_.lookup(name);
}

} // namespace snpln::platform
