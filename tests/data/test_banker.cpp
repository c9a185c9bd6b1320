// The data banker over real files written by the project's writer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "data/gxformat.h"
#include "data/gxwriter.h"
#include "data/tdatabanker.h"
#include "testutil.h"

using namespace testutil;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class Banker : public ::testing::Test {
 protected:
  void SetUp() override {
    Opera7 = MakeOperaList(7, "Primavera");
    Opera9 = MakeOperaList(9, "Venere");
    Empty = MakeList("Senza note", 11, gx::kListOpera);
    Scene = MakeEveryClassList(110);
    Sound = MakeList("Bolero", 301, gx::kListSound);
    Sound->Append(MakeChunk<TGXChunkWav>("bolero", 1, 1, Compress(Bytes(100, 1))));
    Sound2 = MakeList("Inverno", 302, gx::kListSound);
    Sound2->Append(MakeChunk<TGXChunkWav>("inverno", 1, 1, Compress(Bytes(100, 2))));
    WriteDataFile(File(), {Opera7.get(), Sound.get(), Scene.get(), Opera9.get(), Sound2.get(), Empty.get(),
                           Opera7.get()});
    TDataBanker::SetMovieFolderProvider(nullptr);
    ::setenv("XDG_CACHE_HOME", Dir.File("cache").c_str(), 1);
  }
  void TearDown() override { ::unsetenv("XDG_CACHE_HOME"); }

  std::string File() const { return Dir.File("kddata.bin"); }

  TempDir Dir;
  std::unique_ptr<TGXChunkList> Opera7, Opera9, Empty, Scene, Sound, Sound2;
};

std::vector<std::string> Names(const TVecInfos& infos) {
  std::vector<std::string> names;
  for (const TagInfo& i : infos) names.push_back(i.Name.empty() ? i.Caption : i.Name);
  return names;
}

}  // namespace

TEST_F(Banker, ListingsInDirectoryOrderAppended) {
  TDataBanker banker(File());
  TVecInfos operas;
  operas.push_back(TagInfo{-5, 0, 0, "", "kept"});
  banker.ListOperas(operas);
  EXPECT_EQ(Names(operas), (std::vector<std::string>{"kept", "Primavera", "Venere", "Senza note", "Primavera"}));
  EXPECT_EQ(operas[1].Id, 7);
  EXPECT_EQ(operas[2].Id, 9);
  EXPECT_TRUE(operas[1].Caption.empty());

  TVecInfos sounds;
  banker.ListSounds(sounds);
  banker.ListSounds(sounds);
  EXPECT_EQ(Names(sounds), (std::vector<std::string>{"Bolero", "Inverno", "Bolero", "Inverno"}));
  EXPECT_EQ(sounds[1].Id, 302);
}

TEST_F(Banker, ListingReportsUserIdAndSkipsCountsOutOfRange) {
  Bytes f = ReadFile(File());
  PatchI32(f, EntryField(0, 260), 77);  // entry 0: Id 7, UserId 77
  WriteFile(File(), f);
  TDataBanker banker(File());
  TVecInfos operas;
  banker.ListOperas(operas);
  ASSERT_FALSE(operas.empty());
  EXPECT_EQ(operas[0].Id, 77);
  EXPECT_FALSE(banker.GetChunkList(77)) << "lookups match the directory Id";

  for (std::int32_t count : {0, -3}) {
    PatchI32(f, 320, count);
    WriteFile(File(), f);
    TVecInfos none;
    banker.ListOperas(none);
    banker.ListSounds(none);
    EXPECT_TRUE(none.empty()) << count;
  }
}

TEST_F(Banker, MissingFileIsSilentlyEmpty) {
  TDataBanker banker(Dir.File("nothing.bin"));
  TVecInfos infos, movies, notes;
  banker.ListOperas(infos);
  banker.ListSounds(infos);
  banker.ListOperaItems(7, movies, notes);
  EXPECT_TRUE(infos.empty());
  EXPECT_TRUE(movies.empty() && notes.empty());
  EXPECT_FALSE(banker.GetChunkList(7));
  EXPECT_EQ(banker.ExtractMovie(7, 2), "");
  EXPECT_FALSE(banker.GetNoteStream(7, 1));
}

TEST_F(Banker, UnreadableFileIsSilentlyEmpty) {
  // A folder opens for reading on Linux but cannot be read: it is not a wrong signature.
  ASSERT_EQ(::mkdir(Dir.File("folder.bin").c_str(), 0700), 0);
  TDataBanker banker(Dir.File("folder.bin"));
  TVecInfos infos;
  banker.ListOperas(infos);
  banker.ListSounds(infos);
  EXPECT_TRUE(infos.empty());
  EXPECT_FALSE(banker.GetChunkList(0));
}

TEST_F(Banker, OperaItems) {
  TDataBanker banker(File());
  TVecInfos movies{TagInfo{1, 1, 13, "old", ""}}, notes;
  banker.ListOperaItems(7, movies, notes);
  EXPECT_EQ(Names(movies), (std::vector<std::string>{"old", "Intervista", "Dettagli"}));
  EXPECT_EQ(Names(notes), (std::vector<std::string>{"Scheda", "Restauro"}));
  EXPECT_EQ(movies[1].Id, 7);
  EXPECT_EQ(movies[1].UserId, 2);
  EXPECT_EQ(movies[1].Type, 13);
  EXPECT_EQ(notes[1].UserId, 3);
  EXPECT_EQ(notes[1].Type, 2);
  EXPECT_TRUE(notes[0].Name.empty());

  TVecInfos m2, n2;
  banker.ListOperaItems(11, m2, n2);
  banker.ListOperaItems(12345, m2, n2);
  EXPECT_TRUE(m2.empty() && n2.empty());
  // The scene list holds a note and a movie too; only those are listed.
  banker.ListOperaItems(110, m2, n2);
  EXPECT_EQ(Names(m2), std::vector<std::string>{"film"});
  EXPECT_EQ(Names(n2), std::vector<std::string>{"nota"});
}

TEST_F(Banker, NoteStreams) {
  auto twice = MakeList("Due note", 20, gx::kListOpera);
  twice->Append(MakeChunk<TGXChunkRtf>("prima", 20, 5, Text("{\\rtf1 first}")));
  twice->Append(MakeChunk<TGXChunkWmv>("film", 20, 5, Text("not a note")));
  twice->Append(MakeChunk<TGXChunkRtf>("seconda", 20, 5, Text("{\\rtf1 second}")));
  WriteDataFile(File(), {twice.get(), Opera7.get()});
  TDataBanker banker(File());

  const auto last = banker.GetNoteStream(20, 5);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->GetPosition(), 0u);
  EXPECT_EQ(last->Buffer(), Text("{\\rtf1 second}")) << "the later of two notes with the same UserId";

  const auto first = banker.GetNoteStream(7, 1);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Buffer(), Text("{\\rtf1 scheda}"));
  EXPECT_FALSE(banker.GetNoteStream(7, 2)) << "UserId 2 is a movie";
  EXPECT_FALSE(banker.GetNoteStream(99, 1));
}

TEST_F(Banker, ExtractMovieIntoAPrivateFolder) {
  TDataBanker banker(File());
  const std::string path = banker.ExtractMovie(7, 4);
  EXPECT_EQ(path, Dir.File("cache") + "/pinacora/kdtemp.wmv");
  EXPECT_EQ(ReadFile(path), Text("movie four"));
  struct stat st {};
  ASSERT_EQ(::stat((Dir.File("cache") + "/pinacora").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  EXPECT_EQ(banker.ExtractMovie(7, 2), path);
  EXPECT_EQ(ReadFile(path), Text("movie two")) << "every extraction overwrites";
  EXPECT_EQ(banker.ExtractMovie(7, 1), "") << "UserId 1 is a note";
  EXPECT_EQ(banker.ExtractMovie(99, 2), "");

  // A folder left open to others is closed again.
  ASSERT_EQ(::chmod((Dir.File("cache") + "/pinacora").c_str(), 0777), 0);
  banker.ExtractMovie(7, 2);
  ASSERT_EQ(::stat((Dir.File("cache") + "/pinacora").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // Backslashes from a folder provider become slashes.
  TDataBanker::SetMovieFolderProvider([this] { return Dir.Path() + "\\"; });
  const std::string odd = banker.ExtractMovie(7, 4);
  EXPECT_EQ(odd.find('\\'), std::string::npos);
  TDataBanker::SetMovieFolderProvider(nullptr);
}

TEST_F(Banker, MovieWithoutDataKeepsTheOldFile) {
  TDataBanker banker(File());
  const std::string path = banker.ExtractMovie(7, 4);
  ASSERT_EQ(ReadFile(path), Text("movie four"));

  // The same opera list, but its first movie record (UserId 2) says it holds no data.
  Bytes blob = Opera7->WriteToBlob();
  const std::size_t movieFixed = 512 + std::size_t(Opera7->GetChunk(0)->GetSize()) + 256;
  PatchI32(blob, movieFixed, 0);
  TGXFileWriter writer;
  ASSERT_TRUE(writer.Open(File()));
  ASSERT_TRUE(writer.AppendBlob(EntryFor(*Opera7), blob));
  ASSERT_TRUE(writer.Finish());

  // Such a record ends the parse, so the movie is not found and nothing is written.
  EXPECT_EQ(banker.ExtractMovie(7, 2), "");
  EXPECT_EQ(ReadFile(path), Text("movie four"));
  TVecInfos movies, notes;
  banker.ListOperaItems(7, movies, notes);
  EXPECT_TRUE(movies.empty());
  EXPECT_EQ(notes.size(), 1u);
}

TEST(BankerFatal, WrongSignatureEndsTheProgram) {
  TempDir dir;
  auto list = MakeOperaList(7, "Primavera");
  WriteDataFile(dir.File("kddata.bin"), {list.get()});
  Bytes f = ReadFile(dir.File("kddata.bin"));
  f[3] = 'X';
  WriteFile(dir.File("kddata.bin"), f);
  TDataBanker banker(dir.File("kddata.bin"));

  EXPECT_FALSE(banker.GetChunkList(7)) << "loads are silent about it";
  TVecInfos movies, notes;
  banker.ListOperaItems(7, movies, notes);
  EXPECT_TRUE(movies.empty());

  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::atexit([] { std::fputs("exit handler ran\n", stderr); });
        TVecInfos operas;
        banker.ListOperas(operas);
      },
      ::testing::ExitedWithCode(3),
      AllOf(HasSubstr("Errore fatale: file di dati errato\nL'applicazione verra` terminata!"),
            HasSubstr("Abnormal program termination"), Not(HasSubstr("exit handler ran"))));
  EXPECT_EXIT(
      {
        std::atexit([] { std::fputs("exit handler ran\n", stderr); });
        TVecInfos sounds;
        banker.ListSounds(sounds);
      },
      ::testing::ExitedWithCode(3),
      AllOf(HasSubstr("Abnormal program termination"), Not(HasSubstr("exit handler ran"))));
}

TEST(BankerFatal, HandlerShowsTheMessage) {
  TempDir dir;
  WriteFile(dir.File("kddata.bin"), Bytes(70000, 'k'));
  TDataBanker banker(dir.File("kddata.bin"));
  std::string caption, text;
  struct Shown {};
  TDataBanker::SetFatalHandler([&](const std::string& c, const std::string& t) {
    caption = c;
    text = t;
    throw Shown{};
  });
  TVecInfos operas;
  EXPECT_THROW(banker.ListOperas(operas), Shown);
  TDataBanker::SetFatalHandler(nullptr);
  EXPECT_EQ(caption, "Pinacora Errore :");
  EXPECT_EQ(text, "Errore fatale: file di dati errato\nL'applicazione verra` terminata!");
}
