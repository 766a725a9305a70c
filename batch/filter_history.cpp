#include "batch/filter_history.h"

#include <algorithm>

#include "batch/batch_texts.h"

namespace snpln::batch {

namespace {

std::string valueName(int i) {
  return texts::kFilterValuePrefix + std::to_string(i);
}

} // namespace

std::vector<std::string> loadFilters(SettingsStore &store) {
  std::vector<std::string> list;
  for (int i = 0; i < kStoredFilterCount; ++i) {
    std::string value = store.read(valueName(i));
    if (!value.empty())
      list.push_back(std::move(value));
  }
  if (list.empty()) {
    list.emplace_back(texts::kDefaultFilter0);
    list.emplace_back(texts::kDefaultFilter1);
  }
  return list;
}

void storeFilters(SettingsStore &store, const std::vector<std::string> &list) {
  int n =
      static_cast<int>(std::min<std::size_t>(list.size(), kStoredFilterCount));
  for (int i = 0; i < n; ++i)
    store.write(valueName(i), list[static_cast<std::size_t>(i)]);
}

void promoteFilter(std::vector<std::string> &list, const std::string &text) {
  if (text.empty())
    return;
  auto found = std::find(list.begin(), list.end(), text);
  if (found != list.end())
    list.erase(found);
  list.insert(list.begin(), text);
}

} // namespace snpln::batch
