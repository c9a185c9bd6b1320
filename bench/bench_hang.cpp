// Hanging 150 photographs of 4000 pixels: how long pinacora-data hang takes, how large the data
// file and the sources it leaves become, and how much memory the tool needs on the way.
//   bench_hang [PHOTO_FOLDER]
// The photographs are cut once from the wallpapers of gnome-backgrounds (or painted, when that
// package is missing) and kept in PHOTO_FOLDER (default: bench-hang-photos here) for later runs.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

#include "benchmaterial.h"

namespace {

constexpr int kPhotos = 150;
// Landscape, portrait, square and panoramic photographs, 4000 pixels on their long side.
const QSize kShapes[] = {{4000, 3000}, {3000, 4000}, {4000, 4000}, {4000, 1500}};

std::vector<QImage> Wallpapers() {
  std::vector<QImage> images;
  QDirIterator it("/usr/share/backgrounds/gnome", {"*.webp", "*.jpg", "*.png"}, QDir::Files);
  while (it.hasNext()) {
    QImageReader reader(it.next());
    if (reader.size().width() < 4000 || reader.size().height() < 4000) continue;
    QImage image = reader.read();
    if (!image.isNull()) images.push_back(image.convertToFormat(QImage::Format_RGB888));
  }
  return images;
}

bool MakePhotos(const QString& folder) {
  QDir dir(folder);
  if (dir.exists() && dir.entryList({"*.jpg"}, QDir::Files).size() >= kPhotos) return true;
  dir.mkpath(".");
  std::fprintf(stderr, "bench_hang: cutting %d photographs into %s (once)\n", kPhotos, folder.toLocal8Bit().constData());
  const std::vector<QImage> walls = Wallpapers();
  for (int i = 0; i < kPhotos; ++i) {
    const QSize size = kShapes[i % 4];
    QImage photo;
    if (!walls.empty()) {
      const QImage& wall = walls[std::size_t(i) % walls.size()];
      const int x = (i * 37) % std::max(1, wall.width() - size.width() + 1);
      const int y = (i * 53) % std::max(1, wall.height() - size.height() + 1);
      photo = wall.copy(x, y, size.width(), size.height());
    } else {
      photo = bench::PaintedPicture(i, size);
    }
    if (!photo.save(dir.filePath(QString("foto %1.jpg").arg(i + 1, 3, 10, QChar('0'))), "JPEG", 90)) return false;
  }
  return true;
}

qint64 FolderBytes(const QString& folder) {
  qint64 total = 0;
  QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) total += QFileInfo(it.next()).size();
  return total;
}

double MiB(qint64 bytes) { return double(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const QString photos = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::current().filePath("bench-hang-photos");
  if (!MakePhotos(photos)) {
    std::fprintf(stderr, "bench_hang: cannot write the photographs\n");
    return 1;
  }
  std::printf("hang of %d photographs, 4000 pixels on the long side, %.1f MiB of JPEG\n", kPhotos, MiB(FolderBytes(photos)));
  std::printf("tool: %s, %.2f MiB\n", PINACORA_DATA_TOOL, MiB(QFileInfo(PINACORA_DATA_TOOL).size()));
  for (const int maxTexture : {1024, 2048}) {
    const QString out = QDir::current().filePath(QString("bench-hang-%1/kddata.bin").arg(maxTexture));
    QDir(QFileInfo(out).absolutePath()).removeRecursively();
    const std::string command = std::string("'") + PINACORA_DATA_TOOL + "' hang '" + photos.toStdString() + "' -o '" +
                                out.toStdString() + "' --quiet --max-texture " + std::to_string(maxTexture);
    rusage before {}, after {};
    getrusage(RUSAGE_CHILDREN, &before);
    QElapsedTimer timer;
    timer.start();
    const int status = std::system(command.c_str());
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    getrusage(RUSAGE_CHILDREN, &after);
    if (status != 0) {
      std::fprintf(stderr, "bench_hang: the tool failed (%d)\n", status);
      return 1;
    }
    const double cpu = double(after.ru_utime.tv_sec - before.ru_utime.tv_sec) +
                       double(after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1e6;
    std::printf("--max-texture %d: %.1f s (%.1f s of CPU), data file %.1f MiB, sources %.1f MiB, peak memory %.0f MiB\n",
                maxTexture, seconds, cpu, MiB(QFileInfo(out).size()), MiB(FolderBytes(out + ".sources")),
                double(after.ru_maxrss) / 1024.0);
  }
  return 0;
}
