// The fixed strings of the batch control that are no words for the user:
// the tab size prompt's preset, the mask of a run without one, and the
// names of the filter history's values in the per-user settings. What the
// run says is data (job/message.h, batch/status.h); the edges give it words.
#pragma once

namespace snpln::batch::texts {

inline constexpr const char *kTabSizePreset = "8";

// The mask of a run whose filter text holds no mask.
inline constexpr const char *kDefaultMask = "*.*";

// The filter history in the per-user settings.
inline constexpr const char *kSettingsKey = "Snipline (SNPLN)";
inline constexpr const char *kSettingsProfile = "filters";
inline constexpr const char *kFilterValuePrefix = "filter";
inline constexpr const char *kDefaultFilter0 = "*.htm* *.txt";
inline constexpr const char *kDefaultFilter1 = "*.doc";

} // namespace snpln::batch::texts
