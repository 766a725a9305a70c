// Pieces the Windows file services share: UTF-8 and UTF-16, a handle that
// closes itself, paths with the long-path prefix, opens relative to an open
// directory (NtCreateFile with a root directory), the status and attribute
// word of an open handle, the system's words for an error, and the way from
// a FileLocation to a directory handle and a name.
#pragma once

#ifdef _WIN32

#include <memory>
#include <optional>
#include <string>

#include <windows.h>

#include "platform/file_system.h"
#include "platform/windows_file_system.h"

namespace snpln::platform::windows {

// UTF-8 to UTF-16; nothing when the bytes are not UTF-8.
std::optional<std::wstring> widen(const std::string &text);
// UTF-16 to UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string narrow(const std::wstring &text);

class HandleGuard {
public:
  explicit HandleGuard(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~HandleGuard() { reset(); }
  HandleGuard(HandleGuard &&other) noexcept : h_(other.release()) {}
  HandleGuard &operator=(HandleGuard &&other) noexcept {
    reset(other.release());
    return *this;
  }
  HandleGuard(const HandleGuard &) = delete;
  HandleGuard &operator=(const HandleGuard &) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (valid())
      ::CloseHandle(h_);
    h_ = h;
  }

private:
  HANDLE h_;
};

// An open directory: a handle that may list it and open names in it, and
// the path it was reached by (where known), for the few calls that take a
// path when the system cannot say the handle's own.
class WindowsDirectory : public Directory {
public:
  WindowsDirectory(HandleGuard handle, FileId id, std::wstring path)
      : handle_(std::move(handle)), id_(id), path_(std::move(path)) {}
  FileId id() const override { return id_; }
  HANDLE handle() const { return handle_.get(); }
  const std::wstring &path() const { return path_; }

private:
  HandleGuard handle_;
  FileId id_;
  std::wstring path_;
};

// The most one read or write call is asked to move.
inline constexpr DWORD kMaxIo = DWORD{1} << 30;

// `path` (UTF-8, '/' or '\\' between names, relative to the current
// directory or absolute, "C:", "\\\\server\\share") as an absolute path with
// the long-path prefix ("\\\\?\\C:\\..." or "\\\\?\\UNC\\server\\..."), so
// that no length limit of 260 applies. Nothing when it is not UTF-8 or
// cannot be made absolute.
std::optional<std::wstring> longPath(const std::string &path);

// "A directory was given where a file was asked" (the system's own number,
// which these headers lack).
#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif

// Sets errno to what the last system error stands for (ENOENT, EACCES,
// EBUSY for a file another program holds, ENOSPC, ...; EIO for the rest, 0
// when there was none), as the callers take a failure's reason from errno.
// A time as Windows keeps it: 100-nanosecond ticks since 1601.
std::int64_t ticksOf(const FileTime &time);

void errnoFromLastError();

// The last system error as our SystemError (GetLastError and its words).
SystemError lastError();
SystemError systemError(DWORD code);

// Opens `name` (one name, no separator; empty: the directory itself) in the
// directory `root`, as CreateFile would but relative to a handle, so that
// no path is ever looked up again. `options` are NtCreateFile's create
// options (FILE_OPEN_REPARSE_POINT keeps a link from being followed).
// Sets the last error on failure.
HANDLE openRelative(HANDLE root, const std::wstring &name, ACCESS_MASK access,
                    ULONG share, ULONG disposition, ULONG options,
                    ULONG attributes = FILE_ATTRIBUTE_NORMAL);

// What a handle is: its identity, size, times and attribute bits, and the
// reparse tag when it is a reparse point (0 otherwise).
struct HandleInfo {
  FileStatus status;
  DWORD attributes = 0;
  DWORD reparseTag = 0;
};
bool infoOf(HANDLE h, HandleInfo &info);

// Whether an entry of these attributes and reparse tag is a name surrogate
// (a symbolic link or a junction), which the walk passes over like a link.
bool isNameSurrogate(DWORD attributes, DWORD reparseTag);
// What an entry is, links (name surrogates) not followed; another reparse
// point (a cloud placeholder, a deduplicated file) is a file or directory.
EntryKind kindOf(DWORD attributes, DWORD reparseTag);
// The attribute word of an entry: its read-only, hidden, system, directory
// and archive bits, the reparse bit for a name surrogate only, and the
// hidden bit for a name that begins with '.'.
std::uint32_t entryWordOf(DWORD attributes, DWORD reparseTag,
                          const std::string &name);

// An open directory made from a handle (its identity read from it) and the
// long path it was reached by ("" when unknown).
std::shared_ptr<const WindowsDirectory> makeDirectory(HandleGuard handle,
                                                      std::wstring path);
// The open directory at `path` (links followed); none when it cannot be
// opened.
std::shared_ptr<const WindowsDirectory>
openDirectoryAt(const std::string &path);
// The path of an open directory: the system's final path of its handle, else
// the path it was reached by.
std::optional<std::wstring> pathOf(const WindowsDirectory &directory);
// The open directory of a location (none for a path or one not ours).
std::shared_ptr<const WindowsDirectory> directoryOf(const FileLocation &at);

// Whether `name` is one name that may be opened in a directory: not empty,
// no separator or drive, not "." or "..".
bool isPlainName(const std::string &name);

// The final path of an open handle, with the long-path prefix.
std::optional<std::wstring> finalPath(HANDLE h);

// Splits a UTF-8 path at its last separator ('\\', '/' or a drive's ':'):
// the directory part ("." when there is none; a root keeps its separator)
// and the last name.
void splitPath(const std::string &path, std::string &directory,
               std::string &base);

// Opens the directory at `path` (links followed) for listing and opening
// names in it.
HandleGuard openDirectoryPath(const std::string &path);

// A new random name for a temporary file (see isTemporaryName).
std::string randomTemporaryName();

// What a save takes from the file system's test seams.
struct SaveSeams {
  WindowsFileSystem::CommitCheck check;
  bool renameByHandleRefused = false;
};

// Begins the new version of the file open (and locked, where it could be)
// as `locked`, whose name is `base` in `directory`. The save shares that
// handle with the open file: where the file system can only replace a file
// no one holds open, the save closes it before the replace.
std::unique_ptr<SaveFile>
beginWindowsSave(std::shared_ptr<HandleGuard> locked,
                 std::shared_ptr<const WindowsDirectory> directory,
                 std::wstring base, const FileStatus &original,
                 const SaveSeams &seams, SystemError &why);

} // namespace snpln::platform::windows

#endif // _WIN32
