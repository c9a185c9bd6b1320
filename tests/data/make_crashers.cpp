// Writes the small malformed files of tests/data/crashers, one per kind of damage that the
// readers must refuse cleanly. Run by hand: make_crashers <folder>; the files are committed.
#include <iostream>

#include "data/gxformat.h"
#include "testutil.h"

using namespace testutil;

namespace {

// An opera list (Id 7) in a compact file: notes with UserId 1 and 3, movies with UserId 2 and 4.
struct Opera {
  std::unique_ptr<TGXChunkList> list = MakeOperaList(7, "Primavera");
  Bytes blob = list->WriteToBlob();
  std::size_t blobAt = 324 + 276;
  std::size_t Record(int i) const {
    std::size_t at = blobAt + 512;
    for (int k = 0; k < i; ++k) at += std::size_t(list->GetChunk(k)->GetSize());
    return at;
  }
  Bytes File() const { return CompactFile({EntryFor(*list)}, {blob}); }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_crashers <folder>\n";
    return 2;
  }
  const std::string dir = argv[1];
  const Opera opera;
  const Bytes file = opera.File();
  auto save = [&](const std::string& name, const Bytes& bytes) { WriteFile(dir + "/" + name, bytes); };

  save("short-file.bin", file);

  Bytes b = file;
  PatchI32(b, 320, 0x7FFFFFFF);
  save("listcount-huge.bin", b);

  save("blob-past-eof.bin", Bytes(file.begin(), file.end() - 4));

  b = file;
  PatchI32(b, EntryField(0, gx::kEntryOffset), -600);
  save("negative-offset.bin", b);
  b = file;
  PatchI32(b, EntryField(0, gx::kEntrySize), -1);
  save("negative-size.bin", b);

  // Damage to the second record; the first (the note "Scheda") must survive.
  const std::size_t second = opera.Record(1);
  b = file;
  PatchI32(b, EntryField(0, gx::kEntrySize), std::int32_t(second + 100 - opera.blobAt));
  save("record-header-past-blob.bin", b);
  b = file;
  PatchI32(b, EntryField(0, gx::kEntrySize), std::int32_t(second + 256 + 100 - opera.blobAt));
  save("record-fixed-past-blob.bin", b);
  b = file;
  PatchI32(b, second + 256, 0x7FFFFFF0);
  save("record-data-past-blob.bin", b);
  b = file;
  b[second + 2] = 'Q';
  save("record-bad-magic.bin", b);
  b = file;
  PatchI32(b, second + 64, 99);
  save("record-no-class.bin", b);
  b = file;
  PatchI32(b, second + 256, 0);
  save("record-no-data.bin", b);

  // Streams: one that inflates far past any sensible cap, one cut short.
  save("inflate-past-cap.zz", Compress(Bytes(std::size_t(8) << 20, 0), 9));
  const Bytes packed = Compress(TextureLike(20000));
  save("inflate-truncated.zz", Bytes(packed.begin(), packed.end() - 5));
  std::cout << "crashers written to " << dir << "\n";
  return 0;
}
