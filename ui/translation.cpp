#include "ui/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPixmapCache>
#include <QTranslator>

#include <memory>
#include <vector>

#include "ui/byte_text.h"

namespace snpln::ui {

namespace {

struct Catalogues {
  std::unique_ptr<QTranslator> own; // the program's, shared with snpln-cli
  std::unique_ptr<QTranslator> qt;  // the texts of Qt's own dialogs
};

Catalogues &catalogues() {
  static Catalogues installed;
  return installed;
}

void removeCatalogues() {
  Catalogues &c = catalogues();
  for (std::unique_ptr<QTranslator> *t : {&c.own, &c.qt})
    if (*t) {
      QCoreApplication::removeTranslator(t->get());
      t->reset();
    }
}

} // namespace

bool setUiLanguage(const QLocale &locale) {
  removeCatalogues();
  QPixmapCache::clear(); // the pictures' labels are drawn in the language
  if (locale.language() != QLocale::Russian)
    return false;
  Catalogues &c = catalogues();
  auto own = std::make_unique<QTranslator>();
  if (!own->load(QStringLiteral(":/snpln/translations/snpln_ru.qm")))
    return false;
  QCoreApplication::installTranslator(own.get());
  c.own = std::move(own);
  auto qt = std::make_unique<QTranslator>();
  if (qt->load(QStringLiteral("qtbase_ru"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt.get());
    c.qt = std::move(qt);
  }
  return true;
}

bool translating() { return catalogues().own != nullptr; }

QString uiText(const char *english) { return uiText(kTextContext, english); }

QString uiText(const char *context, const char *english) {
  if (!translating() || !english || !*english)
    return QString::fromUtf8(english ? english : "");
  return QCoreApplication::translate(context, english);
}

QString shownText(const std::string &bytes) { return fromBytes(bytes); }

QString shown(const i18n::Phrase &phrase) {
  if (!phrase.source) {
    if (phrase.parts.empty())
      return phrase.bytes ? fromBytes(phrase.literal)
                          : QString::fromStdString(phrase.literal);
    QString joined;
    for (const i18n::Phrase &part : phrase.parts) {
      const QString text = shown(part);
      if (!joined.isEmpty() && !text.isEmpty())
        joined += QString::fromStdString(phrase.separator);
      joined += text;
    }
    return joined;
  }
  const QString pattern =
      translating() ? QCoreApplication::translate(phrase.context, phrase.source)
                    : QString::fromUtf8(phrase.source);
  // All arguments at once, so that one holding "%2" stays as it is.
  const auto &p = phrase.parts;
  switch (p.size()) {
  case 0:
    return pattern;
  case 1:
    return pattern.arg(shown(p[0]));
  case 2:
    return pattern.arg(shown(p[0]), shown(p[1]));
  case 3:
    return pattern.arg(shown(p[0]), shown(p[1]), shown(p[2]));
  case 4:
    return pattern.arg(shown(p[0]), shown(p[1]), shown(p[2]), shown(p[3]));
  default: // the core's texts take five arguments at most
    return pattern.arg(shown(p[0]), shown(p[1]), shown(p[2]), shown(p[3]),
                       shown(p[4]));
  }
}

QString shown(const i18n::Lines &lines, bool second) {
  return shown(second ? lines.line2 : lines.line1);
}

} // namespace snpln::ui
