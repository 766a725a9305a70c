#include "batch/mask_list.h"

#include "batch/batch_texts.h"

namespace snpln::batch {

std::vector<std::string> splitMasks(const std::string &filterText) {
  std::vector<std::string> masks;
  std::string piece;
  for (char c : filterText) {
    if (c == ' ' || c == '\t') {
      if (!piece.empty())
        masks.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty())
    masks.push_back(std::move(piece));
  if (masks.empty())
    masks.emplace_back(texts::kDefaultMask);
  return masks;
}

} // namespace snpln::batch
