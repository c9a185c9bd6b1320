#include "worklevels.h"

#include <Inventor/SoPath.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/lists/SoPathList.h>
#include <Inventor/nodes/SoLOD.h>
#include <Inventor/nodes/SoLevelOfDetail.h>

namespace {

// Every node found under root by the search as set up, each once, whatever switches choose.
void AllUnder(SoNode* root, SoType type, std::unordered_set<SoNode*>& nodes) {
  SoSearchAction search;
  search.setType(type, TRUE);
  search.setInterest(SoSearchAction::ALL);
  search.setSearchingAll(TRUE);
  search.apply(root);
  const SoPathList& paths = search.getPaths();
  for (int i = 0; i < paths.getLength(); ++i) nodes.insert(paths[i]->getTail());
  search.reset();
}

}  // namespace

std::unordered_set<SoNode*> CoarseLevelNodes(SoNode* root) {
  std::unordered_set<SoNode*> coarse;
  if (root == nullptr) return coarse;
  std::unordered_set<SoNode*> groups;
  AllUnder(root, SoLOD::getClassTypeId(), groups);
  AllUnder(root, SoLevelOfDetail::getClassTypeId(), groups);
  for (SoNode* node : groups) {
    auto* group = static_cast<SoGroup*>(node);  // both kinds derive from SoGroup
    for (int i = 1; i < group->getNumChildren(); ++i) AllUnder(group->getChild(i), SoNode::getClassTypeId(), coarse);
  }
  // A node shared with the first level (a picture, say) is not a copy.
  for (SoNode* node : groups) {
    auto* group = static_cast<SoGroup*>(node);
    if (group->getNumChildren() == 0) continue;
    std::unordered_set<SoNode*> first;
    AllUnder(group->getChild(0), SoNode::getClassTypeId(), first);
    for (SoNode* shared : first) coarse.erase(shared);
  }
  return coarse;
}
