// The names of the save service's temporary files, the same on every
// system: a fixed prefix, kTemporaryNameBytes random characters and a fixed
// suffix (isTemporaryName in file_system.h recognises them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace snpln::platform {

inline constexpr std::size_t kTemporaryNameBytes = 12;

// Fills `bytes` from the process id, the time and a counter, for when the
// system gives no random bytes: the name is still unlikely to be taken,
// and the exclusive create settles the rest.
void fillWithoutRandomSource(unsigned char (&bytes)[kTemporaryNameBytes],
                             std::uint64_t processId);

// The temporary name spelled from `bytes`.
std::string
temporaryNameFrom(const unsigned char (&bytes)[kTemporaryNameBytes]);

} // namespace snpln::platform
