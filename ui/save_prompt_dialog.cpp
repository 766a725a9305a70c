#include "ui/save_prompt_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "ui/byte_text.h"
#include "ui/elide_text.h"

namespace snpln::ui {

SavePromptDialog::SavePromptDialog(const std::string &fileName, QWidget *owner)
    : QDialog(owner), shownText_(fromBytes(fileName)) {
  controls_ = buildDialog(*this, dialogTemplate(kSavePromptTemplate));
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
