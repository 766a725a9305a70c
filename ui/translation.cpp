#include "ui/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>

#include "ui/byte_text.h"

namespace snpln::ui {

namespace {

struct Catalogues {
  std::unique_ptr<QTranslator> own;
  std::unique_ptr<QTranslator> qt; // the texts of Qt's own dialogs
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

// Texts put together from a sentence and one or two values. Each is the
// English pattern as the catalogue holds it; %1 and %2 stand for the values.
constexpr const char *kComposedTexts[] = {
    "File '%1' is choosed",
    "%1 files are choosed",
    "This file has coding %1",
    "Number of hits: %1",
    "and replaced with received string, Nr. of hits: %1",
    "from %1  to %2",
    "with coding autodetect  to %1",
    "Line in file is too long (greater than %1 bytes)",
};

// The values of `text` when it has the shape of `pattern`, or false.
bool matchPattern(const QString &pattern, const QString &text,
                  QStringList &values) {
  static const QRegularExpression marker(QStringLiteral("%[12]"));
  QString expression = QStringLiteral("^");
  qsizetype at = 0;
  QRegularExpressionMatchIterator it = marker.globalMatch(pattern);
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    expression +=
        QRegularExpression::escape(pattern.mid(at, m.capturedStart() - at));
    expression += QStringLiteral("(.*?)");
    at = m.capturedEnd();
  }
  expression +=
      QRegularExpression::escape(pattern.mid(at)) + QStringLiteral("$");
  const QRegularExpression shape(
      expression, QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch found = shape.match(text);
  if (!found.hasMatch())
    return false;
  values.clear();
  for (int i = 1; i <= found.lastCapturedIndex(); ++i)
    values.push_back(found.captured(i));
  return true;
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

QString shownText(const std::string &bytes) {
  const QString text = fromBytes(bytes);
  if (!translating() || bytes.empty())
    return text;
  const QString whole =
      catalogues().own->translate(kTextContext, bytes.c_str());
  if (!whole.isEmpty())
    return whole;
  QStringList values;
  for (const char *pattern : kComposedTexts)
    if (matchPattern(QString::fromUtf8(pattern), text, values)) {
      // The values (names, numbers, codings) stay as they are; all are put
      // in at once, so a value holding "%2" stays as it is too.
      const QString shown = uiText(pattern);
      return values.size() == 1 ? shown.arg(values[0])
                                : shown.arg(values[0], values[1]);
    }
  return text;
}

} // namespace snpln::ui
