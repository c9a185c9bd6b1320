// The scenes of an exhibition read as the program reads them (through the shared scene rules), and
// every opera's work looked for and measured as the browser and autoplay do before they fly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "checkreport.h"

class TGXChunk;

// A scene list as parsed from its blob; Chunks is null when the list is missing or the program
// could not load it.
struct TSceneList {
  std::string Label;  // "list 1 (Id 120, 'Opere')"
  const std::vector<std::unique_ptr<TGXChunk>>* Chunks = nullptr;
};

struct TOperaEntry {
  std::int32_t Id = -1;  // the Id the program lists the opera by (the entry's UserId)
  std::string Label;
  std::string Name;  // UTF-8, for the per-work lines
};

// Reads the rooms (list 110) and the works (list 120), fills their textures and checks every
// opera's work. Findings and per-work lines go to report.
void CheckScenes(const TSceneList& rooms, const TSceneList& works, const std::vector<TOperaEntry>& operas,
                 const TCheckOptions& options, TCheckReport& report);
