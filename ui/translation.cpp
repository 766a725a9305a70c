#include "ui/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QTranslator>

#include <memory>
#include <vector>

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
    "Unable to open temporary file (%1)",
};

// `pattern` as an expression, each %1 and %2 a group of its own.
QRegularExpression shapeOf(const QString &pattern) {
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
  return QRegularExpression(expression,
                            QRegularExpression::DotMatchesEverythingOption);
}

// The shapes of kComposedTexts, in their order, made once.
const std::vector<QRegularExpression> &composedShapes() {
  static const std::vector<QRegularExpression> shapes = [] {
    std::vector<QRegularExpression> made;
    for (const char *pattern : kComposedTexts)
      made.push_back(shapeOf(QString::fromUtf8(pattern)));
    return made;
  }();
  return shapes;
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
  const std::vector<QRegularExpression> &shapes = composedShapes();
  for (std::size_t k = 0; k < shapes.size(); ++k) {
    const QRegularExpressionMatch found = shapes[k].match(text);
    if (!found.hasMatch())
      continue;
    // The values (names, numbers, codings) stay as they are; all are put
    // in at once, so a value holding "%2" stays as it is too.
    const QString shown = uiText(kComposedTexts[k]);
    return found.lastCapturedIndex() == 1
               ? shown.arg(found.captured(1))
               : shown.arg(found.captured(1), found.captured(2));
  }
  return text;
}

} // namespace snpln::ui
