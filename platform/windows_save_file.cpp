#ifdef _WIN32

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/windows_detail.h"
#include "platform/windows_file_system.h"

#ifndef FILE_RENAME_FLAG_IGNORE_READONLY_ATTRIBUTE
#define FILE_RENAME_FLAG_IGNORE_READONLY_ATTRIBUTE 0x00000040
#endif

namespace snpln::platform::windows {

namespace {

// The class of SetFileInformationByHandle that renames with flags (its
// headers declare it only for later Windows versions than they target).
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);

using Step = WindowsFileSystem::CommitStep;

// Names tried before giving up when every one is taken.
constexpr int kNameTries = 100;

// Further tries of a replace by name that found the old file held open
// (about a fifth of a second in all).
constexpr int kMoveTries = 20;

// The attributes a new version of a file takes from the old one.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
    FILE_ATTRIBUTE_ARCHIVE;

bool setAttributes(HANDLE h, DWORD attributes) {
  FILE_BASIC_INFO basic{}; // zero times: left as they are
  basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic);
}

class WindowsSaveFile : public SaveFile {
public:
  WindowsSaveFile(std::shared_ptr<HandleGuard> locked,
                  std::shared_ptr<const WindowsDirectory> directory,
                  std::wstring base, FileStatus original, HandleGuard file,
                  std::wstring tempName, SaveSeams seams)
      : locked_(std::move(locked)), directory_(std::move(directory)),
        base_(std::move(base)), original_(original), file_(std::move(file)),
        tempName_(std::move(tempName)), seams_(std::move(seams)) {}

  ~WindowsSaveFile() override { abandon(); }

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    written = 0;
    if (!file_.valid())
      return false;
    if (size == 0)
      return true;
    DWORD n = 0;
    if (!::WriteFile(file_.get(), buffer,
                     static_cast<DWORD>(std::min<std::size_t>(size, kMaxIo)),
                     &n, nullptr)) {
      errnoFromLastError();
      return false;
    }
    written = n;
    return true;
  }

  bool flush() override {
    if (file_.valid() && ::FlushFileBuffers(file_.get()))
      return true;
    errnoFromLastError();
    return false;
  }

  // Times go on the temporary file through its handle; nothing later in
  // the commit changes them.
  bool setTimes(const FileTime &accessed, const FileTime &modified) override {
    FILE_BASIC_INFO basic{}; // zero: left as they are
    basic.LastAccessTime.QuadPart = ticksOf(accessed);
    basic.LastWriteTime.QuadPart = ticksOf(modified);
    if (file_.valid() && ::SetFileInformationByHandle(
                             file_.get(), FileBasicInfo, &basic, sizeof basic))
      return true;
    errnoFromLastError();
    return false;
  }

  SaveOutcome commit() override {
    if (!file_.valid())
      return SaveOutcome::WriteFailed;
    const SaveOutcome outcome = put();
    if (outcome != SaveOutcome::Replaced) {
      errnoFromLastError();
      const int reason = errno;
      abandon();
      errno = reason;
    }
    return outcome;
  }

  void abandon() override {
    // The temporary file goes through its own handle, never by name (a
    // read-only attribute given to it first comes off).
    if (file_.valid()) {
      (void)setAttributes(file_.get(), FILE_ATTRIBUTE_NORMAL);
      FILE_DISPOSITION_INFO remove{};
      remove.DeleteFile = TRUE;
      (void)::SetFileInformationByHandle(file_.get(), FileDispositionInfo,
                                         &remove, sizeof remove);
    }
    file_.reset();
    locked_.reset();
    directory_.reset();
  }

private:
  bool allowed(Step step) {
    if (seams_.check && !seams_.check(step)) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    return true;
  }

  SaveOutcome put() {
    HandleInfo before;
    if (!allowed(Step::Attributes) || !infoOf(locked_->get(), before))
      return SaveOutcome::WriteFailed;
    const DWORD kept = before.attributes & kKeptAttributes;
    HandleInfo own;
    if (!setAttributes(file_.get(), kept) || !infoOf(file_.get(), own) ||
        (own.attributes & kKeptAttributes) != kept)
      return SaveOutcome::AttributesNotKept;
    if (!allowed(Step::Flush) || !::FlushFileBuffers(file_.get()))
      return SaveOutcome::WriteFailed;

    // The last look before the replace: the locked file is still the
    // version that was read, and its name still leads to it.
    if (!allowed(Step::Check))
      return SaveOutcome::WriteFailed;
    if (!unchanged())
      return SaveOutcome::TargetChanged;
    if (!allowed(Step::Rename))
      return SaveOutcome::WriteFailed;
    if (!seams_.renameByHandleRefused && renameByHandle()) {
      finish();
      return SaveOutcome::Replaced;
    }
    return moveByName();
  }

  bool unchanged() {
    HandleInfo now, named;
    if (!infoOf(locked_->get(), now) || !sameVersion(original_, now.status))
      return false;
    HandleGuard h(
        openRelative(directory_->handle(), base_, FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     FILE_OPEN, FILE_OPEN_REPARSE_POINT));
    return h.valid() && infoOf(h.get(), named) &&
           !isNameSurrogate(named.attributes, named.reparseTag) &&
           (named.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           named.status.id == now.status.id;
  }

  // The new file takes the old one's name in one step, relative to the
  // directory's handle, while the old one stays open and locked.
  bool renameByHandle() {
    const std::size_t bytes = base_.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + bytes +
                                      sizeof(wchar_t));
    auto *info = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    info->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS |
                  FILE_RENAME_FLAG_POSIX_SEMANTICS |
                  FILE_RENAME_FLAG_IGNORE_READONLY_ATTRIBUTE;
    info->RootDirectory = directory_->handle();
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(base_.begin(), base_.end(), info->FileName);
    return ::SetFileInformationByHandle(file_.get(), kFileRenameInfoEx, info,
                                        static_cast<DWORD>(buffer.size()));
  }

  // Where the file system cannot replace a file that is open: our handle
  // of the old file is closed (the lock goes with it), its read-only
  // attribute cleared through that handle first, and the new file moved
  // over it by name.
  SaveOutcome moveByName() {
    const auto where = pathOf(*directory_);
    if (!where)
      return SaveOutcome::WriteFailed;
    const std::wstring from = *where + L"\\" + tempName_;
    const std::wstring to = *where + L"\\" + base_;
    HandleInfo old;
    if (!infoOf(locked_->get(), old))
      return SaveOutcome::WriteFailed;
    const bool readOnly = (old.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly &&
        !setAttributes(locked_->get(),
                       old.attributes &
                           ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
      return SaveOutcome::WriteFailed;
    locked_->reset();
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0;; ++attempt) {
      if (::MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        finish();
        return SaveOutcome::Replaced;
      }
      error = ::GetLastError();
      // A name cannot be replaced while anyone holds its file open, even
      // for a moment (a look at its attributes through another of its
      // names, an indexer): tried again a few times while the name still
      // leads to the very version that was read.
      if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
          attempt == kMoveTries || !stillTheVersionRead(old.status))
        break;
      ::Sleep(static_cast<DWORD>(1 + attempt));
    }
    if (readOnly) {
      // The old file gets its attribute back, through a handle of the very
      // file that was read.
      HandleGuard h(
          openRelative(directory_->handle(), base_,
                       FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       FILE_OPEN, FILE_OPEN_REPARSE_POINT));
      HandleInfo now;
      if (h.valid() && infoOf(h.get(), now) && now.status.id == original_.id)
        (void)setAttributes(h.get(), old.attributes & 0xFFFF);
    }
    ::SetLastError(error);
    return SaveOutcome::WriteFailed;
  }

  // Whether `base_` still names the file that was read, its content as it
  // was (its change time may be ours: the read-only attribute cleared).
  bool stillTheVersionRead(const FileStatus &was) {
    HandleGuard h(
        openRelative(directory_->handle(), base_, FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     FILE_OPEN, FILE_OPEN_REPARSE_POINT));
    HandleInfo now;
    return h.valid() && infoOf(h.get(), now) &&
           !isNameSurrogate(now.attributes, now.reparseTag) &&
           now.status.id == original_.id && now.status.size == was.size &&
           now.status.modifiedSeconds == was.modifiedSeconds &&
           now.status.modifiedNanoseconds == was.modifiedNanoseconds;
  }

  void finish() {
    file_.reset();
    locked_.reset();
    directory_.reset();
  }

  std::shared_ptr<HandleGuard> locked_; // the file read, which holds the lock
  std::shared_ptr<const WindowsDirectory> directory_;
  std::wstring base_;
  FileStatus original_;
  HandleGuard file_;
  std::wstring tempName_;
  SaveSeams seams_;
};

} // namespace

std::unique_ptr<SaveFile>
beginWindowsSave(std::shared_ptr<HandleGuard> locked,
                 std::shared_ptr<const WindowsDirectory> directory,
                 std::wstring base, const FileStatus &original,
                 const SaveSeams &seams, SystemError &why) {
  why = SystemError{};
  if (!locked || !locked->valid() || !directory) {
    why = systemError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HandleGuard file;
  std::wstring name;
  DWORD error = 0;
  for (int i = 0; !file.valid() && i < kNameTries; ++i) {
    name = *widen(randomTemporaryName());
    file.reset(openRelative(directory->handle(), name,
                            GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES |
                                FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_CREATE,
                            FILE_NON_DIRECTORY_FILE));
    if (!file.valid()) {
      error = ::GetLastError();
      if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
        break;
    }
  }
  if (!file.valid()) {
    why = systemError(error);
    ::SetLastError(error);
    errnoFromLastError();
    return nullptr;
  }
  return std::make_unique<WindowsSaveFile>(
      std::move(locked), std::move(directory), std::move(base), original,
      std::move(file), std::move(name), seams);
}

} // namespace snpln::platform::windows

#endif // _WIN32
