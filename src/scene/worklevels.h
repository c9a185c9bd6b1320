// Works drawn in levels of detail: an SoLOD (or SoLevelOfDetail) whose first child is the work as
// it is, and whose later children are coarser copies, their face sets named as the work too so
// that a pick finds it whichever level shows. Searches reach the first child first, so the
// queries find the full work; what counts a work's faces or its definitions skips the copies.
#pragma once

#include <unordered_set>

class SoNode;

// Every node under root that lies in a level after the first of a level-of-detail group.
std::unordered_set<SoNode*> CoarseLevelNodes(SoNode* root);
