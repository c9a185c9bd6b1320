#include "shapereader.h"

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/VRMLnodes/SoVRMLImageTexture.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/nodes/SoNode.h>

#include <vector>

#include "data/gxchunk.h"
#include "data/tzlib.h"

void InitSceneLibrary() {
  if (!SoDB::isInitialized()) SoDB::init();
  // Image textures of VRML text name files; the program never fetches them.
  SoVRMLImageTexture::setDelayFetchURL(TRUE);
}

namespace {

// One line per message: Coin spreads a message over lines and pads its line numbers.
void CollectReadError(const SoError* error, void* data) {
  auto* errors = static_cast<std::string*>(data);
  bool space = false;
  bool any = false;
  for (const char c : std::string(error->getDebugString().getString())) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      space = any;
      continue;
    }
    if (space) errors->push_back(' ');
    errors->push_back(c);
    space = false;
    any = true;
  }
  if (any) errors->push_back('\n');
}

// Sends Coin's read errors to a string for as long as it lives.
class ReadErrorCapture {
 public:
  explicit ReadErrorCapture(std::string* errors) : active(errors != nullptr) {
    if (!active) return;
    previous = SoReadError::getHandlerCallback();
    previousData = SoReadError::getHandlerData();
    SoReadError::setHandlerCallback(CollectReadError, errors);
  }
  ~ReadErrorCapture() {
    if (active) SoReadError::setHandlerCallback(previous, previousData);
  }
  ReadErrorCapture(const ReadErrorCapture&) = delete;
  ReadErrorCapture& operator=(const ReadErrorCapture&) = delete;

 private:
  bool active;
  SoErrorCB* previous = nullptr;
  void* previousData = nullptr;
};

}  // namespace

SoNode* ReadShapeText(const std::uint8_t* text, std::size_t size, std::string* errors, int* ignored) {
  if (ignored != nullptr) *ignored = 0;
  if (text == nullptr || size == 0) {
    if (errors != nullptr) errors->append("the shape text is empty\n");
    return nullptr;
  }
  InitSceneLibrary();
  ReadErrorCapture capture(errors);
  SoInput input;
  input.setBuffer(text, size);
  SoNode* node = nullptr;
  if (!SoDB::read(&input, node)) {
    if (node != nullptr) {
      node->ref();
      node->unref();
    }
    if (errors != nullptr && errors->empty()) errors->append("Coin cannot read the shape text\n");
    return nullptr;
  }
  if (node == nullptr && errors != nullptr) errors->append("the shape text holds no node\n");
  if (node != nullptr && ignored != nullptr) {
    TCoinRef<SoNode> first(node);
    std::vector<TCoinRef<SoNode>> more;
    ReadRemainingNodes(input, more);
    *ignored = static_cast<int>(more.size());
    more.clear();
    node = first.release();
  }
  return node;
}

bool ReadRemainingNodes(SoInput& input, std::vector<TCoinRef<SoNode>>& nodes) {
  for (;;) {
    SoNode* next = nullptr;
    const bool read = SoDB::read(&input, next);
    TCoinRef<SoNode> held(next);  // a broken node goes at once
    if (!read) return false;
    if (next == nullptr) return true;
    nodes.push_back(std::move(held));
  }
}

SoNode* ReadShapeChunk(const TGXChunk& chunk, std::string* errors, int* ignored) {
  if (ignored != nullptr) *ignored = 0;
  std::int32_t length = chunk.DataLength;
  int result = 0;
  const std::vector<std::uint8_t> text = InflateBuffer(chunk.Data.data(), length, kDefaultInflateCap, &result);
  if (result != 0 && errors != nullptr) {
    errors->append("the packed shape text does not inflate: ").append(InflateErrorText(result)).push_back('\n');
  }
  if (text.empty()) return nullptr;
  return ReadShapeText(text.data(), text.size(), errors, ignored);
}
