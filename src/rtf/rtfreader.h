// Reads rich text (RTF) into a QTextDocument: text in its code pages, fonts, sizes, bold, italic,
// underline, strike-out, super- and subscript, colours and highlighting, paragraph alignment,
// indents, spacing and tab stops, list marks (the writer's own, or numbers and bullets from the
// list table and older writers' paragraph numbering where the writer left them out), field
// results, footnotes (after the text), tables as tables (QTextTable) with their cell widths and
// formats, and PNG, JPEG and bitmap pictures as images of the document (metafiles as empty boxes
// of their size).
//
// Paragraphs outside tables are marked as non-breakable lines, and the document's wrap mode lets the
// text of a cell wrap within its cell: shown with that wrap mode, long lines scroll sideways while
// the cells keep their widths.
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
