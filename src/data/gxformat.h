// Constants of the exhibition data file: sizes, offsets, signature and type codes.
#pragma once

#include <cstdint>

namespace gx {

constexpr char kSignature[] = "KD SERIALIZER (C) 2006 Quarvelondistrabemont - Rel 1.00#";
constexpr int kSignatureLength = 56;

constexpr int kHeaderBlockSize = 65536;
constexpr int kListCountOffset = 320;
constexpr int kDirectoryOffset = 324;
constexpr int kDirectoryEntrySize = 276;
constexpr int kMaxListCount = 236;

// DirectoryEntry field offsets.
constexpr int kEntryName = 0;
constexpr int kEntryId = 256;
constexpr int kEntryUserId = 260;
constexpr int kEntrySize = 264;
constexpr int kEntryType = 268;
constexpr int kEntryOffset = 272;

// ListHeader.
constexpr int kListHeaderSize = 512;
constexpr int kListMagic = 0;
constexpr int kListName = 64;
constexpr int kListId = 320;
constexpr int kListUserId = 324;
constexpr int kListType = 328;
constexpr int kListChunkCount = 332;
constexpr char kListMagicText[] = "CHUNKLIST";

// ChunkHeader.
constexpr int kChunkHeaderSize = 256;
constexpr int kChunkMagic = 0;
constexpr int kChunkType = 64;
constexpr char kChunkMagicText[] = "GXCHUNK";

// FixedBlock common part.
constexpr int kFixedDataLength = 0;
constexpr int kFixedName = 4;
constexpr int kFixedId = 260;
constexpr int kFixedUserId = 264;

constexpr int kTextFieldSize = 256;
constexpr int kMagicFieldSize = 64;

// List types.
constexpr int kListScene = 1;
constexpr int kListSound = 3;
constexpr int kListOpera = 4;

// Chunk types.
constexpr int kChunkTxt = 1;
constexpr int kChunkRtf = 2;
constexpr int kChunkImageRawRgba = 4;
constexpr int kChunkBmp = 5;
constexpr int kChunkWav = 8;
constexpr int kChunkAvi = 11;
constexpr int kChunkWmv = 13;
constexpr int kChunkVrmlShape = 15;
constexpr int kChunkCamera = 16;

// Fixed block sizes.
constexpr int kFixedPlain = 272;      // types 1, 2, 11, 13, 15
constexpr int kFixedWithInt = 276;    // types 5, 8
constexpr int kFixedImage = 544;      // type 4
constexpr int kFixedCamera = 632;     // type 16

// Scene list ids the viewer loads.
constexpr int kModelListId = 110;
constexpr int kWorksListId = 120;

}  // namespace gx
