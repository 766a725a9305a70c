#include "cli/code_page_names.h"

namespace snpln::cli {

using engine::CodePage;

const std::map<std::string, CodePage> &codePageNames() {
  static const std::map<std::string, CodePage> names = {
      {"dos", CodePage::Dos},          {"cp866", CodePage::Dos},
      {"ibm866", CodePage::Dos},       {"866", CodePage::Dos},
      {"win", CodePage::Win},          {"cp1251", CodePage::Win},
      {"windows-1251", CodePage::Win}, {"1251", CodePage::Win},
      {"koi", CodePage::Koi},          {"koi8-r", CodePage::Koi},
      {"koi8r", CodePage::Koi},        {"iso", CodePage::Iso},
      {"iso-8859-5", CodePage::Iso},   {"iso8859-5", CodePage::Iso},
      {"utf8", CodePage::Utf8},        {"utf-8", CodePage::Utf8},
  };
  return names;
}

const std::map<std::string, CodePage> &sourceCodePageNames() {
  static const std::map<std::string, CodePage> names = [] {
    auto all = codePageNames();
    all.emplace("auto", CodePage::Auto);
    return all;
  }();
  return names;
}

} // namespace snpln::cli
