#include "batch/run_plan.h"

#include <algorithm>
#include <thread>

#include "batch/selection_state.h"

namespace snpln::batch {

std::optional<job::OperationCode> recodingTo(engine::CodePage page) {
  using engine::CodePage;
  using job::OperationCode;
  switch (page) {
  case CodePage::Win:
    return OperationCode::RecodeToWin;
  case CodePage::Koi:
    return OperationCode::RecodeToKoi;
  case CodePage::Iso:
    return OperationCode::RecodeToIso;
  case CodePage::Dos:
    return OperationCode::RecodeToDos;
  case CodePage::Utf8:
    return OperationCode::RecodeToUtf8;
  // The pages without a button share one pass, their target in the
  // parameters.
  case CodePage::Utf16:
  case CodePage::Utf16Le:
  case CodePage::Utf16Be:
  case CodePage::Mac:
  case CodePage::KoiU:
  case CodePage::Cp1125:
    return OperationCode::RecodeToUtf16;
  default:
    return std::nullopt;
  }
}

std::vector<job::OperationCode>
inPassOrder(const std::vector<job::OperationCode> &operations) {
  std::vector<job::OperationCode> ordered;
  for (job::OperationCode operation : passOrder())
    if (std::find(operations.begin(), operations.end(), operation) !=
        operations.end())
      ordered.push_back(operation);
  return ordered;
}

int defaultWorkers() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min(cores, 64u));
}

} // namespace snpln::batch
