// The question before the preview writes a file (template 139,
// "SNPLN : Save file ?"): the file's name over "This file was modified.
// Save this file ?" (or, for a file marked read-only, "This file is
// read-only. Save anyway?") and the buttons "&YES", "&NO" and "&Cancel".
// run() answers Yes for YES (also Enter), No for NO and Cancel for Cancel,
// Esc or the close box.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

#include "job/dialog_answer.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

namespace snpln::ui {

// What the question asks about.
enum class SaveQuestion {
  Modified, // a changed text
  ReadOnly, // a changed text over a file marked read-only
};

class SavePromptDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kNameId = ids::kSavePromptName;
  static constexpr int kQuestionId = ids::kSavePromptQuestion;

  SavePromptDialog(const std::string &fileName, QWidget *owner = nullptr,
                   SaveQuestion question = SaveQuestion::Modified);

  // The English question of each kind.
  static const char *questionText(SaveQuestion question);

  job::DialogAnswer run();

  // The text the name line shows, and the question below it.
  QString shownText() const { return shownText_; }
  QString question() const;
  const DialogControls &controls() const { return controls_; }

public slots:
  void reject() override { done(kIdCancel); }

private:
  QString shownText_;
  DialogControls controls_;
};

} // namespace snpln::ui
