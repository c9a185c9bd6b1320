// A note as a web page shows it: the rich text the info window shows, written as HTML by the same
// reader, its pictures as files beside the page; a plain-text note as preformatted text.
#pragma once

#include <string>
#include <vector>

struct TNotePicture {
  std::string File;  // relative to the site, e.g. "notes/301-1-1.png"
  std::vector<unsigned char> Bytes;
};

struct TNoteHtml {
  bool Shown = false;  // false: the info window cannot show these bytes either
  bool Rich = false;   // read as RTF (else as plain Windows-1252 text)
  std::string Html;    // a fragment (no <html> or <body>), UTF-8
  std::string Text;    // the plain text the info window's document holds
  std::vector<TNotePicture> Pictures;
};

// picturePrefix names the pictures: "<prefix>-<n>.png" (or .jpg for opaque ones).
TNoteHtml NoteToHtml(const std::string& bytes, const std::string& picturePrefix);
