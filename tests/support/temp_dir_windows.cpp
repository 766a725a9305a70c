#ifdef _WIN32

// The temporary directories of the tests on Windows: wide-character calls
// with long-path prefixes, so that trees of any depth can be made and
// removed. A mode is the read-only attribute: the owner's write bit clear
// sets it.

#include "tests/support/temp_dir.h"

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include <windows.h>

#include "platform/file_system.h"
#include "platform/windows_detail.h"

namespace snpln::test {

namespace {

using platform::windows::HandleGuard;
using platform::windows::narrow;

[[noreturn]] void fail(const std::string &what, const std::string &path) {
  throw std::runtime_error(what + " " + path + ": " +
                           platform::windows::lastError().text);
}

std::wstring wide(const std::string &path) {
  const auto w = platform::windows::longPath(path);
  if (!w)
    throw std::runtime_error("not a path: " + path);
  return *w;
}

std::string systemTempDir() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
  std::string dir = n > 0 ? narrow(std::wstring(buffer, n)) : "C:\\";
  while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/'))
    dir.pop_back();
  return dir;
}

bool removeWide(const std::wstring &path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ||
           ::GetLastError() == ERROR_PATH_NOT_FOUND;
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return ::DeleteFileW(path.c_str()) != 0;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
          removeWide(path + L"\\" + name);
      } while (::FindNextFileW(find, &entry));
      ::FindClose(find);
    }
  }
  return ::RemoveDirectoryW(path.c_str()) != 0;
}

} // namespace

bool removeTree(const std::string &path) { return removeWide(wide(path)); }

void makeDeepTree(const std::string &root, const std::string &level, int levels,
                  const std::string &name, const std::string &content) {
  std::string path = root;
  for (int i = 0; i < levels; ++i) {
    path += "\\" + level;
    if (!::CreateDirectoryW(wide(path).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
      fail("CreateDirectory", level);
  }
  HandleGuard file(::CreateFileW(wide(path + "\\" + name).c_str(),
                                 GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD put = 0;
  if (!file.valid() ||
      !::WriteFile(file.get(), content.data(),
                   static_cast<DWORD>(content.size()), &put, nullptr) ||
      put != content.size())
    fail("write", name);
}

TempDir::TempDir(const std::string &base) {
  const std::string dir = base.empty() ? systemTempDir() : base;
  std::random_device random;
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = dir + "\\snpln-";
    for (int i = 0; i < 6; ++i)
      name += kLetters[random() % (sizeof kLetters - 1)];
    if (::CreateDirectoryW(wide(name).c_str(), nullptr)) {
      path_ = name;
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS)
      fail("CreateDirectory", name);
  }
  fail("CreateDirectory", dir);
}

TempDir::~TempDir() { removeTree(path_); }

std::string TempDir::file(const std::string &name) const {
  return path_ + "\\" + name;
}

void TempDir::write(const std::string &name, const std::string &bytes) const {
  const std::string p = file(name);
  HandleGuard h(::CreateFileW(wide(p).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
  if (!h.valid())
    fail("CreateFile", p);
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    const DWORD ask = static_cast<DWORD>(
        std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!::WriteFile(h.get(), bytes.data() + done, ask, &put, nullptr) ||
        put == 0)
      fail("WriteFile", p);
    done += put;
  }
}

std::string TempDir::read(const std::string &name) const {
  const std::string p = file(name);
  HandleGuard h(
      ::CreateFileW(wide(p).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid())
    fail("CreateFile", p);
  std::string out;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr))
      fail("ReadFile", p);
    if (got == 0)
      break;
    out.append(buffer, got);
  }
  return out;
}

int TempDir::mode(const std::string &name) const {
  const DWORD a = ::GetFileAttributesW(wide(file(name)).c_str());
  if (a == INVALID_FILE_ATTRIBUTES)
    return -1;
  return (a & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
}

bool TempDir::exists(const std::string &name) const {
  return ::GetFileAttributesW(wide(file(name)).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

void TempDir::mkdir(const std::string &name, int mode) const {
  (void)mode; // no permission bits on Windows
  const std::string p = file(name);
  if (!::CreateDirectoryW(wide(p).c_str(), nullptr))
    fail("CreateDirectory", p);
}

void TempDir::symlink(const std::string &target,
                      const std::string &name) const {
  const std::string p = file(name);
  const auto to = platform::windows::widen(target);
  std::wstring text = to ? *to : std::wstring();
  std::replace(text.begin(), text.end(), L'/', L'\\');
  // A link to a directory must say so when it is made.
  const bool absolute = text.size() > 1 && text[1] == L':';
  const std::wstring resolved =
      absolute ? text : platform::windows::widen(path_)->append(L"\\" + text);
  const DWORD a = ::GetFileAttributesW(resolved.c_str());
  DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0)
    flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
  if (!::CreateSymbolicLinkW(wide(p).c_str(), text.c_str(), flags))
    fail("CreateSymbolicLink", p);
}

void TempDir::chmod(const std::string &name, int mode) const {
  const std::string p = file(name);
  const std::wstring w = wide(p);
  DWORD a = ::GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES)
    fail("GetFileAttributes", p);
  if ((mode & 0200) == 0)
    a |= FILE_ATTRIBUTE_READONLY;
  else
    a &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (!::SetFileAttributesW(w.c_str(), a))
    fail("SetFileAttributes", p);
}

std::uint64_t TempDir::device() const {
  HandleGuard h(::CreateFileW(
      wide(path_).c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!h.valid() || !::GetFileInformationByHandle(h.get(), &info))
    fail("GetFileInformationByHandle", path_);
  return info.dwVolumeSerialNumber;
}

ChangeDirectory::ChangeDirectory(const std::string &dir) {
  wchar_t buffer[32768];
  const DWORD n = ::GetCurrentDirectoryW(32768, buffer);
  if (n == 0)
    fail("GetCurrentDirectory", dir);
  previous_ = narrow(std::wstring(buffer, n));
  const auto w = platform::windows::widen(dir);
  if (!w || !::SetCurrentDirectoryW(w->c_str()))
    fail("SetCurrentDirectory", dir);
}

ChangeDirectory::~ChangeDirectory() {
  if (const auto w = platform::windows::widen(previous_))
    ::SetCurrentDirectoryW(w->c_str());
}

std::vector<std::string> TempDir::names(const std::string &sub) const {
  std::vector<std::string> out;
  const std::string where = sub.empty() ? path_ : file(sub);
  WIN32_FIND_DATAW entry;
  const HANDLE find = ::FindFirstFileW((wide(where) + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = narrow(entry.cFileName);
      if (name != "." && name != "..")
        out.push_back(name);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  std::sort(out.begin(), out.end());
  return out;
}

} // namespace snpln::test

#endif // _WIN32
