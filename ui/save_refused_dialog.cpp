#include "ui/save_refused_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "ui/byte_text.h"
#include "ui/elide_text.h"
#include "ui/translation.h"

namespace snpln::ui {

namespace {

constexpr const char *kAdviceWithReload = QT_TRANSLATE_NOOP(
    "snpln",
    "Your text is still in the editor. Reload drops it and shows the file "
    "as it is now; Save as... writes it to another file.");
constexpr const char *kAdvice = QT_TRANSLATE_NOOP(
    "snpln",
    "Your text is still in the editor: save it as another file, or keep "
    "editing.");

} // namespace

const char *SaveRefusedDialog::reasonText(SaveRefusal why) {
  switch (why) {
  case SaveRefusal::ChangedElsewhere:
    return QT_TRANSLATE_NOOP(
        "snpln",
        "This file was changed by another program since it was opened");
  case SaveRefusal::Gone:
    return QT_TRANSLATE_NOOP(
        "snpln", "File access error: the file is gone or cannot be reached");
  case SaveRefusal::NotWritten:
    break;
  }
  return QT_TRANSLATE_NOOP("snpln",
                           "Unable to save file: the file is left as it was");
}

SaveRefusedDialog::SaveRefusedDialog(const std::string &fileName,
                                     SaveFailure failure, QWidget *owner)
    : QDialog(owner), failure_(failure) {
  const SaveRefusal why = failure.why;
  controls_ = buildDialog(*this, dialogTemplate(kSaveRefusedTemplate));
  if (auto *name = controls_.control<QLabel>(kNameId)) {
    // A long path keeps its start and its end.
    const QString path = fromBytes(fileName);
    name->setText(elideToFit(path, QFontMetrics(name->font()), name->width()));
    name->setToolTip(path);
  }
  if (auto *reasonLine = controls_.control<QLabel>(kReasonId))
    reasonLine->setText(reason());
  const bool reload = why == SaveRefusal::ChangedElsewhere;
  if (auto *advice = controls_.control<QLabel>(kAdviceId))
    advice->setText(uiText(reload ? kAdviceWithReload : kAdvice));
  if (auto *button = controls_.control<QPushButton>(kReloadId))
    button->setVisible(reload);
  for (const int id : {kReloadId, kSaveAsId, int(kIdCancel)})
    if (auto *button = controls_.control<QPushButton>(id))
      connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
}

QString SaveRefusedDialog::reason() const {
  if (failure_.systemError == 0 ||
      failure_.why == SaveRefusal::ChangedElsewhere)
    return uiText(reasonText(failure_.why));
  const QString head =
      uiText(failure_.why == SaveRefusal::Gone
                 ? QT_TRANSLATE_NOOP("snpln", "File access error")
                 : QT_TRANSLATE_NOOP("snpln", "Unable to save file"));
  return head + QStringLiteral(": ") +
         shown(i18n::systemReason(failure_.systemError));
}

SaveRefusedAnswer SaveRefusedDialog::run() {
  placeDialog(*this, dialogTemplate(kSaveRefusedTemplate).placement,
              parentWidget());
  switch (exec()) {
  case kReloadId:
    return SaveRefusedAnswer::Reload;
  case kSaveAsId:
    return SaveRefusedAnswer::SaveAs;
  default:
    return SaveRefusedAnswer::KeepEditing;
  }
}

} // namespace snpln::ui
