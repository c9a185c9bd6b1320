// The folder a website is written into: made aside and moved into place at the end, replacing only
// a folder that pinacora-data web made itself (it leaves a marker file in each).
#pragma once

#include <string>

// The name of the marker file every site holds.
extern const char* const kSiteMarker;

// False, saying why, for a FOLDER that exists and is not a site written before, or whose parent
// folder is missing or cannot be written in.
bool SitePlaceUsable(const std::string& folder, std::string& error);
// Refuses a FOLDER that exists and is not a site written before, or whose parent cannot take it;
// else makes an empty staging folder beside it and answers its path.
bool BeginSite(const std::string& folder, std::string& staging, std::string& error);
// Moves the staging folder into place (replacing the old site, if any) and writes the marker.
bool FinishSite(const std::string& staging, const std::string& folder, std::string& error);
// Removes the staging folder and everything in it.
void AbandonSite(const std::string& staging);

// The page's own files (index.html, its scripts and styles, three.js): beside the tool in the build
// tree, or in the installed share folder. Empty when neither has them.
std::string FindPageFiles();
// Copies the page's files into the site, putting the title into index.html.
bool CopyPageFiles(const std::string& pageFolder, const std::string& site, const std::string& title,
                   std::string& error);
