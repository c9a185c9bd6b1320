// The curator's catalogue of a folder to hang: catalogo.csv (comma, semicolon or tab separated,
// a header row naming the columns) or catalogo.json (an array of objects, or {"works": [...]}).
// Columns: file, title, author, year, width and height in centimetres, order; the Italian names
// (immagine, titolo, autore, anno, larghezza, altezza, ordine) are understood too.
#pragma once

#include <string>
#include <vector>

struct TCatalogueEntry {
  std::string File;  // as written: a file name in the folder, with or without its extension
  std::string Title, Author, Year;  // UTF-8
  double WidthCm = 0, HeightCm = 0;  // 0 when not given
  bool HasOrder = false;
  double Order = 0;
  std::string Where;  // "catalogo.csv: line 4", for messages
};

// Reads the catalogue file; false with "path: line N: reason" in error.
bool ReadCatalogue(const std::string& path, std::vector<TCatalogueEntry>& entries, std::string& error);
