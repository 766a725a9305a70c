// The page each file's text is in, carried from pass to pass of one run, by
// file identity: a page is detected (or named) once per file, at the file's
// first pass, and later passes take it from here instead of detecting it
// again on text an earlier pass changed. A recoding pass leaves the target
// page behind. A rewritten file is a new file: its old identity is
// forgotten and its new one takes the page.
#pragma once

#include <map>
#include <optional>

#include "engine/code_page.h"
#include "platform/file_system.h"

namespace snpln::batch {

class FilePages {
public:
  std::optional<engine::CodePage> find(const platform::FileId &id) const {
    const auto it = pages_.find(id);
    if (it == pages_.end())
      return std::nullopt;
    return it->second;
  }
  // The file that was `before` is now `after`, its text in `page` (nothing:
  // not known).
  void moved(const platform::FileId &before, const platform::FileId &after,
             std::optional<engine::CodePage> page) {
    pages_.erase(before);
    if (page)
      pages_[after] = *page;
    else
      pages_.erase(after);
  }

private:
  std::map<platform::FileId, engine::CodePage> pages_;
};

} // namespace snpln::batch
