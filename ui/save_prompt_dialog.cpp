#include "ui/save_prompt_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "ui/byte_text.h"
#include "ui/elide_text.h"
#include "ui/translation.h"

namespace snpln::ui {

const char *SavePromptDialog::questionText(SaveQuestion question) {
  return question == SaveQuestion::ReadOnly
             ? QT_TRANSLATE_NOOP("snpln",
                                 "This file is read-only. Save anyway?")
             : QT_TRANSLATE_NOOP("snpln",
                                 "This file was modified. Save this file ?");
}

SavePromptDialog::SavePromptDialog(const std::string &fileName, QWidget *owner,
                                   SaveQuestion question)
    : QDialog(owner), shownText_(fromBytes(fileName)) {
  controls_ = buildDialog(*this, dialogTemplate(kSavePromptTemplate));
  if (auto *line = controls_.control<QLabel>(kQuestionId))
    line->setText(uiText(questionText(question)));
  if (auto *name = controls_.control<QLabel>(kNameId)) {
    // A long path keeps its start and its end.
    name->setText(
        elideToFit(shownText_, QFontMetrics(name->font()), name->width()));
    name->setToolTip(shownText_);
  }
  for (const int id : {kIdYes, kIdNo, kIdCancel})
    if (auto *button = controls_.control<QPushButton>(id))
      connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
}

QString SavePromptDialog::question() const {
  const auto *line = controls_.control<QLabel>(kQuestionId);
  return line ? line->text() : QString();
}

job::DialogAnswer SavePromptDialog::run() {
  placeDialog(*this, dialogTemplate(kSavePromptTemplate).placement,
              parentWidget());
  switch (exec()) {
  case kIdYes:
    return job::DialogAnswer::Yes;
  case kIdNo:
    return job::DialogAnswer::No;
  default:
    return job::DialogAnswer::Cancel;
  }
}

} // namespace snpln::ui
