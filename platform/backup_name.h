// The names the save service keeps originals under (SaveRules::
// backupSuffix), the same on every system, and how a walk knows them.
//
// The first backup of NAME is NAME followed by the suffix. A save never
// replaces a file: when that name is taken, a numbered one, NAME.~N~ with
// the default suffix "~" (as `cp --backup=numbered` names them) or NAME +
// suffix + ".N" with any other, N one more than the highest number of
// NAME's backups already there (1 when there is none), so that the newest
// backup always has the highest number.
#pragma once

#include <string>
#include <vector>

namespace snpln::platform {

inline constexpr const char *kDefaultBackupSuffix = "~";

// The backup name of `name` with `suffix` numbered `number` (0: the first,
// unnumbered one).
std::string backupNameOf(const std::string &name, const std::string &suffix,
                         unsigned number);

// The highest number a numbered backup name is counted with; a name with a
// larger one is not taken for a backup's.
inline constexpr unsigned kMaxBackupNumber = 1'000'000'000;

// The number of `entry` as a numbered backup name of `name` with `suffix`;
// 0 when it is none (the unnumbered name included).
unsigned backupNumberOf(const std::string &entry, const std::string &name,
                        const std::string &suffix);

// The number the next numbered backup of `name` takes among the names of
// its directory, `entries`: one more than the highest there, else 1.
unsigned nextBackupNumber(const std::vector<std::string> &entries,
                          const std::string &name, const std::string &suffix);

// Every NAME whose backup names with `suffix` `entry` is one of ("f.txt.~2~"
// is the second numbered backup of "f.txt" and the first of "f.txt.~2");
// empty when it is none (or `suffix` is empty).
std::vector<std::string> originalsOfBackupName(const std::string &entry,
                                               const std::string &suffix);

} // namespace snpln::platform
