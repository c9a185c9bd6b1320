#include "rtfwords.h"

#include <unordered_map>
#include <unordered_set>

bool RtfIsIgnoredDestination(const std::string& word) {
  static const std::unordered_set<std::string> words = {
      "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
      "footerf", "footnote", "fldinst", "objdata", "objclass", "objname", "xe", "tc", "rxe", "txe",
      "template", "revtbl", "filetbl", "pntxta", "pntxtb",
      "atnid", "atnauthor", "annotation", "bkmkstart", "bkmkend", "datafield", "ftnsep", "ftnsepc",
      "ftncn", "aftnsep", "aftnsepc", "aftncn", "comment", "doccomm", "author",
      "operator", "title", "subject", "keywords", "company", "buptim", "creatim", "printim",
      "revtim", "userprops", "private", "nextfile", "keycode", "picprop", "shp", "shpinst",
      "shprslt", "sp", "sn", "sv", "generator", "themedata", "colorschememapping", "latentstyles",
      "datastore", "xmlnstbl", "rsidtbl", "mmathPr", "blipuid", "background",
      "nonesttables"};  // (the flat copy of nested tables, for readers without them)
  return words.count(word) > 0;
}

char32_t RtfSpecialCharacter(const std::string& word) {
  static const std::unordered_map<std::string, char32_t> specials = {
      {"emdash", 0x2014}, {"endash", 0x2013}, {"emspace", 0x2003}, {"enspace", 0x2002},
      {"qmspace", 0x2005}, {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019},
      {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D}, {"zwnj", 0x200C}};
  const auto found = specials.find(word);
  return found != specials.end() ? found->second : 0;
}
