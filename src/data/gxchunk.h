// The chunk classes: one record kind per chunk type, each reading and writing its own record.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bytes.h"

// A file that cannot be created or written (the framework's file-creation error).
class EFCreateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TGXChunk {
 public:
  // ReadFromBuffer's answer when the fixed block or the data would run past the bytes available.
  static constexpr std::int32_t kRecordDoesNotFit = -1;

  virtual ~TGXChunk() = default;
  TGXChunk(const TGXChunk&) = delete;
  TGXChunk& operator=(const TGXChunk&) = delete;

  // Record length: chunk header + fixed block + DataLength.
  virtual std::int32_t GetSize() const = 0;
  // Reads the fixed block and the data from a file positioned just after the chunk header;
  // answers the count of blocks read by the last read (1 on success).
  virtual std::size_t ReadBody(std::FILE* file) = 0;
  // Writes the whole record to a file, only when it serializes completely.
  virtual void WriteRecord(std::FILE* file) const = 0;
  // Reads the fixed block at `bytes` and the data after it; `available` bytes may be read.
  // Answers the count of bytes consumed as the class defines it, or kRecordDoesNotFit.
  virtual std::int32_t ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) = 0;
  // Writes the whole record; answers the count written, or 0 when refused (no room, or the
  // class's own refusal).
  virtual std::int32_t WriteToBuffer(std::uint8_t* destination, std::size_t capacity) const = 0;
  // Replaces the data bytes; answers the new DataLength or 0 when refused.
  virtual std::int32_t SetData(const std::uint8_t* bytes, std::int32_t length);

  // Reads a fixed block alone (the common fields and the class's own) and drops any data; the
  // caller supplies the data bytes afterwards. Used by readers that fetch the data themselves.
  void ReadFixedBlock(gx::TByteView fixed);
  // True for the classes whose records must carry data (DataLength above 0): a record of such a
  // class without data is malformed.
  virtual bool RequiresData() const { return false; }

  std::int32_t GetType() const { return Type; }
  int GetFixedSize() const { return FixedSize; }
  bool HasData() const { return !Data.empty(); }

  // Gives any chunk its data bytes: used by writers (the pack tool, tests). DataLength follows.
  void AssignData(std::vector<std::uint8_t> bytes);

  // Chunk header.
  std::string Magic = "GXCHUNK";
  std::int32_t Type = 0;
  // Fixed block, common part.
  std::int32_t DataLength = 0;
  std::string Name;
  std::int32_t Id = -1;
  std::int32_t UserId = 0;
  // The data bytes, owned by the chunk; empty when there are none.
  std::vector<std::uint8_t> Data;

 protected:
  TGXChunk(std::int32_t type, int fixedSize) : Type(type), FixedSize(fixedSize) {}

  // The type-specific part of the fixed block, from offset 268 to its end.
  virtual void ReadTail(gx::TByteView fixed) = 0;
  virtual void WriteTail(std::uint8_t* fixed) const = 0;

  // The parts every class shares; the classes choose the policies.
  std::int32_t ReadRecord(const std::uint8_t* bytes, std::size_t available, std::int32_t resultWhenEmpty,
                          std::int32_t headerIncluded);
  std::int32_t WriteRecordTo(std::uint8_t* destination, std::size_t capacity, bool writeData) const;
  std::size_t ReadBodyFrom(std::FILE* file);
  void WriteWholeRecord(std::FILE* file) const;
  std::int32_t SetOwnData(const std::uint8_t* bytes, std::int32_t length);

 private:
  int FixedSize;
};

// Types 1, 2, 5, 8, 11, 13 and 15: data required, refused and unread when DataLength is 0 or less.
class TGXChunkWithData : public TGXChunk {
 public:
  std::int32_t GetSize() const override;
  std::size_t ReadBody(std::FILE* file) override;
  void WriteRecord(std::FILE* file) const override;
  std::int32_t ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) override;
  std::int32_t WriteToBuffer(std::uint8_t* destination, std::size_t capacity) const override;
  bool RequiresData() const override { return true; }

 protected:
  using TGXChunk::TGXChunk;
  void ReadTail(gx::TByteView) override {}
  void WriteTail(std::uint8_t*) const override {}
};

class TGXChunkTxt : public TGXChunkWithData {
 public:
  TGXChunkTxt();
  std::int32_t SetData(const std::uint8_t* bytes, std::int32_t length) override;
};

class TGXChunkRtf : public TGXChunkWithData {
 public:
  TGXChunkRtf();
  std::int32_t SetData(const std::uint8_t* bytes, std::int32_t length) override;
};

class TGXChunkAvi : public TGXChunkWithData {
 public:
  TGXChunkAvi();
  std::int32_t SetData(const std::uint8_t* bytes, std::int32_t length) override;
};

class TGXChunkWmv : public TGXChunkWithData {
 public:
  TGXChunkWmv();
  std::int32_t SetData(const std::uint8_t* bytes, std::int32_t length) override;
  // Creates (or truncates) the file and writes the data bytes in one write; does nothing when
  // there is no data. Throws EFCreateError when the file cannot be created or written.
  void SaveToFile(const std::string& path) const;
};

// Its record length counts the chunk header in ReadFromBuffer's answer.
class TGXChunkVrmlShape : public TGXChunkWithData {
 public:
  TGXChunkVrmlShape();
  std::int32_t ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) override;
};

// Types 5 and 8 carry one reserved int32 before the reference slot.
class TGXChunkWithReserved : public TGXChunkWithData {
 public:
  std::int32_t Reserved = 0;

 protected:
  using TGXChunkWithData::TGXChunkWithData;
  void ReadTail(gx::TByteView fixed) override;
  void WriteTail(std::uint8_t* fixed) const override;
};

class TGXChunkBmp : public TGXChunkWithReserved {
 public:
  TGXChunkBmp();
  std::int32_t SetData(const std::uint8_t* bytes, std::int32_t length) override;
};

class TGXChunkWav : public TGXChunkWithReserved {
 public:
  TGXChunkWav();
  std::int32_t SetData(const std::uint8_t* bytes, std::int32_t length) override;
};

class TGXChunkImageRawRgba : public TGXChunk {
 public:
  TGXChunkImageRawRgba();
  std::int32_t GetSize() const override;
  std::size_t ReadBody(std::FILE* file) override;
  void WriteRecord(std::FILE* file) const override;
  std::int32_t ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) override;
  std::int32_t WriteToBuffer(std::uint8_t* destination, std::size_t capacity) const override;

  // The image size as used: the low 16 bits of Width and Height, signed.
  std::int16_t ImageWidth() const { return static_cast<std::int16_t>(Width & 0xFFFF); }
  std::int16_t ImageHeight() const { return static_cast<std::int16_t>(Height & 0xFFFF); }

  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t Reserved = 0;
  std::int32_t Components = 0;
  std::array<std::uint8_t, 256> ReservedText{};

 protected:
  void ReadTail(gx::TByteView fixed) override;
  void WriteTail(std::uint8_t* fixed) const override;
};

class TGXChunkCamera : public TGXChunk {
 public:
  TGXChunkCamera();
  std::int32_t GetSize() const override;
  std::size_t ReadBody(std::FILE* file) override;
  void WriteRecord(std::FILE* file) const override;
  std::int32_t ReadFromBuffer(const std::uint8_t* bytes, std::size_t available) override;
  std::int32_t WriteToBuffer(std::uint8_t* destination, std::size_t capacity) const override;
  std::int32_t SetData(const std::uint8_t* bytes, std::int32_t length) override;

  std::array<std::uint8_t, 276> ReservedHead{};
  std::array<double, 3> Pos{};
  std::array<std::uint8_t, 56> ReservedTail{};

 protected:
  void ReadTail(gx::TByteView fixed) override;
  void WriteTail(std::uint8_t* fixed) const override;
};

// A new, empty chunk of the class that the type code names (1, 2, 4, 5, 8, 11, 13, 15, 16), or null.
std::unique_ptr<TGXChunk> CreateChunk(std::int32_t type);
// True for the types that the list parser turns into chunks (every class except type 1).
bool IsParsedChunkType(std::int32_t type);
