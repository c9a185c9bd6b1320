// Movie stress: opens, switches, pauses, seeks, replays after the end and closes movies in the
// movie window as fast as a visitor clicks, over movies in every container the curator's tool
// packs and one damaged movie. Prints the program's resident memory after 50 and after 1000
// openings, and what the player processes did. A crash of this process is a crash of the program.
//   bench_movies [--operations N] [--damaged FILE] MOVIE...
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "moviecontrols.h"
#include "windows/tformmediaplayer.h"

namespace {

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(1 << 16, '\n');
  }
  return 0;
}

void Pump(int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  do QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  while (!deadline.hasExpired());
}

bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

bool CopyOver(const QString& from, const QString& to) {
  QFile source(from);
  QFile target(to);
  if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const QByteArray bytes = source.readAll();
  return target.write(bytes) == bytes.size();
}

struct Movie {
  QString Path;
  bool Damaged = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int operations = 2000;
  std::vector<Movie> movies;
  const QStringList arguments = QCoreApplication::arguments();
  for (int i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("--operations") && i + 1 < arguments.size())
      operations = arguments[++i].toInt();
    else if (arguments[i] == QLatin1String("--damaged") && i + 1 < arguments.size())
      movies.push_back({arguments[++i], true});
    else
      movies.push_back({arguments[i], false});
  }
  if (movies.empty() || operations <= 0) {
    std::fprintf(stderr, "usage: bench_movies [--operations N] [--damaged FILE] MOVIE...\n");
    return 2;
  }
  QTemporaryDir folder;
  const QString temp = folder.filePath(QStringLiteral("kdtemp.wmv"));

  TFormMediaPlayer window;
  window.move(200, 200);
  const TMovieControls controls(window);
  auto *play = controls.play, *pause = controls.pause, *stop = controls.stop;
  auto* seek = controls.seek;

  QRandomGenerator random(20261208);
  int openings = 0, refusedGood = 0, refusedDamaged = 0, replays = 0, endsSeen = 0;
  long rssAt50 = 0, rssAt1000 = 0, rssFirst = 0;
  const Movie* current = nullptr;
  bool counted = false;  // this opening's refusal is counted
  std::map<std::string, int> kinds, refusedKinds;
  QElapsedTimer clock;
  clock.start();

  auto open = [&](const Movie& movie) {
    // The browser's order: close, write the temporary file, show, play.
    window.CloseMovie();
    if (!CopyOver(movie.Path, temp)) std::fprintf(stderr, "cannot write %s\n", qPrintable(temp));
    window.ShowTool(true);
    window.PlayMovie(QFile::encodeName(temp).toStdString());
    current = &movie;
    counted = false;
    ++openings;
    ++kinds[QFileInfo(movie.Path).suffix().toStdString() + (movie.Damaged ? " (damaged)" : "")];
    if (openings == 1) rssFirst = ResidentKb();
  };
  // Readings with the movie closed; the program hands freed heap pages back every minute
  // (memorytrim.h), so the figure that counts is the one after such a trim. Before it, too.
  long untrimmedAt50 = 0, untrimmedAt1000 = 0, untrimmedEnd = 0;
  auto sample = [&](long& untrimmed) {
    window.CloseMovie();
    Pump(300);
    untrimmed = ResidentKb();
    malloc_trim(0);
    return ResidentKb();
  };

  for (int done = 0; done < operations; ++done) {
    if (current != nullptr && !counted && window.SaysCannotPlay()) {
      ++(current->Damaged ? refusedDamaged : refusedGood);
      ++refusedKinds[QFileInfo(current->Path).suffix().toStdString() + (current->Damaged ? " (damaged)" : "")];
      counted = true;
    }
    const int pick = random.bounded(100);
    if (pick < 45 || current == nullptr) {
      open(movies[random.bounded(static_cast<int>(movies.size()))]);
      if (openings == 50) rssAt50 = sample(untrimmedAt50);
      if (openings == 1000) rssAt1000 = sample(untrimmedAt1000);
    } else if (pick < 55) {
      QTest::mouseClick(pause, Qt::LeftButton);
    } else if (pick < 65) {
      QTest::mouseClick(play, Qt::LeftButton);
    } else if (pick < 71) {
      QTest::mouseClick(stop, Qt::LeftButton);
    } else if (pick < 79) {
      seek->triggerAction(random.bounded(2) ? QAbstractSlider::SliderPageStepAdd : QAbstractSlider::SliderPageStepSub);
    } else if (pick < 82) {
      // A visitor who watches to the end and plays it again.
      QTest::mouseClick(play, Qt::LeftButton);
      if (PumpUntil([&] { return window.Status() == QMediaPlayer::EndOfMedia || window.SaysCannotPlay(); }, 6000) &&
          !window.SaysCannotPlay()) {
        ++endsSeen;
        QTest::mouseClick(play, Qt::LeftButton);
        ++replays;
      }
    } else if (pick < 93) {
      window.ShowTool(false);  // closes the movie
      current = nullptr;
    } else {
      window.ShowTool(!window.isVisible());
    }
    Pump(30 + random.bounded(150));
  }
  const long rssEnd = sample(untrimmedEnd);
  const double seconds = clock.elapsed() / 1000.0;

  std::printf("movie stress: %d operations in %.0f s, %d openings, %d replays after the end\n", operations,
              seconds, openings, replays);
  std::printf("openings by container:");
  for (const auto& [kind, count] : kinds) std::printf(" %s %d;", kind.c_str(), count);
  std::printf("\nmovies the window said it cannot play: good ones %d, the damaged one %d;", refusedGood,
              refusedDamaged);
  for (const auto& [kind, count] : refusedKinds) std::printf(" %s %d;", kind.c_str(), count);
  std::printf("\n");
  std::printf("resident memory of the program: first opening %ld kB, after 50 openings %ld kB, after 1000 %s, end %ld kB\n",
              rssFirst, rssAt50, rssAt1000 > 0 ? (std::to_string(rssAt1000) + " kB").c_str() : "n/a", rssEnd);
  if (rssAt1000 > 0)
    std::printf("growth from 50 to 1000 openings: %+.1f MB\n", (rssAt1000 - rssAt50) / 1024.0);
  if (rssAt50 > 0) std::printf("growth from 50 openings to the end: %+.1f MB\n", (rssEnd - rssAt50) / 1024.0);
  std::printf("the same before the heap was trimmed: after 50 openings %ld kB, after 1000 %ld kB, end %ld kB\n",
              untrimmedAt50, untrimmedAt1000, untrimmedEnd);
  return 0;
}
