// What the browser's page is built from: its own words (from the one
// catalogue, in English or Russian), the code pages the command line
// knows, and its controls, each standing for an option of snpln-cli, so
// that an operation or a page the command line gains needs a row here and
// nothing in the page's script.
#pragma once

#include <string>

#include "i18n/catalogue.h"

namespace snpln::web {

// One JSON object:
//   "language": "en" or "ru";
//   "version": the program's version;
//   "texts": {id: text} of the page's own words;
//   "pages": [{"name", "standard", "iana"}] in the command line's order;
//   "groups": [{"legend", "controls": [...]}], each control one of
//     {"kind": "radio", "name", "choices": [{"option", "label"}]} (the
//       option "" for none),
//     {"kind": "check", "option", "label"},
//     {"kind": "text", "option", "label"} (given when not empty),
//     {"kind": "number", "option", "label", "value", "min"},
//     {"kind": "select", "option", "label", "none", "choices"} where
//       "choices" is "sources" or "targets" (the pages, with auto first for
//       a source) or a list of values, and "none" labels leaving the
//       option out ("" when it is always given).
std::string pageData(i18n::Language language);

} // namespace snpln::web
