#include "inventorscan.h"

bool HasSceneHeader(const std::string& text) {
  return text.compare(0, 10, "#Inventor ") == 0 || text.compare(0, 6, "#VRML ") == 0;
}
