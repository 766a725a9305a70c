#include "tests/support/faulty_file_system.h"

#include <cerrno>
#include <optional>

namespace snpln::platform {

namespace {

// A failing call leaves the system's reason the plan gives.
void setError(const FaultPlan &plan) {
  if (plan.error != 0)
    errno = plan.error;
}

class FaultyInputFile : public InputFile {
public:
  FaultyInputFile(std::unique_ptr<InputFile> inner, std::string name,
                  FaultyFileSystem &fs)
      : inner_(std::move(inner)), name_(std::move(name)), fs_(fs),
        plan_(fs.fail), counts_(fs.calls) {}

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

  bool status(FileStatus &result) override {
    if (plan_.inputStatus) {
      ++counts_.faults;
      return false;
    }
    if (!inner_->status(result))
      return false;
    real_ = result;
    result = fs_.shown(result);
    shown_ = result;
    return true;
  }

  LockOutcome lock() override {
    ++counts_.locks;
    if (plan_.lockBusy > 0) {
      --plan_.lockBusy;
      return LockOutcome::Busy;
    }
    return inner_->lock();
  }

  bool stillNamed() override { return inner_->stillNamed(); }

  std::string reachedPath() const override { return inner_->reachedPath(); }

  std::unique_ptr<SaveFile> beginSave(const FileStatus &original,
                                      const SaveRules &rules,
                                      SystemError &why) override;

private:
  std::unique_ptr<InputFile> inner_;
  std::string name_;
  FaultyFileSystem &fs_;
  FaultPlan &plan_;
  FaultCounts &counts_;
  // The last status given out, and the inner one it was made from.
  std::optional<FileStatus> real_, shown_;
};

bool sameStatus(const FileStatus &a, const FileStatus &b) {
  return sameVersion(a, b) && a.accessed() == b.accessed() &&
         a.mode == b.mode && a.owner == b.owner && a.group == b.group &&
         a.links == b.links;
}

template <class Base> class FaultySave : public Base {
public:
  FaultySave(std::unique_ptr<Base> inner, std::string name,
             FaultyFileSystem &fs)
      : inner_(std::move(inner)), name_(std::move(name)), fs_(fs),
        plan_(fs.fail), counts_(fs.calls) {}

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    ++counts_.writes;
    written = 0;
    const std::uint64_t end = taken_ + size;
    if (plan_.writeAt != kNoFault && end > plan_.writeAt) {
      ++counts_.faults;
      setError(plan_);
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
      setError(plan_);
      return false;
    }
    return inner_->flush();
  }

  SaveOutcome commit() override {
    ++counts_.commits;
    fs_.note("commit " + name_);
    if (plan_.commit) {
      ++counts_.faults;
      inner_->abandon();
      setError(plan_);
      return plan_.commitOutcome;
    }
    // The commit puts the content on the disk first.
    if (plan_.flush) {
      ++counts_.faults;
      inner_->abandon();
      setError(plan_);
      return SaveOutcome::WriteFailed;
    }
    return inner_->commit();
  }

  bool setTimes(const FileTime &accessed, const FileTime &modified) override {
    ++counts_.times;
    fs_.note("setTimes " + name_);
    if (plan_.times) {
      ++counts_.faults;
      return false;
    }
    return inner_->setTimes(accessed, modified);
  }

  void abandon() override {
    ++counts_.abandons;
    fs_.note("abandon " + name_);
    inner_->abandon();
  }

  std::string backupName() const override { return inner_->backupName(); }

  std::shared_ptr<const Directory> unflushedDirectory() const override {
    return inner_->unflushedDirectory();
  }

protected:
  std::unique_ptr<Base> inner_;
  std::string name_;
  FaultyFileSystem &fs_;
  FaultPlan &plan_;
  FaultCounts &counts_;
  std::uint64_t taken_ = 0;
};

using FaultySaveFile = FaultySave<SaveFile>;

class FaultyNewFile : public FaultySave<NewFile> {
public:
  using FaultySave<NewFile>::FaultySave;
  // What the next pass reads fails as the plan says, like any input.
  std::unique_ptr<InputFile> readBack() override;
};

std::unique_ptr<SaveFile> FaultyInputFile::beginSave(const FileStatus &original,
                                                     const SaveRules &rules,
                                                     SystemError &why) {
  ++counts_.beginSave;
  fs_.note("beginSave " + name_);
  if (fs_.fails(plan_.beginSave, name_)) {
    ++counts_.faults;
    why = SystemError{5, "Input/output error"};
    return nullptr;
  }
  // The inner file system checks the file against what it gave out.
  const bool asShown = shown_ && sameStatus(original, *shown_);
  auto out = inner_->beginSave(asShown ? *real_ : original, rules, why);
  if (!out)
    return nullptr;
  return std::make_unique<FaultySaveFile>(std::move(out), name_, fs_);
}

std::unique_ptr<InputFile> FaultyNewFile::readBack() {
  auto in = inner_->readBack();
  if (!in)
    return nullptr;
  return std::make_unique<FaultyInputFile>(std::move(in), name_, fs_);
}

} // namespace

std::unique_ptr<NewFile> FaultyFileSystem::beginNewFile(const FileLocation &at,
                                                        std::uint32_t mode,
                                                        const SaveRules &rules,
                                                        SystemError &why) {
  ++calls.beginNewFile;
  note("beginNewFile " + at.name);
  if (fails(fail.beginNewFile, at.name)) {
    ++calls.faults;
    why = SystemError{5, "Input/output error"};
    return nullptr;
  }
  auto out = inner_.beginNewFile(at, mode, rules, why);
  if (!out)
    return nullptr;
  return std::make_unique<FaultyNewFile>(std::move(out), at.name, *this);
}

bool FaultyFileSystem::flushDirectory(const Directory &directory,
                                      SystemError &why) {
  ++calls.directoryFlushes;
  note("flushDirectory");
  if (fail.directoryFlush &&
      (!fail.onlyDirectory || *fail.onlyDirectory == directory.id())) {
    ++calls.faults;
    const int code = fail.error != 0 ? fail.error : EIO;
    why = SystemError{code, code == EIO ? "Input/output error" : ""};
    errno = code;
    return false;
  }
  return inner_.flushDirectory(directory, why);
}

void FaultyFileSystem::note(const std::string &entry) {
  log.push_back(entry);
  if (beforeCall)
    beforeCall(entry);
}

bool FaultyFileSystem::fails(bool planned, const std::string &path) const {
  return planned && (fail.onlyPath.empty() || fail.onlyPath == path);
}

std::unique_ptr<InputFile> FaultyFileSystem::openRead(const FileLocation &at) {
  ++calls.openRead;
  note("openRead " + at.name);
  if (fails(fail.openRead, at.name)) {
    ++calls.faults;
    setError(fail);
    return nullptr;
  }
  auto in = inner_.openRead(at);
  if (!in)
    return nullptr;
  return std::make_unique<FaultyInputFile>(std::move(in), at.name, *this);
}

std::optional<FileStatus> FaultyFileSystem::status(const FileLocation &at) {
  ++calls.status;
  note("status " + at.name);
  if (fails(fail.status, at.name)) {
    ++calls.faults;
    setError(fail);
    return std::nullopt;
  }
  auto status = inner_.status(at);
  if (status)
    status = shown(*status);
  return status;
}

std::shared_ptr<const Directory>
FaultyFileSystem::openDirectory(const FileLocation &at) {
  ++calls.openDirectory;
  note("openDirectory " + at.name);
  if (fails(fail.openDirectory, at.name)) {
    ++calls.faults;
    return nullptr;
  }
  return inner_.openDirectory(at);
}

std::optional<std::vector<DirEntry>>
FaultyFileSystem::listDirectory(const Directory &directory,
                                const std::string &mask) {
  ++calls.listDirectory;
  note("listDirectory " + mask);
  if (fails(fail.listDirectory, mask)) {
    ++calls.faults;
    return std::nullopt;
  }
  auto entries = inner_.listDirectory(directory, mask);
  if (entries)
    for (DirEntry &entry : *entries)
      if (entry.status)
        entry.status = shown(*entry.status);
  return entries;
}

FileStatus FaultyFileSystem::shown(FileStatus status) const {
  if (fail.hideBirthTimes)
    status.id.born = FileTime{};
  if (fail.wholeSecondTimes) {
    status.modifiedNanoseconds = 0;
    status.changedNanoseconds = 0;
  }
  return status;
}

std::unique_ptr<DirListing> FaultyFileSystem::list(const std::string &pattern) {
  ++calls.list;
  note("list " + pattern);
  if (fails(fail.list, pattern)) {
    ++calls.faults;
    return nullptr;
  }
  return inner_.list(pattern);
}

std::optional<std::uint32_t> FaultyFileSystem::lookup(const std::string &name) {
  ++calls.lookup;
  note("lookup " + name);
  if (fails(fail.lookup, name)) {
    ++calls.faults;
    return std::nullopt;
  }
  return inner_.lookup(name);
}

ReplaceCheck FaultyFileSystem::replaceAccess(const FileLocation &at) {
  ++calls.replaceAccess;
  note("replaceAccess " + at.name);
  if (fails(fail.replaceAccess, at.name)) {
    ++calls.faults;
    return {ReplaceAccess::Denied, fail.error != 0 ? fail.error : EACCES};
  }
  return inner_.replaceAccess(at);
}

std::unique_ptr<SaveFile> beginSaveOf(FileSystem &fs, const FileLocation &at,
                                      const FileStatus &original,
                                      const SaveRules &rules) {
  auto in = fs.openRead(at);
  if (!in)
    return nullptr;
  SystemError why;
  return in->beginSave(original, rules, why);
}

} // namespace snpln::platform
