// The per-user settings behind the filter history: QSettings with the
// organisation "Snipline (SNPLN)" and the application "filters" (the
// registry key and profile name on Windows, a settings file elsewhere).
// The values lie at the top level. Values are byte
// strings in the local 8-bit encoding, as the filter box shows them.
#pragma once

#include <QString>

#include <memory>

#include "batch/filter_history.h"

class QSettings;

namespace snpln::ui {

class QtSettingsStore : public batch::SettingsStore {
public:
  // The user's settings of the program.
  QtSettingsStore();
  // An INI file of its own (for tests and portable use).
  explicit QtSettingsStore(const QString &iniFile);
  ~QtSettingsStore() override;

  std::string read(const std::string &name) override;
  bool write(const std::string &name, const std::string &value) override;

  QSettings &settings() { return *settings_; }

private:
  std::unique_ptr<QSettings> settings_;
};

} // namespace snpln::ui
