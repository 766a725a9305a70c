// Garbled Russian text for the repair's tests, made from the prose under
// tests/data: the text written in a page, its bytes read as another, the
// characters of that reading saved as UTF-8, up to three times. The pages'
// characters come from the C library (Windows-1252 from a table of its
// own here), not from the engine's tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "engine/repair_chain.h"

namespace snpln::test {

// How a byte the reading leaves undefined shows: as U+0080 + its value, as
// `?`, or not at all.
enum class LostByte : std::uint8_t { AsControl, AsQuestionMark, Dropped };

// `utf8` garbled by `chain` (its layers in the order they happened); with
// chain.storedAsRead the last reading saved in its own page. Nothing when
// a character cannot be written in a layer's page.
std::optional<std::string> garble(const std::string &utf8,
                                  const engine::RepairChain &chain,
                                  LostByte lost = LostByte::AsControl);

// Whether the C library here converts `page` (Windows' own converter has
// no Mac Cyrillic as browsers read it): a chain through a page it lacks
// cannot be made.
bool canGarbleWith(engine::RepairPage page);

// A chain from its layers, innermost first.
engine::RepairChain chainOf(std::initializer_list<engine::RepairLayer> layers,
                            bool storedAsRead = false);
// "utf-8 as windows-1251, then ..." for messages.
std::string describe(const engine::RepairChain &chain);

// An excerpt of `utf8` of `minChars` to `maxChars` characters, starting at
// a character picked by `rng`, with at least a quarter Cyrillic letters.
struct ExcerptPicker {
  explicit ExcerptPicker(const std::string &utf8);
  std::string pick(std::size_t minChars, std::size_t maxChars,
                   std::uint64_t &rng) const;

private:
  const std::string &text_;
  std::vector<std::size_t> starts_;
};

// A step of a 64-bit linear congruential generator: the same numbers on
// every platform.
std::uint64_t nextRandom(std::uint64_t &state);

} // namespace snpln::test
