// What a folder to hang holds: its pictures and 3D models (each a work), their notes and movies found by the
// work's file stem, the catalogue, and the background music in a music subfolder.
#pragma once

#include <string>
#include <vector>

struct TAttachment {
  std::string File;  // absolute path
  std::string Name;  // UTF-8, as the browser shows it
};

struct TFolderWork {
  enum class Kind { Picture, Model };
  Kind WorkKind = Kind::Picture;
  std::string File;   // absolute path
  std::string Stem;   // the file name without its extension
  std::string Title, Author, Year;  // UTF-8
  double WidthCm = 0, HeightCm = 0;  // from the catalogue; 0 when not given (a model's width is its own)
  bool HasFacing = false;  // a model's turn about the vertical from the catalogue, in degrees
  double FacingDeg = 0;
  bool Catalogued = false;
  int PixelWidth = 0, PixelHeight = 0;  // a picture's, upright after its own orientation
  std::vector<TAttachment> Notes, Movies;
};

struct TFolder {
  std::string Path;
  std::string Catalogue;  // the catalogue file used, or empty
  std::vector<TFolderWork> Works;  // in hanging order
  std::vector<TAttachment> Sounds;  // in name order
  std::vector<std::string> Notices;  // what the curator should know: pictures of models, notes left out
  // Works the curator gave (files in the folder) that cannot be hung: "name: reason". Hanging
  // stops on them unless the curator knowingly goes on without them.
  std::vector<std::string> LeftOut;
};

// What a run without the left-out works hangs: "9 of 10 works; left out: a.stl (no faces)", or
// "10 works" when none is.
std::string WorksSummary(const TFolder& folder);

// The refusal when works are left out: each of them and why, and how to go on without them.
std::string LeftOutRefusal(const TFolder& folder, const std::string& prefix);

// Reads the folder; catalogue overrides the catalogo.csv/catalogo.json found in it.
// False with a message naming the file, the place and the reason.
bool ScanFolder(const std::string& folder, const std::string& catalogue, TFolder& result, std::string& error);

// A title made from a file stem: "la_natività-2" -> "La natività 2".
std::string TitleFromStem(const std::string& stem);

// The works after the first count, which --max-works leaves out: "not hung (--max-works 200): ...".
std::string NotHungText(const TFolder& folder, std::size_t count);

// What to do when the folder has more works than a data file can list.
std::string TooManyAdvice(const TFolder& folder, int maxLists);
