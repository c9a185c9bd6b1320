// Holds a reference to a scene node for as long as a test needs it.
#pragma once

#include <Inventor/nodes/SoNode.h>

struct Ref {
  explicit Ref(SoNode* n) : node(n) {
    if (node) node->ref();
  }
  ~Ref() {
    if (node) node->unref();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  SoNode* node;
};
