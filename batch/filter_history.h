// The filter box's history: loaded from and stored to the per-user settings,
// and reordered by every run.
//
// The settings hold up to ten string values "filter0" to "filter9" at their
// top level, "filter0" being the most recently used.
#pragma once

#include <string>
#include <vector>

namespace snpln::batch {

// Named string values in the per-user settings (registry key
// "Snipline (SNPLN)", profile "filters").
class SettingsStore {
public:
  virtual ~SettingsStore() = default;
  // The value, empty when missing or unreadable.
  virtual std::string read(const std::string &name) = 0;
  // False when the value cannot be written.
  virtual bool write(const std::string &name, const std::string &value) = 0;
};

inline constexpr int kStoredFilterCount = 10;

// The non-empty values filter0..filter9 in order, gaps closed; the two
// defaults "*.htm* *.txt" and "*.doc" when none is set.
std::vector<std::string> loadFilters(SettingsStore &store);

// Writes the first ten entries to filter0..; values beyond the list's length
// are left as they are. Write failures are not reported.
void storeFilters(SettingsStore &store, const std::vector<std::string> &list);

// Moves `text` to the top of `list`: the first entry equal to it (bytes,
// letter case significant) is removed and `text` is inserted at position 0.
// An empty text changes nothing. The list has no length limit.
void promoteFilter(std::vector<std::string> &list, const std::string &text);

} // namespace snpln::batch
