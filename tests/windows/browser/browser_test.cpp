// The operas browser among the real windows of the program, on a packed exhibition: choosing a
// work in the list, following picks in the view, opening notes and movies.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <Inventor/nodes/SoCamera.h>
#include <memory>

#include "common/dialogs.h"
#include "data/gxchunk.h"
#include "data/gxserializer.h"
#include "data/gxwriter.h"
#include "programwindows.h"
#include "sound/memorysounddevice.h"
#include "sound/tformplaylist.h"
#include "windows/tformmediaplayer.h"
#include "windows/tformtextviewer.h"
#include "windows/tformtreeview.h"

namespace {

const QString kPackedFile = QStringLiteral(BROWSER_FIXTURE);
// A note stored as plain Windows-1252 text, which the packing tool would have turned into RTF.
const char kPlainNote[] = "Promemoria: cornice dorata, citt\xe0 di Siena";

// The packed exhibition again, with a plain-text note added to the first opera.
std::string WriteExhibition(const std::string& from, const std::string& to) {
  TGXFileWriter writer;
  if (!writer.Open(to)) return writer.Error();
  for (const std::int32_t id : {110, 120, 201, 11, 12, 13}) {
    std::unique_ptr<TGXChunkList> list = TGXSerializer::ReadFromFile(from, id);
    if (!list) return "list " + std::to_string(id) + " is missing from " + from;
    if (id == 11) {
      auto note = std::make_unique<TGXChunkRtf>();
      note->Name = "Promemoria";
      note->Id = 11;
      note->UserId = 4;
      note->AssignData(std::vector<std::uint8_t>(kPlainNote, kPlainNote + sizeof kPlainNote - 1));
      list->Append(std::move(note));
    }
    if (id == 13) {
      // Bytes that are neither RTF nor text.
      auto note = std::make_unique<TGXChunkRtf>();
      note->Name = "Danneggiata";
      note->Id = 13;
      note->UserId = 3;
      note->AssignData({0x00, 0x01, 0x02, 0xff});
      list->Append(std::move(note));
    }
    if (!writer.AppendList(*list)) return writer.Error();
  }
  return writer.Finish() ? std::string() : writer.Error();
}

// Counts the times a window is shown.
struct ShowCounter : QObject {
  int Shows = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++Shows;
    return false;
  }
};

QStringList Children(const QTreeWidgetItem* node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
  return texts;
}

class BrowserTest : public ::testing::Test, protected TProgramWindows {
 protected:
  static void SetUpTestSuite() {
    Folder = std::make_unique<QTemporaryDir>();
    // The movie file goes to the user's cache folder, here a fresh one.
    qputenv("XDG_CACHE_HOME", Folder->filePath(QStringLiteral("cache")).toUtf8());
    DataFile = Folder->filePath(QStringLiteral("kddata.bin")).toStdString();
    SetUpError = QFile::exists(kPackedFile) ? WriteExhibition(kPackedFile.toStdString(), DataFile)
                                            : "the packed exhibition was not made (is ffmpeg installed?)";
  }
  static void TearDownTestSuite() { Folder.reset(); }

  // The windows as the start-up makes them, with the playlist on the in-memory sound device.
  void SetUp() override {
    if (!SetUpError.empty()) GTEST_SKIP() << SetUpError;
    Sound = std::make_shared<MemorySoundState>();
    TFormPlaylist::SetDeviceFactory(MemorySoundDeviceFactory(Sound));
    StartProgramOn(DataFile, TFormMain::TextViewerWindow | TFormMain::MediaPlayerWindow | TFormMain::TreeViewWindow |
                                 TFormMain::PlaylistWindow);
    Browser = FormTreeView;
    FormPlaylist->SelectAll();
    FormPlaylist->PlayNext();
    QApplication::processEvents();
  }

  void TearDown() override {
    Dialogs::SetMessageHook({});
    TDataBanker::SetMovieFolderProvider({});
    StopProgram();
    TFormPlaylist::SetDeviceFactory(nullptr);
  }

  // The browser on screen, as the "&Operas" command shows it.
  void OpenBrowser() {
    if (!Browser->isVisible()) main->ViewTreeViewClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Browser));
  }
  QTreeWidgetItem* Node(const QString& text) {
    const QList<QTreeWidgetItem*> found = Browser->TreeView->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
  }
  // Two clicks on a node, as the user makes them.
  void DoubleClick(QTreeWidgetItem* node) {
    ASSERT_NE(node, nullptr);
    Browser->TreeView->scrollToItem(node);
    const QPoint at = Browser->TreeView->visualItemRect(node).center();
    QTest::mouseClick(Browser->TreeView->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(Browser->TreeView->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }
  void PressOn(QTreeWidgetItem* node, Qt::Key key) {
    ASSERT_NE(node, nullptr);
    Browser->TreeView->setCurrentItem(node);
    QTest::keyClick(Browser->TreeView, key);
  }

  // The checked sounds of the playlist (it holds one).
  int CheckedSounds() {
    auto* list = FormPlaylist->findChild<QListWidget*>(QStringLiteral("CheckListBoxSounds"));
    int checked = 0;
    for (int i = 0; list != nullptr && i < list->count(); ++i) checked += list->item(i)->checkState() == Qt::Checked;
    return checked;
  }
  QString InfoText() const { return FormTextViewer->RichEdit->toPlainText(); }
  QUrl MovieUrl() const { return QUrl::fromLocalFile(FormMediaPlayer->Movie()); }
  static QString TempMovie() {
    return Folder->filePath(QStringLiteral("cache/pinacora/kdtemp.wmv"));
  }
  static std::unique_ptr<QTemporaryDir> Folder;
  static std::string DataFile;
  static std::string SetUpError;
  std::shared_ptr<MemorySoundState> Sound;
  TFormTreeView* Browser = nullptr;
};

std::unique_ptr<QTemporaryDir> BrowserTest::Folder;
std::string BrowserTest::DataFile;
std::string BrowserTest::SetUpError;

}  // namespace

TEST_F(BrowserTest, StartsWithTheOperaListAndTheFixedNodesAndTheMenuTogglesIt) {
  EXPECT_EQ(Browser->windowTitle(), QStringLiteral(" Pinacora : Contribs"));
  EXPECT_EQ(Browser->size(), QSize(372, 136));

  // The names as stored (Windows-1252) show with their accents; none is chosen yet.
  QStringList names;
  for (int i = 0; i < Browser->ComboBoxOperas->count(); ++i) names << Browser->ComboBoxOperas->itemText(i);
  EXPECT_EQ(names, QStringList({QString::fromUtf8("Natività"), "Linea", QString::fromUtf8("Città lontana")}));
  EXPECT_EQ(Browser->ComboBoxOperas->currentIndex(), -1);
  ASSERT_EQ(Browser->TreeView->topLevelItemCount(), 1);
  EXPECT_EQ(Browser->NodeContribs->text(0), "Contribs");
  EXPECT_EQ(Children(Browser->NodeContribs), QStringList({"Notes", "Movies"}));
  EXPECT_EQ(Browser->TreeView->currentItem(), Browser->NodeContribs);
  EXPECT_TRUE(Browser->NodeContribs->isExpanded());

  // "&Operas" shows it; again, it hides it, and the content windows with it.
  OpenBrowser();
  EXPECT_TRUE(Browser->isVisible());
  Browser->SelectOpera(11, false);
  DoubleClick(Node("Scheda dell'opera"));
  EXPECT_TRUE(FormTextViewer->isVisible());
  main->ViewTreeViewClick();
  EXPECT_FALSE(Browser->isVisible());
  EXPECT_FALSE(FormTextViewer->isVisible());
  EXPECT_FALSE(FormMediaPlayer->isVisible());
}

TEST_F(BrowserTest, ChoosingAnOperaInTheListFliesThereAndIsNotReportedBack) {
  OpenBrowser();
  Browser->SelectOpera(12, false);
  ASSERT_FALSE(viewer->FlightActive);
  QSignalSpy resets(Browser->TreeView->model(), &QAbstractItemModel::modelReset);

  // The user moves the list up from "Linea" to "Natività".
  Browser->ComboBoxOperas->setFocus();
  QTest::keyClick(Browser->ComboBoxOperas, Qt::Key_Up);

  EXPECT_EQ(Browser->ComboBoxOperas->currentIndex(), 0);
  EXPECT_EQ(main->CurrentOpera, 11);
  EXPECT_TRUE(viewer->FlightActive);
  SbVec3f center;
  ASSERT_TRUE(viewer->GetObjectCenter(11, center));
  EXPECT_LT((viewer->FlightTarget - center).length(), 1e-4f);
  EXPECT_FLOAT_EQ(viewer->FlightDestination[1], 1.75f);
  // One rebuild of the tree: the main window did not send the choice back to the browser.
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(Children(Browser->NodeNotes), QStringList({"Scheda dell'opera", "Appunti", "Promemoria"}));
  EXPECT_EQ(Children(Browser->NodeMovies), QStringList({"Il restauro"}));
  EXPECT_TRUE(main->PicAdRotator.Shown.startsWith(QString::fromUtf8("Natività")));

  // Choosing another work hides an open note.
  DoubleClick(Node("Appunti"));
  ASSERT_TRUE(FormTextViewer->isVisible());
  QTest::keyClick(Browser->ComboBoxOperas, Qt::Key_Down);
  EXPECT_EQ(main->CurrentOpera, 12);
  EXPECT_FALSE(FormTextViewer->isVisible());
  EXPECT_EQ(Browser->NodeNotes->childCount(), 0);
}

TEST_F(BrowserTest, APickInTheViewShowsTheOperaWithoutASecondFlight) {
  // Reported by the viewer while it is not flying: the browser follows, nothing flies, and the
  // hidden content windows stay off the screen.
  ShowCounter shown;
  FormTextViewer->installEventFilter(&shown);
  FormMediaPlayer->installEventFilter(&shown);
  main->OperaSelected(viewer, 13);
  EXPECT_EQ(shown.Shows, 0);
  EXPECT_EQ(Browser->ComboBoxOperas->currentIndex(), 2);
  EXPECT_EQ(Children(Browser->NodeNotes), QStringList({"Lettera", "Danneggiata"}));
  EXPECT_EQ(Children(Browser->NodeMovies), QStringList({"Veduta"}));
  EXPECT_FALSE(viewer->FlightActive);

  // A real pick off the centre of a work: the flight is the pick's own, towards the hit point.
  viewer->FlyToObject(11);
  RunFlight();
  SbVec3f center;
  ASSERT_TRUE(viewer->GetObjectCenter(11, center));
  const SbVec3f aside = center + SbVec3f(0.6f, 0.2f, 0.0f);
  const QPoint at = Project(aside);
  viewer->PickAt(std::uint16_t(at.x()), std::uint16_t(at.y()));
  EXPECT_EQ(main->CurrentOpera, 11);
  EXPECT_EQ(Browser->ComboBoxOperas->currentIndex(), 0);
  EXPECT_EQ(Children(Browser->NodeMovies), QStringList({"Il restauro"}));
  ASSERT_TRUE(viewer->FlightActive);
  EXPECT_LT((viewer->FlightTarget - aside).length(), 0.1f);
}

TEST_F(BrowserTest, OpeningNotesStopsTheSoundAndShowsTheirText) {
  OpenBrowser();
  ASSERT_EQ(CheckedSounds(), 1);
  ASSERT_TRUE(FormPlaylist->IsPlaying());
  Browser->SelectOpera(11, false);

  // A note written by pandoc, opened with a double-click.
  DoubleClick(Node("Scheda dell'opera"));
  EXPECT_EQ(CheckedSounds(), 0);
  EXPECT_FALSE(FormPlaylist->IsPlaying());
  EXPECT_TRUE(FormTextViewer->isVisible());
  EXPECT_FALSE(FormMediaPlayer->isVisible());
  EXPECT_TRUE(InfoText().startsWith("Il David")) << InfoText().toStdString();

  // Plain text turned into RTF when packed, opened with Enter.
  PressOn(Node("Appunti"), Qt::Key_Return);
  EXPECT_EQ(InfoText().trimmed(), "Appunti del curatore\nLa tela fu pulita nel 1998.");

  // Plain Windows-1252 text as stored, opened with the space bar; then with a letter.
  PressOn(Node("Promemoria"), Qt::Key_Space);
  EXPECT_EQ(InfoText(), QString::fromUtf8("Promemoria: cornice dorata, città di Siena"));
  PressOn(Node("Scheda dell'opera"), Qt::Key_A);
  EXPECT_TRUE(InfoText().startsWith("Il David"));
  EXPECT_TRUE(FormTextViewer->isVisible());

  // A note that cannot be read reaches the application's error display; the last text stays.
  QStringList messages;
  Dialogs::SetMessageHook([&](const QString&, const QString& text, QMessageBox::Icon) { messages << text; });
  Browser->SelectOpera(13, false);
  PressOn(Node("Danneggiata"), Qt::Key_Return);
  EXPECT_EQ(messages, QStringList("Failed to Load Stream."));
  EXPECT_TRUE(FormTextViewer->isVisible());
  EXPECT_TRUE(InfoText().startsWith("Il David"));
}

TEST_F(BrowserTest, MoviesAndNotesTakeTurnsInTheirWindows) {
  OpenBrowser();
  Browser->SelectOpera(11, false);
  DoubleClick(Node("Appunti"));
  ASSERT_TRUE(FormTextViewer->isVisible());

  // The movie is written to the cache folder and played from there; the note's window goes.
  DoubleClick(Node("Il restauro"));
  EXPECT_FALSE(FormTextViewer->isVisible());
  EXPECT_TRUE(FormMediaPlayer->isVisible());
  EXPECT_EQ(MovieUrl(), QUrl::fromLocalFile(TempMovie()));
  QFile extracted(TempMovie());
  QFile original(QFileInfo(kPackedFile).dir().filePath(QStringLiteral("restauro.wmv")));
  ASSERT_TRUE(extracted.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
  EXPECT_EQ(extracted.readAll(), original.readAll());
  EXPECT_EQ(QFileInfo(TempMovie()).dir().path(), Folder->filePath(QStringLiteral("cache/pinacora")));

  // A note closes the movie and hides its window.
  PressOn(Node("Scheda dell'opera"), Qt::Key_Return);
  EXPECT_FALSE(FormMediaPlayer->isVisible());
  EXPECT_TRUE(FormMediaPlayer->Movie().isEmpty());
  EXPECT_TRUE(FormTextViewer->isVisible());

  // Another opera's movie overwrites the file.
  Browser->SelectOpera(13, false);
  EXPECT_FALSE(FormTextViewer->isVisible());
  DoubleClick(Node("Veduta"));
  EXPECT_TRUE(FormMediaPlayer->isVisible());
  QFile second(QFileInfo(kPackedFile).dir().filePath(QStringLiteral("veduta.wmv")));
  ASSERT_TRUE(second.open(QIODevice::ReadOnly));
  extracted.close();
  ASSERT_TRUE(extracted.open(QIODevice::ReadOnly));
  EXPECT_EQ(extracted.readAll(), second.readAll());

  // Hiding the browser hides the movie too.
  Browser->ShowTool(false);
  EXPECT_FALSE(FormMediaPlayer->isVisible());
  EXPECT_TRUE(FormMediaPlayer->Movie().isEmpty());
}

TEST_F(BrowserTest, AMovieThatCannotBeProducedLeavesBothWindowsHidden) {
  OpenBrowser();
  Browser->SelectOpera(11, false);
  DoubleClick(Node("Appunti"));
  ASSERT_TRUE(FormTextViewer->isVisible());

  // The data file went away after the tree was filled: the movie is not found, the path is empty.
  const QString away = QString::fromStdString(DataFile) + QStringLiteral(".away");
  ASSERT_TRUE(QFile::rename(QString::fromStdString(DataFile), away));
  DoubleClick(Node("Il restauro"));
  ASSERT_TRUE(QFile::rename(away, QString::fromStdString(DataFile)));
  EXPECT_FALSE(FormTextViewer->isVisible());
  EXPECT_FALSE(FormMediaPlayer->isVisible());
  EXPECT_TRUE(FormMediaPlayer->Movie().isEmpty());

  // A file that cannot be written reaches the application's error display, and nothing plays.
  QStringList messages;
  Dialogs::SetMessageHook([&](const QString&, const QString& text, QMessageBox::Icon) { messages << text; });
  TDataBanker::SetMovieFolderProvider([] { return std::string("/nonexistent/pinacora"); });
  PressOn(Node("Il restauro"), Qt::Key_Return);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("/nonexistent/pinacora/kdtemp.wmv")) << messages[0].toStdString();
  EXPECT_FALSE(FormMediaPlayer->isVisible());
  EXPECT_FALSE(FormTextViewer->isVisible());
}

TEST_F(BrowserTest, FixedNodesOpenNothingAndUnknownOrEmptyOperasShowOnlyThem) {
  OpenBrowser();
  Browser->SelectOpera(13, false);
  for (QTreeWidgetItem* node : {Browser->NodeContribs, Browser->NodeNotes, Browser->NodeMovies}) {
    DoubleClick(node);
    PressOn(node, Qt::Key_Return);
  }
  EXPECT_EQ(CheckedSounds(), 1);
  EXPECT_TRUE(FormPlaylist->IsPlaying());
  EXPECT_FALSE(FormTextViewer->isVisible());
  EXPECT_FALSE(FormMediaPlayer->isVisible());

  // An opera without notes or movies.
  Browser->SelectOpera(12, false);
  EXPECT_EQ(Browser->ComboBoxOperas->currentIndex(), 1);
  EXPECT_EQ(Browser->NodeNotes->childCount(), 0);
  EXPECT_EQ(Browser->NodeMovies->childCount(), 0);

  // An Id that is not in the list: the fixed nodes alone, the list keeps its choice.
  Browser->SelectOpera(13, false);
  Browser->SelectOpera(999, false);
  EXPECT_EQ(Browser->ComboBoxOperas->currentIndex(), 2);
  ASSERT_EQ(Browser->TreeView->topLevelItemCount(), 1);
  EXPECT_EQ(Children(Browser->NodeContribs), QStringList({"Notes", "Movies"}));
  EXPECT_EQ(Browser->NodeNotes->childCount(), 0);
  EXPECT_EQ(Browser->NodeMovies->childCount(), 0);
  EXPECT_EQ(Browser->TreeView->currentItem(), Browser->NodeContribs);
}

TEST_F(BrowserTest, TheWindowsHearEachOtherAtOnceAndInOrder) {
  // The playlist named its first sound in the status line; dialogs open above the view.
  EXPECT_EQ(main->SndAdRotator.Shown, QStringLiteral(" background sound :  Preludio") + QString(33, ' '));
  EXPECT_EQ(Dialogs::Owner(), viewer);

  // Opening a note: the sound has stopped by the time the text window shows.
  struct SoundAtShow : QObject {
    int Shows = 0;
    bool Playing = true;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Show) {
        ++Shows;
        Playing = FormPlaylist->IsPlaying();
      }
      return false;
    }
  } atShow;
  ASSERT_TRUE(FormPlaylist->IsPlaying());
  FormTextViewer->installEventFilter(&atShow);
  OpenBrowser();
  Browser->SelectOpera(11, false);
  DoubleClick(Node("Appunti"));
  FormTextViewer->removeEventFilter(&atShow);
  EXPECT_EQ(atShow.Shows, 1);
  EXPECT_FALSE(atShow.Playing);

  // A work chosen in the list is with the main window before the list's handler returns, and is
  // not sent back to the list.
  std::vector<std::int32_t> chosen;
  std::vector<std::int32_t> heard;
  QObject::connect(Browser, &TFormTreeView::OperaChosen, Browser, [&](std::int32_t Id) {
    chosen.push_back(Id);
    heard.push_back(main->CurrentOpera);
  });
  Browser->ShowOpera(1, true);
  EXPECT_EQ(chosen, std::vector<std::int32_t>({12}));
  EXPECT_EQ(heard, std::vector<std::int32_t>({12}));
  EXPECT_TRUE(viewer->FlightActive);
  Browser->SelectOpera(13, false);
  EXPECT_EQ(chosen.size(), 1u);
}
