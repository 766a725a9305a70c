#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)

#include "cli/locale_text.h"

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

namespace snpln::cli {

std::optional<std::string> textToUtf8(const std::string &bytes,
                                      const char *charset) {
  iconv_t cd = iconv_open("UTF-8", charset);
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::nullopt;
  std::string out(bytes.size() * 4 + 4, '\0');
  char *in = const_cast<char *>(bytes.data());
  std::size_t inLeft = bytes.size();
  char *to = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0)
    return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

std::optional<std::string> localeTextToUtf8(const std::string &bytes) {
  // The "C" locale names plain ASCII; bytes above 0x7F there are taken as
  // UTF-8, which is what a terminal without a locale most likely sends.
  const char *charset = nl_langinfo(CODESET);
  const std::string name = charset ? charset : "";
  if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII")
    return textToUtf8(bytes, "UTF-8");
  return textToUtf8(bytes, charset);
}

} // namespace snpln::cli

#endif // !_WIN32 && !__EMSCRIPTEN__
