// The windows' language.
//
// Every text the windows show is English in the code, marked for lupdate
// where it is defined. Under a Russian locale the program installs its
// Russian catalogue (compiled at build time from i18n/snpln_ru.ts, the one
// catalogue of the windows and snpln-cli) and the windows show each text
// through it. What the batch run and the jobs hand over is data (ids,
// reports, statuses): i18n/texts.h gives the phrase, shown() its words with
// tr().arg(). Under any other locale no catalogue is installed and every
// text is shown exactly as the code has it.
#pragma once

#include <QLocale>
#include <QString>

#include <string>

#include "i18n/phrase.h"
#include "i18n/texts.h"

namespace snpln::ui {

// The context of the texts in the catalogue, and of the labels drawn on the
// pictures, which are kept short to fit.
inline constexpr const char *kTextContext = "snpln";
inline constexpr const char *kPictureContext = "pictures";

// Installs the catalogue of `locale`'s language, or none when the program
// has no catalogue for it (English). Returns whether one is installed now.
// Call before any window is built; pictures drawn before are drawn again.
bool setUiLanguage(const QLocale &locale);
// Whether a catalogue is installed.
bool translating();

// A fixed English text of the program (UTF-8) as the windows show it.
QString uiText(const char *english);
QString uiText(const char *context, const char *english);
// A name or path, bytes in the local 8-bit encoding, as it is.
QString shownText(const std::string &bytes);
// A phrase in the windows' language: its source text translated, each
// argument put in with arg().
QString shown(const i18n::Phrase &phrase);
QString shown(const i18n::Lines &lines, bool second);

} // namespace snpln::ui
