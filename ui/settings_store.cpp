#include "ui/settings_store.h"

#include <QSettings>

#include "batch/batch_texts.h"
#include "ui/byte_text.h"

namespace snpln::ui {

namespace {

QString key(const std::string &section, const std::string &name) {
  return section.empty()
             ? fromBytes(name)
             : fromBytes(section) + QLatin1Char('/') + fromBytes(name);
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(
          QSettings::NativeFormat, QSettings::UserScope,
          QString::fromUtf8(batch::texts::kSettingsKey),
          QString::fromUtf8(batch::texts::kSettingsProfile))) {}

QtSettingsStore::QtSettingsStore(const QString &iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::read(const std::string &section,
                                  const std::string &name) {
  return toBytes(settings_->value(key(section, name)).toString());
}

bool QtSettingsStore::write(const std::string &section, const std::string &name,
                            const std::string &value) {
  settings_->setValue(key(section, name), fromBytes(value));
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

} // namespace snpln::ui
