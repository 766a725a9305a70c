#include "platform/backup_name.h"

namespace snpln::platform {

namespace {

bool endsWith(const std::string &text, const std::string &end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Whether `text` from `from` to `to` is a number of backupNameOf: digits,
// without a leading zero.
bool isNumber(const std::string &text, std::size_t from, std::size_t to) {
  if (from >= to || text[from] == '0')
    return false;
  for (std::size_t i = from; i < to; ++i)
    if (text[i] < '0' || text[i] > '9')
      return false;
  return true;
}

} // namespace

std::string backupNameOf(const std::string &name, const std::string &suffix,
                         unsigned number) {
  if (number == 0)
    return name + suffix;
  const std::string n = std::to_string(number);
  if (suffix == kDefaultBackupSuffix)
    return name + ".~" + n + "~";
  return name + suffix + "." + n;
}

unsigned backupNumberOf(const std::string &entry, const std::string &name,
                        const std::string &suffix) {
  if (suffix.empty() || entry.compare(0, name.size(), name) != 0)
    return 0;
  // What comes between the name and the number, and after the number.
  const bool tilde = suffix == kDefaultBackupSuffix;
  const std::string head = tilde ? ".~" : suffix + ".";
  const std::string tail = tilde ? "~" : "";
  const std::size_t from = name.size() + head.size();
  if (entry.size() < from + tail.size() + 1 ||
      entry.compare(name.size(), head.size(), head) != 0 ||
      !endsWith(entry, tail))
    return 0;
  const std::size_t to = entry.size() - tail.size();
  if (!isNumber(entry, from, to))
    return 0;
  unsigned number = 0;
  for (std::size_t i = from; i < to; ++i) {
    const unsigned digit = static_cast<unsigned>(entry[i] - '0');
    if (number > (kMaxBackupNumber - digit) / 10)
      return 0;
    number = number * 10 + digit;
  }
  return number;
}

unsigned nextBackupNumber(const std::vector<std::string> &entries,
                          const std::string &name, const std::string &suffix) {
  unsigned highest = 0;
  for (const std::string &entry : entries) {
    const unsigned number = backupNumberOf(entry, name, suffix);
    if (number > highest)
      highest = number;
  }
  return highest + 1;
}

std::vector<std::string> originalsOfBackupName(const std::string &entry,
                                               const std::string &suffix) {
  std::vector<std::string> names;
  if (suffix.empty())
    return names;
  if (entry.size() > suffix.size() && endsWith(entry, suffix))
    names.push_back(entry.substr(0, entry.size() - suffix.size()));
  if (suffix == kDefaultBackupSuffix) {
    // NAME.~N~
    if (entry.size() >= 5 && entry.back() == '~') {
      const std::size_t open = entry.rfind(".~", entry.size() - 2);
      if (open != std::string::npos && open > 0 &&
          isNumber(entry, open + 2, entry.size() - 1))
        names.push_back(entry.substr(0, open));
    }
  } else {
    // NAME + suffix + ".N"
    const std::size_t dot = entry.rfind('.');
    if (dot != std::string::npos && isNumber(entry, dot + 1, entry.size())) {
      const std::string head = entry.substr(0, dot);
      if (head.size() > suffix.size() && endsWith(head, suffix))
        names.push_back(head.substr(0, head.size() - suffix.size()));
    }
  }
  return names;
}

} // namespace snpln::platform
