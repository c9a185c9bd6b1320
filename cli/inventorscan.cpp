#include "inventorscan.h"

#include <cstdio>
#include <cstdlib>

#include "args.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == ','; }
bool IsPunctuation(char c) { return c == '{' || c == '}' || c == '[' || c == ']'; }

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (IsSpace(c) || c == '\0') {
      ++i;
    } else if (c == '#') {
      while (i < n && text[i] != '\n' && text[i] != '\r') ++i;
    } else if (c == '"') {
      for (++i; i < n && text[i] != '"'; ++i) {
        if (text[i] == '\\') ++i;
      }
      ++i;
      words.emplace_back("\"\"");  // a string is one word; its content does not matter here
    } else if (IsPunctuation(c)) {
      words.emplace_back(1, c);
      ++i;
    } else {
      const std::size_t start = i;
      while (i < n && !IsSpace(text[i]) && !IsPunctuation(text[i]) && text[i] != '#' && text[i] != '"' &&
             text[i] != '\0') {
        ++i;
      }
      words.push_back(text.substr(start, i - start));
    }
  }
  return words;
}

}  // namespace

std::vector<TNamedNode> FindNamedNodes(const std::string& text) {
  const std::vector<std::string> words = Words(text);
  std::vector<TNamedNode> nodes;
  for (std::size_t i = 0; i + 2 < words.size(); ++i) {
    if (words[i] == "DEF") nodes.push_back({words[i + 1], words[i + 2]});
  }
  return nodes;
}

bool HasSceneHeader(const std::string& text) {
  return text.compare(0, 10, "#Inventor ") == 0 || text.compare(0, 6, "#VRML ") == 0;
}
