// A light look at Inventor/VRML text without a scene-graph library.
#pragma once

#include <string>

// True when the text starts with an Inventor or VRML header line, as a reader requires.
bool HasSceneHeader(const std::string& text);
