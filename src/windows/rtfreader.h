// Reads rich text (RTF) into a QTextDocument: text in its code pages, fonts, sizes, bold, italic,
// underline, strike-out, colours, paragraph alignment and indents, tabs and breaks, tables as
// tab-separated rows, and PNG/JPEG pictures as images of the document.
#pragma once

#include <cstddef>

class QByteArray;
class QTextDocument;

// Groups may nest this deep; deeper input is refused as malformed.
constexpr int RtfMaxGroupDepth = 256;
// Picture data beyond this many bytes is dropped with its picture.
constexpr std::size_t RtfMaxPictureBytes = 32u * 1024u * 1024u;
// Decoded pictures may hold this many pixels each, and all of a document's together four times as
// many; pictures beyond either limit are left out.
constexpr long long RtfMaxImagePixels = 16LL * 1024 * 1024;

// Replaces the whole content of document with the RTF in bytes. Answers false, leaving the
// document empty, when the bytes do not start with "{\rtf" or nest groups deeper than
// RtfMaxGroupDepth. Anything else is read as well as it can be (unknown words are ignored, a missing
// final brace is forgiven, bytes after the closing brace are ignored). Never throws.
bool ReadRtf(const QByteArray& bytes, QTextDocument& document);
