// What the preview asks when a save of the text cannot be done (template
// 141, "SNPLN : File not saved"): the file's name, why the file was left as
// it was (with the system's reason where there is one), and what may be
// done with the text, which is still in the editor:
// "&Reload" (only when another program changed the file: the file as it is
// now replaces the text), "Save &as..." (the text goes to another file) and
// "&Keep editing" (also Esc and the close box: back to the editor).
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

namespace snpln::ui {

// Why a save was refused.
enum class SaveRefusal : std::uint8_t {
  ChangedElsewhere, // the file is not the version the preview read
  Gone,             // the file cannot be reached any more
  NotWritten,       // the new content could not be written or put in place
};

// A refused save: why, and the system's own number for its reason (errno)
// where the system gave one (0: none).
struct SaveFailure {
  SaveRefusal why = SaveRefusal::NotWritten;
  int systemError = 0;
};

enum class SaveRefusedAnswer : std::uint8_t { Reload, SaveAs, KeepEditing };

class SaveRefusedDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kNameId = ids::kRefusedName;
  static constexpr int kReasonId = ids::kRefusedReason;
  static constexpr int kAdviceId = ids::kRefusedAdvice;
  static constexpr int kReloadId = ids::kRefusedReload;
  static constexpr int kSaveAsId = ids::kRefusedSaveAs;

  SaveRefusedDialog(const std::string &fileName, SaveFailure failure,
                    QWidget *owner = nullptr);
  SaveRefusedDialog(const std::string &fileName, SaveRefusal why,
                    QWidget *owner = nullptr)
      : SaveRefusedDialog(fileName, SaveFailure{why, 0}, owner) {}

  SaveRefusedAnswer run();

  SaveRefusal why() const { return failure_.why; }
  int systemError() const { return failure_.systemError; }
  // The reason as the window shows it: the system's own words where it
  // gave a reason ("Unable to save file: Permission denied").
  QString reason() const;
  const DialogControls &controls() const { return controls_; }

  // The English reason line of each refusal.
  static const char *reasonText(SaveRefusal why);

public slots:
  // Esc and the close box: back to the editor.
  void reject() override { done(kIdCancel); }

private:
  SaveFailure failure_;
  DialogControls controls_;
};

} // namespace snpln::ui
