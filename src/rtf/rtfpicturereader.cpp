#include "rtfpicturereader.h"

#include "rtfgroupstate.h"
#include "rtfreader.h"
#include "rtftokenizer.h"
#include "rtfwords.h"

#include <algorithm>

void TRtfPictureReader::Start(std::size_t depth) {
  Picture = TRtfPictureData();
  Picture.Active = true;
  Picture.Depth = depth;
}

bool TRtfPictureReader::Word(const std::string& word, bool has, int value) {
  if (FormatWord(word)) return true;
  if (has && SizeWord(word, value)) return true;
  return !(word == "pict" || RtfIsIgnoredDestination(word));  // a picture in a picture is ignored
}

bool TRtfPictureReader::FormatWord(const std::string& word) {
  if (word == "pngblip") {
    Picture.Format = TRtfPictureFormat::Png;
  } else if (word == "jpegblip") {
    Picture.Format = TRtfPictureFormat::Jpeg;
  } else if (word == "dibitmap") {
    Picture.Format = TRtfPictureFormat::Dib;
  } else if (word == "wmetafile" || word == "emfblip" || word == "macpict" || word == "pmmetafile") {
    Picture.Format = TRtfPictureFormat::Metafile;
  } else {
    return false;
  }
  return true;
}

bool TRtfPictureReader::SizeWord(const std::string& word, int value) {
  int* const field = word == "picw"        ? &Picture.Width
                     : word == "pich"      ? &Picture.Height
                     : word == "picwgoal"  ? &Picture.GoalWidth
                     : word == "pichgoal"  ? &Picture.GoalHeight
                     : word == "picscalex" ? &Picture.ScaleX
                     : word == "picscaley" ? &Picture.ScaleY
                                           : nullptr;
  if (field == nullptr) return false;
  *field = value;
  return true;
}

void TRtfPictureReader::HexText(const char* data, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const int nibble = RtfHexValue(data[i]);
    if (nibble < 0) continue;  // blanks between the digits
    if (Picture.HighNibble < 0) {
      Picture.HighNibble = nibble;
      continue;
    }
    if (static_cast<std::size_t>(Picture.Data.size()) >= RtfMaxPictureBytes)
      Picture.TooLarge = true;
    else
      Picture.Data.append(static_cast<char>(Picture.HighNibble * 16 + nibble));
    Picture.HighNibble = -1;
  }
}

void TRtfPictureReader::Binary(const char* data, std::size_t length) {
  const std::size_t room =
      RtfMaxPictureBytes - std::min(RtfMaxPictureBytes, static_cast<std::size_t>(Picture.Data.size()));
  if (length > room) {
    Picture.TooLarge = true;
    return;
  }
  Picture.Data.append(data, static_cast<int>(length));
}

TRtfPictureData TRtfPictureReader::Take() {
  TRtfPictureData picture = std::move(Picture);
  Picture = TRtfPictureData();
  return picture;
}

namespace {

// Shown size: the goal size in twips if given, else the picture's own size; then the scale.
QSizeF ShownSize(const TRtfPictureData& picture, QSizeF own) {
  double width = picture.GoalWidth > 0 ? picture.GoalWidth / RtfTwipsPerPixel : own.width();
  double height = picture.GoalHeight > 0 ? picture.GoalHeight / RtfTwipsPerPixel : own.height();
  if (picture.ScaleX > 0) width = width * std::min(picture.ScaleX, 10000) / 100.0;
  if (picture.ScaleY > 0) height = height * std::min(picture.ScaleY, 10000) / 100.0;
  return QSizeF(width, height);
}

// A metafile's own size (\picw, \pich) is in hundredths of a millimetre. Its empty box is drawn at
// its shown size, so it counts against the pixel limits.
QImage MetafileBox(const TRtfPictureData& picture, long long pixelsLeft, QSizeF& size) {
  size = ShownSize(picture, QSizeF(picture.Width * 96.0 / 2540.0, picture.Height * 96.0 / 2540.0));
  if (!(size.width() >= 1 && size.height() >= 1) || size.width() > 16384 || size.height() > 16384) return QImage();
  const QSize box(static_cast<int>(size.width() + 0.5), static_cast<int>(size.height() + 0.5));
  if (static_cast<long long>(box.width()) * box.height() > pixelsLeft) return QImage();
  return RtfEmptyBox(box);
}

}  // namespace

bool TRtfPictureReader::Decode(const TRtfPictureData& picture, QImage& image, QSizeF& size) {
  const long long pixelsLeft = std::min(RtfMaxImagePixels, 4 * RtfMaxImagePixels - ImagePixels);
  if (picture.Format == TRtfPictureFormat::Metafile) {
    image = MetafileBox(picture, pixelsLeft, size);
  } else {
    if (picture.Data.isEmpty()) return false;
    image = RtfDecodePicture(picture.Format, picture.Data, pixelsLeft);
    size = ShownSize(picture, QSizeF(image.width(), image.height()));
  }
  if (image.isNull()) return false;
  ImagePixels += static_cast<long long>(image.width()) * image.height();
  size = QSizeF(std::max(1.0, std::min(size.width(), 16384.0)), std::max(1.0, std::min(size.height(), 16384.0)));
  return true;
}
