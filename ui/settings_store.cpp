#include "ui/settings_store.h"

#include <QSettings>

#include "batch/batch_texts.h"
#include "ui/byte_text.h"

namespace snpln::ui {

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(
          QSettings::NativeFormat, QSettings::UserScope,
          QString::fromUtf8(batch::texts::kSettingsKey),
          QString::fromUtf8(batch::texts::kSettingsProfile))) {}

QtSettingsStore::QtSettingsStore(const QString &iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::read(const std::string &name) {
  return toBytes(settings_->value(fromBytes(name)).toString());
}

bool QtSettingsStore::write(const std::string &name, const std::string &value) {
  settings_->setValue(fromBytes(name), fromBytes(value));
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

} // namespace snpln::ui
