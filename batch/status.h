// The status line as data: what the selection, the file list and the run's
// entry checks say there. The edges (i18n/) give the words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace snpln::batch {

enum class ModeButton : std::uint8_t;

enum class StatusId : std::uint8_t {
  None,             // nothing said yet
  Selected,         // `button` went down
  Unselected,       // `button` went up
  NoActionSelected, // the selection was reset
  NoFileName,       // a run refused: no name chosen
  NoOperation,      // a run refused: no operation chosen
  OneFileChosen,    // `name` is the one chosen file
  FilesChosen,      // `count` names are chosen (not one)
  ListCleaned,      // CLEAR
  Browsing,         // the file dialog of BROWSE is open
  BrowseCanceled,   // it was cancelled
  // During a run: the run of file `count` of the `found` the run has found
  // so far, `name`, has started.
  RunningFile,
  // The same once the walk has ended: `found` is every file of the run.
  RunningFileOfAll,
};
inline constexpr int kStatusIdCount =
    static_cast<int>(StatusId::RunningFileOfAll) + 1;

struct Status {
  Status() = default;
  explicit Status(StatusId what, ModeButton which = {})
      : id(what), button(which) {}

  StatusId id = StatusId::None;
  ModeButton button{};
  std::size_t count = 0;
  std::size_t found = 0;
  std::string name; // bytes, as the list holds it

  friend bool operator==(const Status &, const Status &) = default;
};

} // namespace snpln::batch
