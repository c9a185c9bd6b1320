// Reads a picture destination (\pict): its format and sizes, and its data as hex digits or \bin
// bytes; then decodes it into the image and the size the document shows, within the limits on
// pixels per picture and per document.
#pragma once

#include "rtfpicture.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>

#include <cstddef>
#include <string>

// What a picture's group said, and its data.
struct TRtfPictureData {
  bool Active = false;
  bool FromFallback = false;  // read in \nonshppict
  std::size_t Depth = 0;  // group depth at which the picture's group was opened
  TRtfPictureFormat Format = TRtfPictureFormat::Unknown;
  QByteArray Data;
  int HighNibble = -1;
  bool TooLarge = false;
  int Width = 0;  // \picw, \pich
  int Height = 0;
  int GoalWidth = 0;  // \picwgoal, \pichgoal (twips)
  int GoalHeight = 0;
  int ScaleX = 100;
  int ScaleY = 100;
};

class TRtfPictureReader {
 public:
  // A \pict group opens at a group depth.
  void Start(std::size_t depth);
  // Whether a picture is being read, and the depth of its group.
  bool Active() const { return Picture.Active; }
  std::size_t Depth() const { return Picture.Depth; }
  // The picture is the copy for readers without shapes (\nonshppict).
  void MarkFallback() { Picture.FromFallback = true; }

  // A word of the picture's group. Answers false when the word starts a group to be skipped (a
  // picture in the picture, or a destination without visible content).
  bool Word(const std::string& word, bool has, int value);
  // Hex digits of the data (blanks between them are skipped), and raw \bin bytes.
  void HexText(const char* data, std::size_t length);
  void Binary(const char* data, std::size_t length);

  // Ends the picture being read, answering what was read; the next is read afresh.
  TRtfPictureData Take();
  // Decodes a picture (a metafile as an empty box) into its image and shown size, in pixels.
  // Answers false when it cannot be shown, or would pass the pixel limits; the pixels of the
  // pictures decoded count against the document's limit.
  bool Decode(const TRtfPictureData& picture, QImage& image, QSizeF& size);

 private:
  bool FormatWord(const std::string& word);
  bool SizeWord(const std::string& word, int value);

  TRtfPictureData Picture;
  long long ImagePixels = 0;  // of the pictures shown so far
};
