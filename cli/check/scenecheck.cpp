#include "scenecheck.h"

#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/errors/SoDebugError.h>
#include <Inventor/nodes/SoIndexedFaceSet.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/nodes/SoVertexProperty.h>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "data/cp1252.h"
#include "data/gxchunk.h"
#include "data/gxformat.h"
#include "common/isolated.h"
#include "scene/scenebuild.h"
#include "scene/shapereader.h"
#include "scene/texturefill.h"
#include "scene/worklevels.h"
#include "scene/worknames.h"
#include "scene/workqueries.h"

using namespace gx;

namespace {

// Coin's reader messages can be long; a line of the report keeps the first few.
constexpr std::size_t kMaxMessageLength = 400;

std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() != ' ') line += "; ";
    } else {
      line += c;
    }
  }
  while (!line.empty() && (line.back() == ' ' || line.back() == ';')) line.pop_back();
  if (line.size() > kMaxMessageLength) line = line.substr(0, kMaxMessageLength) + " ...";
  return line;
}

std::string ChunkWhere(std::size_t index, const TGXChunk& chunk) {
  return "chunk " + std::to_string(index) + " '" + DecodeName(chunk.Name) + "'";
}

std::string Vec(const SbVec3f& v) {
  auto shown = [](float x) { return std::fabs(x) < 0.005f ? 0.0 : double(x); };  // no "-0.00"
  char text[96];
  std::snprintf(text, sizeof text, "(%.2f, %.2f, %.2f)", shown(v[0]), shown(v[1]), shown(v[2]));
  return text;
}

bool Finite(const SbVec3f& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

void Quiet(const SoError*, void*) {}

// Keeps Coin's debug warnings (a zero vector normalised, a texture file not found) off the
// checker's output while it lives: the checker words what matters itself.
class QuietCoin {
 public:
  QuietCoin() : previous(SoDebugError::getHandlerCallback()), previousData(SoDebugError::getHandlerData()) {
    SoDebugError::setHandlerCallback(Quiet, nullptr);
  }
  ~QuietCoin() { SoDebugError::setHandlerCallback(previous, previousData); }
  QuietCoin(const QuietCoin&) = delete;
  QuietCoin& operator=(const QuietCoin&) = delete;

 private:
  SoErrorCB* previous;
  void* previousData;
};

// A referenced node, released at the end of its scope.
class NodeRef {
 public:
  explicit NodeRef(SoNode* n = nullptr) { Reset(n); }
  ~NodeRef() { Reset(nullptr); }
  NodeRef(const NodeRef&) = delete;
  NodeRef& operator=(const NodeRef&) = delete;
  void Reset(SoNode* n) {
    if (n != nullptr) n->ref();
    if (node != nullptr) node->unref();
    node = n;
  }
  SoNode* Get() const { return node; }

 private:
  SoNode* node = nullptr;
};

// Reads a scene list as the program does: the last shape chunk's node, its textures filled. With a
// report, says what Coin could not read, which textures fill nothing and which nodes stay empty.
SoNode* BuildChecked(const TSceneList& list, TCheckReport* report) {
  const auto& chunks = *list.Chunks;
  std::size_t lastShape = chunks.size();
  for (std::size_t i = 0; i < chunks.size(); ++i) lastShape = chunks[i]->GetType() == kChunkVrmlShape ? i : lastShape;
  NodeRef result;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const TGXChunk& chunk = *chunks[i];
    if (chunk.GetType() != kChunkVrmlShape) continue;
    std::string errors;
    int ignored = 0;
    SoNode* node = ReadShapeChunk(chunk, &errors, report != nullptr ? &ignored : nullptr);
    const bool inflated = errors.rfind("the packed shape text does not inflate", 0) != 0;
    if (report != nullptr && inflated && node == nullptr) {
      report->Error(list.Label + ": " + ChunkWhere(i, chunk) + ": Coin cannot read the shape text" +
                    (i == lastShape ? ", so the program shows nothing of this list: " : ": ") + OneLine(errors));
    } else if (report != nullptr && node != nullptr && !errors.empty()) {
      report->Warning(list.Label + ": " + ChunkWhere(i, chunk) + ": Coin reads the shape text with complaints: " +
                      OneLine(errors));
    }
    if (report != nullptr && ignored > 0) {
      report->Error(list.Label + ": " + ChunkWhere(i, chunk) + ": " + std::to_string(ignored) + " more top-level node" +
                    (ignored == 1 ? " follows" : "s follow") + " the first, and the program reads only the first: " +
                    "put everything in one Separator");
    }
    result.Reset(node);  // only the last shape counts, even when it cannot be read
  }
  if (result.Get() == nullptr) return nullptr;

  // One walk of the scene finds every texture node; filling them changes no node's place in it.
  const TTextureIndex textures(result.Get());
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const TGXChunk& chunk = *chunks[i];
    if (chunk.GetType() != kChunkImageRawRgba) continue;
    const int filled = FillTexture(textures, static_cast<const TGXChunkImageRawRgba&>(chunk));
    if (report != nullptr && filled == 0) {
      report->Error(list.Label + ": chunk " + std::to_string(i) + ": texture '" + DecodeName(chunk.Name) +
                    "' fills no Texture2 node of the shape");
    }
  }
  if (report != nullptr) {
    std::set<std::string> imageNames;  // a node named like an unusable image is reported with the image
    for (const auto& chunk : chunks) {
      if (chunk->GetType() == kChunkImageRawRgba) imageNames.insert(chunk->Name);
    }
    int unnamed = 0;
    for (SoTexture2* texture : FindEmptyTextures(result.Get())) {
      const std::string name = texture->getName().getString();
      const std::string file = texture->filename.getValue().getString();
      if (imageNames.count(name) != 0) continue;
      if (name.empty() && file.empty()) {
        ++unnamed;
        continue;
      }
      std::string text = list.Label + ": texture node '" + name + "' stays empty";
      text += file.empty() ? ": no texture of this list is named so"
                           : ": it names the file '" + file + "', which the program does not read";
      report->Warning(text);
    }
    if (unnamed > 0) {
      report->Warning(list.Label + ": " + std::to_string(unnamed) + " unnamed texture node" + (unnamed == 1 ? "" : "s") +
                      " stay" + (unnamed == 1 ? "s" : "") + " empty: only named nodes receive textures");
    }
  }
  SoNode* node = result.Get();
  node->ref();
  result.Reset(nullptr);
  node->unrefNoDelete();
  return node;
}

// Every node under root that carries a name, each once.
std::vector<SoNode*> NamedNodes(SoNode* root) {
  std::vector<SoNode*> nodes;
  std::set<SoNode*> seen;
  SoSearchAction search;
  search.setType(SoNode::getClassTypeId(), TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setSearchingAll(TRUE);
  search.apply(root);
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) {
    SoNode* tail = paths[i]->getTail();
    if (tail != nullptr && tail->getName().getLength() > 0 && seen.insert(tail).second) nodes.push_back(tail);
  }
  search.reset();
  return nodes;
}

// The vertex property a face set draws from, when it has points of its own.
const SoVertexProperty* OwnVertices(SoNode* node) {
  if (node == nullptr || !node->isOfType(SoIndexedFaceSet::getClassTypeId())) return nullptr;
  SoNode* property = static_cast<SoIndexedFaceSet*>(node)->vertexProperty.getValue();
  if (property == nullptr || !property->isOfType(SoVertexProperty::getClassTypeId())) return nullptr;
  const auto* vertices = static_cast<const SoVertexProperty*>(property);
  return vertices->vertex.getNum() > 0 ? vertices : nullptr;
}

void CheckWorkNames(const TSceneList& works, SoNode* worksRoot, const std::set<std::int32_t>& operaIds,
                    TCheckReport& report) {
  std::map<std::int32_t, int> faceSets;  // Id -> distinct nodes named KD_<Id>
  const std::unordered_set<SoNode*> copies = CoarseLevelNodes(worksRoot);  // a work's coarser levels
  for (SoNode* node : NamedNodes(worksRoot)) {
    const std::string name = node->getName().getString();
    if (!HasWorkPrefix(name.c_str())) continue;
    const std::string type = node->getTypeId().getName().getString();
    const bool faceSet = node->isOfType(SoIndexedFaceSet::getClassTypeId());
    std::int32_t id = 0;
    const bool number = ParseWorkName(name, id);
    if (!number || WorkName(id) != name) {
      std::string text = works.Label + ": node '" + name + "' is not named KD_<Id>, so no work can be found by it";
      if (faceSet && !number) text += "; clicking it shows a conversion error instead of flying";
      if (faceSet && number) text += "; clicking it selects opera " + std::to_string(id);
      report.Error(text);
      continue;
    }
    if (!faceSet) {
      report.Error(works.Label + ": '" + name + "' is a " + type + ", not an IndexedFaceSet, so clicking it does nothing");
    }
    int& definitions = faceSets[id];
    if (copies.count(node) == 0 && ++definitions == 2) {
      report.Error(works.Label + ": face set '" + name + "' is defined more than once; flights go to the first");
    }
  }
  for (const auto& [id, count] : faceSets) {
    if (operaIds.count(id) == 0) {
      report.Error(works.Label + ": face set KD_" + std::to_string(id) + " has no opera list " + std::to_string(id));
    }
  }
}

void CheckWork(const TSceneList& works, const TOperaEntry& opera, SoNode* sceneRoot, SoNode* selection,
               SoNode* rooms, TCheckReport& report) {
  const std::string name = WorkName(opera.Id);
  SoPath* found = FindWork(selection, opera.Id);
  if (found == nullptr) {
    SoPath* inRooms = rooms != nullptr ? FindWork(rooms, opera.Id) : nullptr;
    report.Error(opera.Label + ": the opera has no face set " + name + " in scene list " + std::to_string(kWorksListId) +
                 (inRooms != nullptr ? " (only in list " + std::to_string(kModelListId) + ", which cannot be clicked)"
                                     : std::string()) +
                 ", so the browser and autoplay never fly to it");
    if (inRooms != nullptr) inRooms->unref();
    return;
  }
  SoNode* tail = found->getTail();
  const std::string type = tail->getTypeId().getName().getString();
  const SoVertexProperty* own = OwnVertices(tail);
  found->unref();

  const std::string where = works.Label + ": work " + name + " ('" + opera.Name + "')";
  const SbViewportRegion viewport(1024, 768);
  SbVec3f center;
  if (!GetObjectCenter(selection, opera.Id, viewport, center)) {
    report.Error(where + ": no Coordinate3 with points is in effect at the " + type +
                 (own != nullptr ? " (its vertices are in its VertexProperty)" : std::string()) +
                 ", so the browser and autoplay cannot fly to it");
    return;
  }
  if (own != nullptr) {
    report.Error(where + ": its vertices are in its VertexProperty, but flights measure the Coordinate3 before it, "
                         "so the camera flies to the wrong place");
  }
  SbVec3f normal;
  GetObjectNormal(sceneRoot, opera.Id, viewport, normal);
  if (!Finite(center)) {
    report.Error(where + ": its centre is not a number, so flights cannot reach it");
    return;
  }
  if (!Finite(normal) || !(normal.length() > 0.5f)) {
    report.Error(where + ": it has no facing direction (its transformation flattens its local +Y axis), so flights "
                         "cannot find its front");
    return;
  }
  if (std::fabs(normal[1]) > 0.99f) {
    report.Warning(where + ": it faces straight " + (normal[1] > 0 ? "up" : "down") +
                   " (its local +Y axis is vertical), so flights end at its centre, not in front of it");
  }
  float distance = kDefaultViewDistance;
  GetObjectViewDistance(selection, opera.Id, distance);
  SoPath* path = FindWork(selection, opera.Id);
  SbBox3f box;
  const bool hasBox = GetCoordinateBox(path, box);
  path->unref();
  if (hasBox) {
    const SbVec3f low = box.getMin(), high = box.getMax();
    if ((high[0] - low[0]) * (high[2] - low[2]) == 0.0f) {
      report.Warning(where + ": it has no area in its local X-Z plane, so flights see it from the default " +
                     std::string("6.0"));
    }
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", double(distance));
  // Its front as a bearing about the vertical, as a manifest model's "facing" gives it.
  char bearing[64];
  const double degrees = std::atan2(double(normal[0]), double(normal[2])) * 180.0 / M_PI;
  std::snprintf(bearing, sizeof bearing, "%.0f", std::fabs(degrees) < 0.5 ? 0.0 : degrees < 0 ? degrees + 360 : degrees);
  report.Works.push_back("work " + name + " '" + opera.Name + "': centre " + Vec(center) + ", facing " + Vec(normal) +
                         ", seen from " + text);
  report.Works.push_back("  its front towards " + std::string(bearing) + " degrees about the vertical (0 = +Z, 90 = +X)");
}

// Reads the works, with the rooms beside them as the viewer holds them, and checks every work.
void CheckWorksScene(const TSceneList& rooms, const TSceneList& works, const std::vector<TOperaEntry>& operas,
                     TCheckReport& report) {
  QuietCoin quiet;
  NodeRef worksNode(BuildChecked(works, &report));
  if (worksNode.Get() == nullptr) return;  // already said: nothing of the works can be shown
  NodeRef roomsNode(rooms.Chunks != nullptr ? BuildChecked(rooms, nullptr) : nullptr);

  // The viewer's layout: the works under the selection node, the rooms after it. A plain separator
  // stands for the selection node (searches and matrices treat both alike, and the selection class
  // would need Coin's interaction classes).
  NodeRef sceneRoot(new SoSeparator);
  auto* selection = new SoSeparator;
  static_cast<SoSeparator*>(sceneRoot.Get())->addChild(selection);
  selection->addChild(worksNode.Get());
  if (roomsNode.Get() != nullptr) {
    auto* modelGroup = new SoSeparator;
    modelGroup->addChild(roomsNode.Get());
    static_cast<SoSeparator*>(sceneRoot.Get())->addChild(modelGroup);
  }

  std::set<std::int32_t> operaIds;
  for (const TOperaEntry& opera : operas) operaIds.insert(opera.Id);
  CheckWorkNames(works, worksNode.Get(), operaIds, report);
  for (const TOperaEntry& opera : operas) CheckWork(works, opera, sceneRoot.Get(), selection, roomsNode.Get(), report);
}

void CheckRoomsScene(const TSceneList& rooms, TCheckReport& report) {
  QuietCoin quiet;
  NodeRef node(BuildChecked(rooms, &report));
}

// A report through a pipe: one finding or work line per line, its kind first.
std::string Serialise(const TCheckReport& report) {
  std::string text;
  auto add = [&text](char kind, const std::string& line) {
    text += kind;
    for (const char c : line) text += c == '\n' ? ' ' : c;
    text += '\n';
  };
  for (const TFinding& finding : report.Findings) add(finding.Severity == TSeverity::Error ? 'E' : 'W', finding.Text);
  for (const std::string& line : report.Works) add('L', line);
  return text;
}

void Deserialise(const std::string& text, TCheckReport& report) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      const std::string line = text.substr(start + 1, end - start - 1);
      switch (text[start]) {
        case 'E': report.Error(line); break;
        case 'W': report.Warning(line); break;
        case 'L': report.Works.push_back(line); break;
        default: break;
      }
    }
    start = end + 1;
  }
}

// Runs one part of the check in a child process when asked to, and calls the list broken when the
// child does not come back.
template <typename Work>
void RunPart(const TCheckOptions& options, const std::string& label, TCheckReport& report, Work work) {
  if (!options.IsolateScenes) {
    work(report);
    return;
  }
  const TIsolatedRun run = RunIsolated(
      [&work] {
        TCheckReport part;
        work(part);
        return Serialise(part);
      },
      options.SceneSeconds);
  if (run.How == TIsolatedRun::End::Finished) {
    Deserialise(run.Output, report);
    return;
  }
  if (run.How == TIsolatedRun::End::TimedOut) {
    report.Error(label + ": reading its shapes with Coin did not finish in " + std::to_string(options.SceneSeconds) +
                 " seconds, so the program would hang at start-up on it too");
  } else {
    report.Error(label + ": reading its shapes with Coin " + run.Reason() + ", so the program would crash on it too");
  }
}

}  // namespace

void CheckScenes(const TSceneList& rooms, const TSceneList& works, const std::vector<TOperaEntry>& operas,
                 const TCheckOptions& options, TCheckReport& report) {
  bool roomsReadable = true;
  if (rooms.Chunks != nullptr) {
    const std::size_t before = report.Findings.size();
    RunPart(options, rooms.Label, report, [&rooms](TCheckReport& part) { CheckRoomsScene(rooms, part); });
    roomsReadable = report.Findings.size() == before ||
                    report.Findings.back().Text.find("reading its shapes with Coin") == std::string::npos;
  }
  if (works.Chunks == nullptr) return;
  const TSceneList roomsBeside = roomsReadable ? rooms : TSceneList{rooms.Label, nullptr};
  RunPart(options, works.Label, report,
          [&](TCheckReport& part) { CheckWorksScene(roomsBeside, works, operas, part); });
}
