// Runs the repair step over the input in slices of a size taken from the
// input and traps when it differs from the plain whole-buffer form (output,
// fault and its place, lines repaired), or when the output is larger than
// three bytes for each byte of the input (a character becomes at most one
// byte of a reading, which is at most three bytes of UTF-8, and a lost
// byte at most two).
//
// Byte 0: the slice size (1 to 64, or 0xFF: 8192); byte 1: the plan, 0 as
// decided on the input, else a chain of the table below, whole or line by
// line; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/repair_slice.h"
#include "tests/support/memory_file.h"

namespace {

using snpln::engine::RepairChain;
using snpln::engine::RepairLayer;
using P = snpln::engine::RepairPage;

RepairChain chainOf(std::initializer_list<RepairLayer> layers,
                    bool storedAsRead = false) {
  RepairChain chain;
  for (const RepairLayer &layer : layers)
    chain.layers[chain.count++] = layer;
  chain.storedAsRead = storedAsRead;
  return chain;
}

const RepairChain kChains[] = {
    chainOf({{P::Utf8, P::Win}}),
    chainOf({{P::Utf8, P::Win1252}}),
    chainOf({{P::Utf8, P::Latin1}}),
    chainOf({{P::Utf8, P::Dos}}),
    chainOf({{P::Koi, P::Win}}),
    chainOf({{P::Dos, P::Win}}),
    chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win1252}}),
    chainOf({{P::Koi, P::Win1252}, {P::Utf8, P::Win}, {P::Utf8, P::Iso}}),
    chainOf({{P::Utf8, P::Win}}, true),
    chainOf({{P::Utf8, P::Win1252}}, true),
};
constexpr std::size_t kChainCount = sizeof kChains / sizeof kChains[0];

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  using namespace snpln;
  if (size < 2)
    return 0;
  const std::size_t slice = data[0] == 0xFF ? 8192 : 1 + data[0] % 64;
  const std::string text(reinterpret_cast<const char *>(data + 2), size - 2);
  const auto *bytes = reinterpret_cast<const std::uint8_t *>(text.data());

  engine::RepairPlan plan;
  if (data[1] == 0) {
    plan = engine::decideRepairOfBytes(bytes, text.size());
  } else {
    const std::size_t k = data[1] - 1u;
    plan.reason = engine::RepairReason::Garbled;
    plan.mode = k / kChainCount % 2 ? engine::RepairMode::Lines
                                    : engine::RepairMode::Whole;
    plan.chains[0] = kChains[k % kChainCount];
    plan.chains[1] = kChains[(k + 3) % kChainCount];
    plan.chainCount = plan.mode == engine::RepairMode::Lines ? 2 : 1;
  }
  const engine::RepairOutcome plain =
      engine::applyRepair(plan, bytes, text.size());

  test::MemoryStream m(text, slice);
  engine::RepairState state(plan);
  const engine::StepResult r =
      test::runSteps([&] { return engine::repairSlice(m.stream, state); });
  if (r != engine::StepResult::Finished && r != engine::StepResult::BadText)
    __builtin_trap();
  if ((r == engine::StepResult::BadText) !=
      (plain.fault != engine::UndoFault::None))
    __builtin_trap();
  if (r == engine::StepResult::BadText) {
    if (state.fault != plain.fault || state.faultOffset != plain.faultOffset)
      __builtin_trap();
    return 0;
  }
  if (m.out.data != plain.text || state.linesRepaired != plain.linesRepaired)
    __builtin_trap();
  if (plain.text.size() > 3 * text.size())
    __builtin_trap();
  return 0;
}
