#include "inventortext.h"

#include <Inventor/SoDB.h>
#include <Inventor/SoInput.h>
#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>
#include <Inventor/errors/SoReadError.h>
#include <Inventor/nodes/SoNode.h>

#include <algorithm>
#include <cstdlib>

#include "common/isolated.h"
#include "scene/shapereader.h"

namespace {

// The child's answer: 'T' and the text, or 'E' and why there is none.
constexpr char kText = 'T';
constexpr char kError = 'E';

// Nine significant digits give back every float exactly.
constexpr int kFloatDigits = 9;

void KeepFirstReadError(const SoError* error, void* data) {
  auto* first = static_cast<std::string*>(data);
  if (!first->empty()) return;
  for (const char c : std::string(error->getDebugString().getString())) {
    const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    if (space && (first->empty() || first->back() == ' ')) continue;
    first->push_back(space ? ' ' : c);
  }
  while (!first->empty() && first->back() == ' ') first->pop_back();
}

void* GrowBuffer(void* buffer, std::size_t size) { return std::realloc(buffer, size); }

// Runs in the child: every node read is kept until the writing is done, as a later USE may name
// an earlier one.
std::string Convert(const std::vector<std::uint8_t>& binary, const std::string& folder) {
  InitSceneLibrary();
  std::string readError;
  SoReadError::setHandlerCallback(KeepFirstReadError, &readError);
  SoInput input;
  input.setBuffer(binary.data(), binary.size());
  if (!folder.empty()) input.addDirectoryFirst(folder.c_str());
  std::vector<TCoinRef<SoNode>> nodes;
  if (!ReadRemainingNodes(input, nodes)) {
    return std::string(1, kError) + "Coin cannot read it" + (readError.empty() ? std::string() : ": " + readError);
  }
  if (nodes.empty()) return std::string(1, kError) + "it holds no node";

  SoOutput output;
  output.setBuffer(std::malloc(1 << 16), 1 << 16, GrowBuffer);
  output.setFloatPrecision(kFloatDigits);
  output.setCompact(TRUE);  // without the indentation the text is a third shorter to store and read
  SoWriteAction writer(&output);
  for (const TCoinRef<SoNode>& node : nodes) writer.apply(node.get());
  void* buffer = nullptr;
  std::size_t size = 0;
  output.getBuffer(buffer, size);
  std::string answer(1, kText);
  answer.append(static_cast<const char*>(buffer), size);
  output.resetBuffer();
  std::free(buffer);
  return answer;
}

}  // namespace

bool IsBinaryInventor(const std::vector<std::uint8_t>& bytes) {
  const std::string header(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 80));
  if (header.compare(0, 10, "#Inventor ") != 0) return false;
  const std::string line = header.substr(0, header.find_first_of("\r\n"));
  return line.find(" binary") != std::string::npos;
}

bool BinaryInventorToText(const std::vector<std::uint8_t>& binary, int seconds, std::vector<std::uint8_t>& text,
                          std::string& error, const std::string& folder) {
  const TIsolatedRun run = RunIsolated([&binary, &folder] { return Convert(binary, folder); }, seconds);
  if (run.How == TIsolatedRun::End::TimedOut) {
    error = "reading it with Coin did not finish in " + std::to_string(seconds) + " seconds";
    return false;
  }
  if (run.How != TIsolatedRun::End::Finished) {
    error = "reading it with Coin " + run.Reason();
    return false;
  }
  if (run.Output.empty() || run.Output[0] != kText) {
    error = run.Output.size() > 1 ? run.Output.substr(1) : "Coin gave no answer";
    return false;
  }
  text.assign(run.Output.begin() + 1, run.Output.end());
  return true;
}
