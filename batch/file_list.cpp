#include "batch/file_list.h"

#include "job/file_run.h"

namespace snpln::batch {

namespace {

bool isSeparator(char c) { return static_cast<unsigned char>(c) <= 0x20; }

} // namespace

std::vector<std::string> splitCommandLine(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    if (isSeparator(text[i])) {
      ++i;
      continue;
    }
    std::size_t begin, end;
    if (text[i] == '"') {
      begin = i + 1;
      end = text.find('"', begin);
      if (end == std::string_view::npos)
        end = n;
      i = end < n ? end + 1 : n;
    } else {
      begin = i;
      while (i < n && !isSeparator(text[i]))
        ++i;
      end = i;
    }
    if (end > begin)
      words.emplace_back(text.substr(begin, end - begin));
  }
  return words;
}

Status countStatus(const std::vector<std::string> &list,
                   const std::string &name) {
  Status status(list.size() == 1 ? StatusId::OneFileChosen
                                 : StatusId::FilesChosen);
  status.count = list.size();
  if (list.size() == 1)
    status.name = name;
  return status;
}

void FileListModel::startUp(std::string_view argumentText) {
  list_ = splitCommandLine(argumentText);
  status_ = countStatus(list_, list_.empty() ? std::string() : list_.front());
  field_ = std::string(argumentText);
}

void FileListModel::browseStarted() { status_ = Status{StatusId::Browsing}; }

void FileListModel::browseCanceled() {
  status_ = Status{StatusId::BrowseCanceled};
}

void FileListModel::browseConfirmed(const std::vector<std::string> &paths) {
  list_ = paths;
  field_.clear();
  for (const std::string &path : paths)
    field_ += path + " ";
  status_ = countStatus(
      list_, list_.size() == 1 ? job::displayNameOf(list_.front()) : "");
}

void FileListModel::drop(const std::vector<std::string> &names) {
  list_.insert(list_.end(), names.begin(), names.end());
  field_ += " ";
  for (const std::string &name : names)
    field_ += name + " ";
  status_ = countStatus(list_, list_.size() == 1 ? list_.front() : "");
}

void FileListModel::clear() {
  list_.clear();
  field_.clear();
  status_ = Status{StatusId::ListCleaned};
}

} // namespace snpln::batch
