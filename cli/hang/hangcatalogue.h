// The curator's catalogue of a folder to hang: catalogo.csv (comma, semicolon or tab separated,
// a header row naming the columns) or catalogo.json (an array of objects, or {"works": [...]}).
// Columns: file, title, author, year, width and height in centimetres, order, and for a model
// facing (degrees it is turned about the vertical); the Italian names (immagine, titolo, autore,
// anno, larghezza, altezza, ordine, fronte) are understood too.
#pragma once

#include <string>
#include <vector>

struct TCatalogueEntry {
  std::string File;  // as written: a file name in the folder, with or without its extension
  std::string Title, Author, Year;  // UTF-8
  double WidthCm = 0, HeightCm = 0;  // 0 when not given
  bool HasOrder = false;
  double Order = 0;
  bool HasFacing = false;
  double FacingDeg = 0;
  std::string Where;  // "catalogo.csv: line 4", for messages
  int Line = 0;       // the record's first line (a JSON catalogue: the work's number)
  int FileColumn = 0; // where the file is named, counted from 1
};

// One mistake of the catalogue, as a compiler reports it: where, and what is wrong.
struct TCatalogueError {
  int Line = 0;
  std::string Text;  // "catalogo.csv: line 4: width 'wide' is not a number (column 5)"
};

// Reads the catalogue file. Every bad row is reported in errors (the good ones are still read);
// false when there is any error.
bool ReadCatalogue(const std::string& path, std::vector<TCatalogueEntry>& entries, std::vector<TCatalogueError>& errors);

// Every error, in line order, one a line, each behind prefix, then how many there are.
std::string CatalogueErrorText(std::vector<TCatalogueError> errors, const std::string& catalogue,
                               const std::string& prefix);
