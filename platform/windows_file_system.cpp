#ifdef _WIN32

#include "platform/windows_file_system.h"
#include "platform/windows_detail.h"

#include <algorithm>
#include <vector>

namespace snpln::platform {

namespace {

using windows::HandleGuard;
using windows::HandleInfo;

constexpr ULONG kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// How a file to be rewritten is opened: others may read it and rename or
// delete its name, but none may write it while it is open.
constexpr ULONG kShareForRewrite = FILE_SHARE_READ | FILE_SHARE_DELETE;
constexpr ACCESS_MASK kDirectoryAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

// Our runs' lock: one byte far beyond the end of any file, so that it stops
// no one's reading or writing, only another run's lock.
constexpr DWORD kLockOffsetLow = 0xFFFFFFF0u;
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFFu;

bool hasWildcard(const std::string &part) {
  return part.find_first_of("*?") != std::string::npos;
}

// Opens `name` in `directory` for reading to rewrite, never through a link;
// a reparse point that is not a link (a cloud placeholder) is opened as the
// file it stands for.
HandleGuard openFileIn(HANDLE directory, const std::wstring &name,
                       HandleInfo &info) {
  constexpr ULONG kOptions = FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY;
  ACCESS_MASK access =
      FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
  HandleGuard h(windows::openRelative(directory, name, access, kShareForRewrite,
                                      FILE_OPEN,
                                      kOptions | FILE_OPEN_REPARSE_POINT));
  if (!h.valid() && ::GetLastError() == ERROR_ACCESS_DENIED) {
    // Without the right to change its attributes: read it all the same.
    access &= ~static_cast<ACCESS_MASK>(FILE_WRITE_ATTRIBUTES);
    h.reset(windows::openRelative(directory, name, access, kShareForRewrite,
                                  FILE_OPEN,
                                  kOptions | FILE_OPEN_REPARSE_POINT));
  }
  if (!h.valid() || !windows::infoOf(h.get(), info))
    return HandleGuard();
  if (windows::isNameSurrogate(info.attributes, info.reparseTag) ||
      (info.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return HandleGuard();
  if ((info.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // The file the placeholder stands for, which must be the same file.
    const FileId id = info.status.id;
    h.reset(windows::openRelative(directory, name, access, kShareForRewrite,
                                  FILE_OPEN, kOptions));
    if (!h.valid() || !windows::infoOf(h.get(), info) || info.status.id != id)
      return HandleGuard();
  }
  return h;
}

class WindowsInputFile : public InputFile {
public:
  WindowsInputFile(HandleGuard handle,
                   std::shared_ptr<const windows::WindowsDirectory> directory,
                   std::wstring base, windows::SaveSeams seams)
      : handle_(std::make_shared<HandleGuard>(std::move(handle))),
        directory_(std::move(directory)), base_(std::move(base)),
        seams_(std::move(seams)) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    got = 0;
    char *out = static_cast<char *>(buffer);
    while (got < size) {
      DWORD n = 0;
      const DWORD ask = static_cast<DWORD>(
          std::min<std::size_t>(size - got, windows::kMaxIo));
      if (!::ReadFile(handle_->get(), out + got, ask, &n, nullptr)) {
        windows::errnoFromLastError();
        return false;
      }
      if (n == 0)
        break; // end of file
      got += n;
      pos_ += n;
    }
    return true;
  }

  bool seek(FileSize position) override {
    if (position > static_cast<FileSize>(INT64_MAX))
      return false;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!::SetFilePointerEx(handle_->get(), to, nullptr, FILE_BEGIN))
      return false;
    pos_ = position;
    return true;
  }

  FileSize position() const override { return pos_; }

  bool size(FileSize &result) override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle_->get(), &size))
      return false;
    result = static_cast<FileSize>(size.QuadPart);
    return true;
  }

  bool status(FileStatus &result) override {
    HandleInfo info;
    if (!windows::infoOf(handle_->get(), info))
      return false;
    result = info.status;
    return true;
  }

  LockOutcome lock() override {
    OVERLAPPED at{};
    at.Offset = kLockOffsetLow;
    at.OffsetHigh = kLockOffsetHigh;
    if (::LockFileEx(handle_->get(),
                     LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                     0, &at))
      return LockOutcome::Locked;
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
      return LockOutcome::Busy;
    return LockOutcome::Unsupported;
  }

  bool stillNamed() override {
    HandleGuard named(
        windows::openRelative(directory_->handle(), base_, FILE_READ_ATTRIBUTES,
                              kShareAll, FILE_OPEN, FILE_OPEN_REPARSE_POINT));
    HandleInfo now, open;
    return named.valid() && windows::infoOf(named.get(), now) &&
           !windows::isNameSurrogate(now.attributes, now.reparseTag) &&
           (now.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           windows::infoOf(handle_->get(), open) &&
           now.status.id == open.status.id;
  }

  std::unique_ptr<SaveFile> beginSave(const FileStatus &original,
                                      const SaveRules &rules,
                                      SystemError &why) override {
    // No owners to keep on Windows; backups are not made here yet (the
    // command line refuses --backup, see kNewFilesAndBackups).
    if (!rules.backupSuffix.empty()) {
      why = windows::systemError(ERROR_NOT_SUPPORTED);
      return nullptr;
    }
    return windows::beginWindowsSave(handle_, directory_, base_, original,
                                     seams_, why);
  }

private:
  std::shared_ptr<HandleGuard> handle_;
  std::shared_ptr<const windows::WindowsDirectory> directory_;
  std::wstring base_;
  windows::SaveSeams seams_;
  FileSize pos_ = 0;
};

class VectorListing : public DirListing {
public:
  explicit VectorListing(std::vector<DirEntry> entries)
      : entries_(std::move(entries)) {}
  std::optional<DirEntry> next() override {
    if (index_ >= entries_.size())
      return std::nullopt;
    return std::move(entries_[index_++]);
  }

private:
  std::vector<DirEntry> entries_;
  std::size_t index_ = 0;
};

// The handle of a location's own entry, links not followed (a path's last
// name included), for looking at it.
HandleGuard openEntry(const std::string &path) {
  const auto wide = windows::longPath(path);
  if (!wide || wide->rfind(L"\\\\.\\", 0) == 0)
    return HandleGuard();
  return HandleGuard(::CreateFileW(
      wide->c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

} // namespace

std::unique_ptr<InputFile> WindowsFileSystem::openRead(const FileLocation &at) {
  // The system's reason for a refusal, in errno as callers expect it (none
  // for a refusal of ours: a directory, a link in a tree, a device).
  ::SetLastError(ERROR_SUCCESS);
  auto file = openFile(at);
  if (!file)
    windows::errnoFromLastError();
  return file;
}

std::unique_ptr<InputFile> WindowsFileSystem::openFile(const FileLocation &at) {
  if (at.name.empty())
    return nullptr;
  std::shared_ptr<const windows::WindowsDirectory> dir;
  std::wstring base;
  HandleInfo info;
  HandleGuard file;
  if (at.directory) {
    dir = windows::directoryOf(at);
    const auto name = windows::widen(at.name);
    if (!dir || !name || !windows::isPlainName(at.name))
      return nullptr;
    base = *name;
    file = openFileIn(dir->handle(), base, info);
  } else {
    // A name the user gave: its links followed to the file, which is then
    // opened in the directory that holds it, by its own name there.
    const auto wide = windows::longPath(at.name);
    if (!wide || wide->rfind(L"\\\\.\\", 0) == 0)
      return nullptr;
    HandleGuard followed(::CreateFileW(wide->c_str(), FILE_READ_ATTRIBUTES,
                                       kShareAll, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    HandleInfo target;
    if (!followed.valid() || ::GetFileType(followed.get()) != FILE_TYPE_DISK ||
        !windows::infoOf(followed.get(), target))
      return nullptr;
    if ((target.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      ::SetLastError(ERROR_DIRECTORY_NOT_SUPPORTED);
      return nullptr;
    }
    // Where the system cannot tell the final path (wine, for long ones),
    // the name as given: a link as its last part is then refused below.
    const auto final = windows::finalPath(followed.get()).value_or(*wide);
    const auto cut = final.find_last_of(L'\\');
    if (cut == std::wstring::npos)
      return nullptr;
    base = final.substr(cut + 1);
    std::wstring parent = final.substr(0, cut);
    if (parent.size() == 6 && parent[5] == L':') // "\\?\C:" is "\\?\C:\"
      parent += L'\\';
    dir = windows::makeDirectory(
        HandleGuard(::CreateFileW(
            parent.c_str(), kDirectoryAccess | SYNCHRONIZE, kShareAll, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)),
        parent);
    if (!dir)
      return nullptr;
    file = openFileIn(dir->handle(), base, info);
    if (file.valid() && info.status.id != target.status.id)
      return nullptr; // the name changed between the two opens
  }
  if (!file.valid())
    return nullptr;
  windows::SaveSeams seams{commitCheck, renameByHandleRefused};
  return std::make_unique<WindowsInputFile>(std::move(file), std::move(dir),
                                            std::move(base), std::move(seams));
}

std::optional<FileStatus> WindowsFileSystem::status(const FileLocation &at) {
  if (at.name.empty())
    return std::nullopt;
  HandleGuard h;
  if (at.directory) {
    const auto dir = windows::directoryOf(at);
    const auto name = windows::widen(at.name);
    if (!dir || !name || !windows::isPlainName(at.name))
      return std::nullopt;
    h.reset(windows::openRelative(dir->handle(), *name, FILE_READ_ATTRIBUTES,
                                  kShareAll, FILE_OPEN,
                                  FILE_OPEN_REPARSE_POINT));
  } else {
    const auto wide = windows::longPath(at.name);
    if (!wide || wide->rfind(L"\\\\.\\", 0) == 0)
      return std::nullopt;
    h.reset(::CreateFileW(wide->c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                          nullptr));
  }
  HandleInfo info;
  if (!h.valid() || !windows::infoOf(h.get(), info))
    return std::nullopt;
  return info.status;
}

std::shared_ptr<const Directory>
WindowsFileSystem::openDirectory(const FileLocation &at) {
  ::SetLastError(ERROR_SUCCESS);
  auto directory = openDirectoryAt(at);
  if (!directory)
    windows::errnoFromLastError();
  return directory;
}

std::shared_ptr<const Directory>
WindowsFileSystem::openDirectoryAt(const FileLocation &at) {
  if (!at.directory)
    return at.name.empty() ? nullptr : windows::openDirectoryAt(at.name);
  const auto dir = windows::directoryOf(at);
  if (!dir)
    return nullptr;
  if (at.name == "..") {
    const auto path = windows::pathOf(*dir);
    if (!path)
      return nullptr;
    const auto cut = path->find_last_of(L'\\');
    if (cut == std::wstring::npos || cut < 7)
      return nullptr; // a root has no parent
    std::wstring parent = path->substr(0, cut);
    if (parent.size() == 6 && parent[5] == L':')
      parent += L'\\';
    return windows::makeDirectory(
        HandleGuard(::CreateFileW(
            parent.c_str(), kDirectoryAccess | SYNCHRONIZE, kShareAll, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)),
        parent);
  }
  const auto name = windows::widen(at.name == "." ? std::string() : at.name);
  if (!name || (at.name != "." && !windows::isPlainName(at.name)))
    return nullptr;
  HandleGuard h(windows::openRelative(
      dir->handle(), *name, kDirectoryAccess, kShareAll, FILE_OPEN,
      FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT));
  HandleInfo info;
  if (!h.valid() || !windows::infoOf(h.get(), info) ||
      windows::isNameSurrogate(info.attributes, info.reparseTag))
    return nullptr;
  const std::wstring path = dir->path().empty() || name->empty()
                                ? dir->path()
                                : dir->path() + L"\\" + *name;
  return windows::makeDirectory(std::move(h), path);
}

std::optional<std::vector<DirEntry>>
WindowsFileSystem::listDirectory(const Directory &directory,
                                 const std::string &mask) {
  const auto *dir = dynamic_cast<const windows::WindowsDirectory *>(&directory);
  if (dir == nullptr)
    return std::nullopt;
  // A handle of its own, so that each listing starts at the beginning.
  HandleGuard h(windows::openRelative(dir->handle(), std::wstring(),
                                      FILE_LIST_DIRECTORY, kShareAll, FILE_OPEN,
                                      FILE_DIRECTORY_FILE));
  if (!h.valid())
    return std::nullopt;
  std::vector<DirEntry> entries;
  // Aligned for the records the system writes into it.
  std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
  const DWORD bufferSize = static_cast<DWORD>(buffer.size() * sizeof buffer[0]);
  bool first = true;
  for (;;) {
    if (!::GetFileInformationByHandleEx(h.get(),
                                        first ? FileIdBothDirectoryRestartInfo
                                              : FileIdBothDirectoryInfo,
                                        buffer.data(), bufferSize)) {
      if (::GetLastError() == ERROR_NO_MORE_FILES)
        break;
      return std::nullopt;
    }
    first = false;
    const auto *bytes = reinterpret_cast<const unsigned char *>(buffer.data());
    for (std::size_t at = 0;;) {
      const auto *e =
          reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(bytes + at);
      const std::string name = windows::narrow(
          std::wstring(e->FileName, e->FileNameLength / sizeof(wchar_t)));
      if (matchesDosMask(name, mask)) {
        // For a reparse point the EA size holds its tag.
        const DWORD tag =
            (e->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? e->EaSize : 0;
        entries.push_back(
            DirEntry{name, windows::entryWordOf(e->FileAttributes, tag, name),
                     windows::kindOf(e->FileAttributes, tag)});
      }
      if (e->NextEntryOffset == 0)
        break;
      at += e->NextEntryOffset;
    }
  }
  return entries;
}

std::unique_ptr<DirListing>
WindowsFileSystem::list(const std::string &pattern) {
  std::string dirPath, mask;
  windows::splitPath(pattern, dirPath, mask);
  const auto dir = windows::openDirectoryAt(dirPath);
  if (!dir)
    return nullptr;
  auto entries = listDirectory(*dir, mask);
  if (!entries || entries->empty())
    return nullptr;
  return std::make_unique<VectorListing>(std::move(*entries));
}

std::optional<std::uint32_t>
WindowsFileSystem::lookup(const std::string &name) {
  ::SetLastError(ERROR_SUCCESS);
  auto word = lookupWord(name);
  if (!word)
    windows::errnoFromLastError();
  return word;
}

std::optional<std::uint32_t>
WindowsFileSystem::lookupWord(const std::string &name) {
  if (name.empty())
    return std::nullopt;
  std::string dirPath, last;
  windows::splitPath(name, dirPath, last);
  if (hasWildcard(last)) {
    auto listing = list(name);
    if (!listing)
      return std::nullopt;
    auto entry = listing->next();
    if (!entry)
      return std::nullopt;
    return entry->attributes;
  }
  if (last.empty() && !(name.back() == ':' || name == "\\" || name == "/" ||
                        (name.size() == 3 && name[1] == ':'))) {
    // "name\" names a directory: it must lead to one.
    const auto dir = windows::openDirectoryAt(name);
    if (!dir)
      return std::nullopt;
    std::string stripped = name;
    while (!stripped.empty() &&
           (stripped.back() == '\\' || stripped.back() == '/'))
      stripped.pop_back();
    windows::splitPath(stripped, dirPath, last);
    HandleGuard h = openEntry(stripped);
    HandleInfo info;
    if (!h.valid() || !windows::infoOf(h.get(), info))
      return std::nullopt;
    return windows::entryWordOf(info.attributes, info.reparseTag, last);
  }
  HandleGuard h = openEntry(name);
  HandleInfo info;
  if (!h.valid() || !windows::infoOf(h.get(), info))
    return std::nullopt;
  return windows::entryWordOf(info.attributes, info.reparseTag, last);
}

FileSystem &realFileSystem() {
  static WindowsFileSystem instance;
  return instance;
}

} // namespace snpln::platform

#endif // _WIN32
