// Turns the data of an RTF picture into an image: PNG and JPEG as stored, device-independent
// bitmaps (\dibitmap) through Qt's BMP reader, and a metafile, which we cannot draw, as an empty
// box of the size the writer gave it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

enum class TRtfPictureFormat { Unknown, Png, Jpeg, Dib, Metafile };

// Decodes data in the named format, refusing images of more than maxPixels pixels (before they
// are decoded). Answers a null image for metafiles, unknown formats and broken data.
QImage RtfDecodePicture(TRtfPictureFormat format, const QByteArray& data, long long maxPixels);

// A BMP file for a device-independent bitmap (a BITMAPINFOHEADER, its colour table and the
// pixels), or nothing when the header does not describe a bitmap Qt can read.
QByteArray RtfBmpFromDib(const QByteArray& dib);

// The stand-in for a picture we cannot draw: a light box with a thin frame, of the given size.
QImage RtfEmptyBox(QSize size);
