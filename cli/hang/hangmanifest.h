// The pack manifest of a hung exhibition and the files it names that hang makes itself: the
// rooms' list, the works' list with each picture's texture and each model on its plinth, a list
// for each piece of music and an opera list for each work with its label, notes and movies.
// Paths in it are relative to the sources folder, so the curator can move the folder and pack it.
#pragma once

#include <QDir>
#include <string>
#include <vector>

#include "hangfolder.h"
#include "hanglayout.h"
#include "hangscene.h"
#include "manifest.h"

struct THangManifestOptions {
  int MaxTexture = 1024;  // pictures larger than this many pixels a side are scaled into textures/
  bool Progress = false;  // a line on standard error every 25 pictures prepared
};

// Makes the manifest of the works as laid out, writing the scaled textures into textures/ and the
// labels into notes/ of sources. Names the data file cannot hold are stored changed, each change
// told in folder.Notices. False, with a message naming the file and the reason, when a picture
// cannot be read or a file cannot be written.
bool HangManifest(TFolder& folder, const THangLayout& layout, const std::vector<THungWork>& works,
                  const TRoomLook& look, const THangManifestOptions& options, const QDir& sources,
                  TManifest& manifest, std::string& error);

// A name the data file can hold (Windows-1252, or UTF-8 when that cannot hold it), cut at a
// whole character to 255 bytes; a name so cut is told in notices, with what it names.
std::string StorableName(const std::string& utf8, const std::string& what, std::vector<std::string>& notices);
