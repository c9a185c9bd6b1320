// A reference to a Coin node (or path) held for a scope: ref() when taken, unref() when the holder
// goes, so that every return releases what it holds, and a node nobody added to a graph is deleted.
#pragma once

#include <utility>

template <typename T>
class TCoinRef {
 public:
  TCoinRef() = default;
  explicit TCoinRef(T* node) : Node(node) {
    if (Node != nullptr) Node->ref();
  }
  ~TCoinRef() {
    if (Node != nullptr) Node->unref();
  }
  TCoinRef(const TCoinRef&) = delete;
  TCoinRef& operator=(const TCoinRef&) = delete;
  TCoinRef(TCoinRef&& other) noexcept : Node(std::exchange(other.Node, nullptr)) {}
  TCoinRef& operator=(TCoinRef&& other) noexcept {
    std::swap(Node, other.Node);
    return *this;
  }

  T* get() const { return Node; }
  T* operator->() const { return Node; }
  explicit operator bool() const { return Node != nullptr; }

  // Gives the node up without deleting it: the caller takes it unreferenced, as Coin hands out
  // new nodes (unrefNoDelete).
  T* release() {
    T* node = std::exchange(Node, nullptr);
    if (node != nullptr) node->unrefNoDelete();
    return node;
  }

 private:
  T* Node = nullptr;
};
