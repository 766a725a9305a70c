// The windows' language.
//
// Every text the windows show is English in the code. Under a Russian
// locale the program installs its Russian catalogue (compiled from
// ui/translations/snpln_ru.ts at build time) and the windows show each text
// through it: the captions of the templates, the pictures' labels and
// descriptions, and the texts that the batch run and the jobs hand over as
// bytes, looked up as known source texts (a text put together from a known
// sentence and a name or number is looked up by its sentence). Under any
// other locale no catalogue is installed and every text is shown exactly as
// the code has it.
#pragma once

#include <QLocale>
#include <QString>

#include <string>

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
// A text handed over by the batch run or a job, bytes in the local 8-bit
// encoding: its translation when it is, or is built from, a known source
// text; else the bytes as they are (names, paths).
QString shownText(const std::string &bytes);

} // namespace snpln::ui
