#ifdef _WIN32

#include "platform/windows_detail.h"

#include "platform/temporary_name.h"

#include <cerrno>
#include <vector>

#include <bcrypt.h>
#include <winternl.h>

namespace snpln::platform::windows {

namespace {

// 100-nanosecond ticks from 1601 to 1970.
constexpr std::int64_t kTicksTo1970 = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

FileTime timeOf(std::int64_t ticks) {
  const std::int64_t since = ticks - kTicksTo1970;
  std::int64_t seconds = since / kTicksPerSecond;
  std::int64_t rest = since % kTicksPerSecond;
  if (rest < 0) {
    rest += kTicksPerSecond;
    --seconds;
  }
  return FileTime{seconds, rest * 100};
}

FileTime timeOf(const FILETIME &t) {
  return timeOf(static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime));
}

} // namespace

std::int64_t ticksOf(const FileTime &time) {
  return kTicksTo1970 + time.seconds * kTicksPerSecond + time.nanoseconds / 100;
}

namespace {

bool startsWith(const std::wstring &text, const wchar_t *prefix) {
  return text.rfind(prefix, 0) == 0;
}

// The attribute bits the word carries.
constexpr DWORD kWordBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                            FILE_ATTRIBUTE_ARCHIVE;

} // namespace

std::optional<std::wstring> widen(const std::string &text) {
  if (text.empty())
    return std::wstring();
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS,
                                      text.data(), size, nullptr, 0);
  if (n <= 0)
    return std::nullopt;
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size,
                        out.data(), n);
  return out;
}

std::string narrow(const std::wstring &text) {
  if (text.empty())
    return std::string();
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0,
                                      nullptr, nullptr);
  if (n <= 0)
    return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr,
                        nullptr);
  return out;
}

std::optional<std::wstring> longPath(const std::string &path) {
  auto wide = widen(path);
  if (!wide || wide->empty())
    return std::nullopt;
  // Already in the system's own form: as it stands.
  if (startsWith(*wide, L"\\\\?\\"))
    return wide;
  for (wchar_t &c : *wide)
    if (c == L'/')
      c = L'\\';
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFullPathNameW(
        wide->c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0)
      return std::nullopt;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.assign(n + 1, L'\0');
  }
  if (startsWith(full, L"\\\\.\\") || startsWith(full, L"\\\\?\\"))
    return full; // a device ("CON" is "\\.\CON"): refused by the callers
  if (startsWith(full, L"\\\\"))
    return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

SystemError systemError(DWORD code) {
  wchar_t *buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
  std::string text;
  if (n > 0 && buffer != nullptr)
    text = narrow(std::wstring(buffer, n));
  if (buffer != nullptr)
    ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' ||
                           text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty())
    text = "Error " + std::to_string(code);
  return SystemError{static_cast<int>(code), text};
}

void errnoFromLastError() {
  switch (::GetLastError()) {
  case ERROR_SUCCESS:
    errno = 0;
    break;
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_INVALID_DRIVE:
  case ERROR_BAD_NETPATH:
    errno = ENOENT;
    break;
  case ERROR_ACCESS_DENIED:
  case ERROR_WRITE_PROTECT:
    errno = EACCES;
    break;
  case ERROR_SHARING_VIOLATION:
  case ERROR_LOCK_VIOLATION:
    errno = EBUSY;
    break;
  case ERROR_DISK_FULL:
  case ERROR_HANDLE_DISK_FULL:
    errno = ENOSPC;
    break;
  case ERROR_FILE_EXISTS:
  case ERROR_ALREADY_EXISTS:
    errno = EEXIST;
    break;
  case ERROR_INVALID_NAME: // no file can bear such a name ("*.txt")
    errno = ENOENT;
    break;
  case ERROR_DIRECTORY_NOT_SUPPORTED: // a directory where a file was asked
    errno = EISDIR;
    break;
  case ERROR_DIRECTORY:
    errno = EINVAL;
    break;
  case ERROR_FILENAME_EXCED_RANGE:
    errno = ENAMETOOLONG;
    break;
  case ERROR_NOT_ENOUGH_MEMORY:
  case ERROR_OUTOFMEMORY:
    errno = ENOMEM;
    break;
  default:
    errno = EIO;
    break;
  }
}

SystemError lastError() { return systemError(::GetLastError()); }

HANDLE openRelative(HANDLE root, const std::wstring &name, ACCESS_MASK access,
                    ULONG share, ULONG disposition, ULONG options,
                    ULONG attributes) {
  UNICODE_STRING text;
  text.Buffer = const_cast<wchar_t *>(name.c_str());
  text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, root,
                             nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE h = INVALID_HANDLE_VALUE;
  const NTSTATUS status = ::NtCreateFile(
      &h, access | SYNCHRONIZE, &object, &io, nullptr, attributes, share,
      disposition, options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status < 0) {
    ::SetLastError(::RtlNtStatusToDosError(status));
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

bool infoOf(HANDLE h, HandleInfo &info) {
  BY_HANDLE_FILE_INFORMATION by{};
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandle(h, &by) ||
      !::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic))
    return false;
  FileStatus &s = info.status;
  s = FileStatus{};
  s.id.device = by.dwVolumeSerialNumber;
  s.id.inode =
      (static_cast<std::uint64_t>(by.nFileIndexHigh) << 32) | by.nFileIndexLow;
  s.id.born = timeOf(by.ftCreationTime);
  s.size = (static_cast<FileSize>(by.nFileSizeHigh) << 32) | by.nFileSizeLow;
  s.links = by.nNumberOfLinks;
  const FileTime modified = timeOf(basic.LastWriteTime.QuadPart);
  s.modifiedSeconds = modified.seconds;
  s.modifiedNanoseconds = modified.nanoseconds;
  const FileTime changed = timeOf(basic.ChangeTime.QuadPart);
  s.changedSeconds = changed.seconds;
  s.changedNanoseconds = changed.nanoseconds;
  // No permission bits on Windows: the read-only attribute stands for the
  // owner's write bit.
  s.mode = (by.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  info.attributes = by.dwFileAttributes;
  info.reparseTag = 0;
  if ((by.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag,
                                       sizeof tag))
      info.reparseTag = tag.ReparseTag;
  }
  return true;
}

bool isNameSurrogate(DWORD attributes, DWORD reparseTag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         IsReparseTagNameSurrogate(reparseTag);
}

EntryKind kindOf(DWORD attributes, DWORD reparseTag) {
  if (isNameSurrogate(attributes, reparseTag))
    return EntryKind::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return EntryKind::Directory;
  if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
    return EntryKind::Other;
  return EntryKind::File;
}

std::uint32_t entryWordOf(DWORD attributes, DWORD reparseTag,
                          const std::string &name) {
  std::uint32_t word = attributes & kWordBits;
  if (isNameSurrogate(attributes, reparseTag))
    word |= kAttrReparsePoint;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..")
    word |= kAttrHidden;
  return word;
}

std::shared_ptr<const WindowsDirectory> makeDirectory(HandleGuard handle,
                                                      std::wstring path) {
  HandleInfo info;
  if (!handle.valid() || !infoOf(handle.get(), info) ||
      (info.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return nullptr;
  return std::make_shared<WindowsDirectory>(std::move(handle), info.status.id,
                                            std::move(path));
}

std::shared_ptr<const WindowsDirectory>
openDirectoryAt(const std::string &path) {
  HandleGuard h = openDirectoryPath(path);
  if (!h.valid())
    return nullptr;
  std::string name = path;
  while (name.size() > 1 && (name.back() == '\\' || name.back() == '/') &&
         !(name.size() == 3 && name[1] == ':'))
    name.pop_back();
  const auto wide = longPath(name);
  return makeDirectory(std::move(h), wide ? *wide : std::wstring());
}

std::optional<std::wstring> pathOf(const WindowsDirectory &directory) {
  if (auto path = finalPath(directory.handle()))
    return path;
  if (!directory.path().empty())
    return directory.path();
  return std::nullopt;
}

std::shared_ptr<const WindowsDirectory> directoryOf(const FileLocation &at) {
  return std::dynamic_pointer_cast<const WindowsDirectory>(at.directory);
}

bool isPlainName(const std::string &name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

std::optional<std::wstring> finalPath(HANDLE h) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleW(
        h, path.data(), static_cast<DWORD>(path.size()),
        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0)
      return std::nullopt;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.assign(n + 1, L'\0');
  }
  if (!startsWith(path, L"\\\\?\\"))
    path = L"\\\\?\\" + path;
  return path;
}

void splitPath(const std::string &path, std::string &directory,
               std::string &base) {
  const auto at = path.find_last_of("\\/:");
  if (at == std::string::npos) {
    directory = ".";
    base = path;
    return;
  }
  base = path.substr(at + 1);
  if (path[at] == ':' || at == 0 || (at == 2 && path[1] == ':'))
    directory = path.substr(0, at + 1); // "C:", "\", "C:\": a root stays
  else
    directory = path.substr(0, at);
}

HandleGuard openDirectoryPath(const std::string &path) {
  std::string name = path;
  // "dir\" is "dir"; a root keeps its separator.
  while (name.size() > 1 && (name.back() == '\\' || name.back() == '/') &&
         !(name.size() == 3 && name[1] == ':'))
    name.pop_back();
  const auto wide = longPath(name);
  if (!wide || startsWith(*wide, L"\\\\.\\")) {
    ::SetLastError(ERROR_PATH_NOT_FOUND);
    return HandleGuard();
  }
  HandleGuard h(::CreateFileW(
      wide->c_str(),
      FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h;
}

std::string randomTemporaryName() {
  unsigned char bytes[kTemporaryNameBytes];
  if (::BCryptGenRandom(nullptr, bytes, sizeof bytes,
                        BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
    fillWithoutRandomSource(
        bytes, static_cast<std::uint64_t>(::GetCurrentProcessId()));
  return temporaryNameFrom(bytes);
}

} // namespace snpln::platform::windows

#endif // _WIN32
