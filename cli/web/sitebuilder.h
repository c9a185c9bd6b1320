// Everything of one exhibition website except the page's own code: the scene (scene.glb), the tour
// (tour.json: works, flights, notes, movies, music) and the media files, written into a folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TSiteOptions {
  std::string Title = "Pinacora";
  int MaxTextureSide = 2048;
};

struct TSiteSummary {
  std::size_t Works = 0;        // operas a flight can reach
  std::size_t Operas = 0;
  std::size_t Triangles = 0;
  std::size_t Pictures = 0;
  int PicturesScaled = 0;
  std::size_t Notes = 0;
  std::size_t Movies = 0;
  std::size_t MoviesForDownload = 0;
  std::size_t Sounds = 0;
  std::vector<std::string> Remarks;  // for the curator, one line each
};

// Writes scene.glb, tour.json, notes/ and media/ into folder (which exists and is empty) from the
// exhibition file. False with the reason in error when a file cannot be written.
bool BuildSiteContent(const std::string& dataFile, const std::string& folder, const TSiteOptions& options,
                      TSiteSummary& summary, std::string& error);
