// Writing a whole data file: list blobs appended one by one, the header block written last.
// The program never writes data files; the exhibition tool and the tests do.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gxchunklist.h"
#include "gxserializer.h"

class TGXFileWriter {
 public:
  TGXFileWriter() = default;
  TGXFileWriter(const TGXFileWriter&) = delete;
  TGXFileWriter& operator=(const TGXFileWriter&) = delete;
  ~TGXFileWriter();

  // Creates the file and reserves its header block. False with Error() set on failure.
  bool Open(const std::string& path);
  // Appends a list blob with its directory entry (Name, Id, UserId and Type from the list).
  // Refuses more than 236 lists, names over 255 bytes, a chunk that does not serialize and a file
  // that would pass the 2 GiB that 32-bit offsets can address.
  bool AppendList(const TGXChunkList& list);
  // Appends raw bytes as a blob with the given entry (Size and Offset are filled in). For tests
  // that need blobs no chunk class would write.
  bool AppendBlob(TDirectoryEntry entry, const std::vector<std::uint8_t>& blob);
  // Writes the header block and closes the file.
  bool Finish();

  const std::string& Error() const { return LastError; }
  std::size_t ListCount() const { return Entries.size(); }

  // The header block for a directory, as the writer stores it.
  static std::vector<std::uint8_t> BuildHeaderBlock(const std::vector<TDirectoryEntry>& entries);

 private:
  bool Fail(const std::string& message);

  std::FILE* File = nullptr;
  std::string Path;
  std::vector<TDirectoryEntry> Entries;
  long long End = 0;
  std::string LastError;
};
