// The names the save service keeps originals under (SaveRules::
// backupSuffix), the same on every system, and how a walk knows them.
//
// The first backup of NAME is NAME followed by the suffix. A save never
// replaces a file: when that name is taken, the next free numbered one,
// NAME.~N~ with the default suffix "~" (as `cp --backup=numbered` names
// them) or NAME + suffix + ".N" with any other, N from 1.
#pragma once

#include <string>
#include <vector>

namespace snpln::platform {

inline constexpr const char *kDefaultBackupSuffix = "~";

// The backup name of `name` with `suffix` numbered `number` (0: the first,
// unnumbered one).
std::string backupNameOf(const std::string &name, const std::string &suffix,
                         unsigned number);

// Every NAME whose backup names with `suffix` `entry` is one of ("f.txt.~2~"
// is the second numbered backup of "f.txt" and the first of "f.txt.~2");
// empty when it is none (or `suffix` is empty).
std::vector<std::string> originalsOfBackupName(const std::string &entry,
                                               const std::string &suffix);

} // namespace snpln::platform
