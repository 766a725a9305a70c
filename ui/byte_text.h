// Names, paths and messages are byte strings; the windows show them through
// the local 8-bit encoding, the one the system uses for file names.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace snpln::ui {

inline QString fromBytes(const std::string &bytes) {
  return QString::fromLocal8Bit(bytes.data(),
                                static_cast<qsizetype>(bytes.size()));
}

inline std::string toBytes(const QString &text) {
  const QByteArray bytes = text.toLocal8Bit();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace snpln::ui
