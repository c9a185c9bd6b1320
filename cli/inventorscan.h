// A light look at Inventor/VRML text without a scene-graph library: the nodes it names with DEF.
#pragma once

#include <string>
#include <vector>

struct TNamedNode {
  std::string Name;
  std::string Type;
};

// Every "DEF name Type" of the text, in order. Comments and quoted strings are skipped;
// whitespace of any kind separates words.
std::vector<TNamedNode> FindNamedNodes(const std::string& text);

// True when the text starts with an Inventor or VRML header line, as a reader requires.
bool HasSceneHeader(const std::string& text);
