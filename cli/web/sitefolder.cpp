#include "sitefolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

const char* const kSiteMarker = ".pinacora-web";

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

bool IsOurSite(const QString& folder) { return QFileInfo(folder + "/" + kSiteMarker).isFile(); }

}  // namespace

bool SitePlaceUsable(const std::string& folder, std::string& error) {
  const QFileInfo target(Q(folder));
  if (target.exists() || target.isSymLink()) {
    if (!target.isDir() || target.isSymLink() || !IsOurSite(target.absoluteFilePath())) {
      error = folder + ": exists and is not a website made by pinacora-data web; name a new folder (it is "
                       "never overwritten)";
      return false;
    }
  }
  const QDir parent = target.absoluteDir();
  if (!parent.exists()) {
    error = folder + ": the folder " + parent.path().toStdString() + " does not exist";
    return false;
  }
  if (access(QFile::encodeName(parent.path()).constData(), W_OK | X_OK) != 0) {
    error = folder + ": cannot write in the folder " + parent.path().toStdString();
    return false;
  }
  return true;
}

bool BeginSite(const std::string& folder, std::string& staging, std::string& error) {
  if (!SitePlaceUsable(folder, error)) return false;
  const QFileInfo target(Q(folder));
  const QDir parent = target.absoluteDir();
  const QString name = QStringLiteral(".%1.part-%2").arg(target.fileName()).arg(getpid());
  QDir(parent.filePath(name)).removeRecursively();
  if (!parent.mkdir(name)) {
    error = folder + ": cannot make a folder in " + parent.path().toStdString();
    return false;
  }
  staging = parent.filePath(name).toStdString();
  return true;
}

bool FinishSite(const std::string& staging, const std::string& folder, std::string& error) {
  QFile marker(Q(staging) + "/" + kSiteMarker);
  if (!marker.open(QIODevice::WriteOnly) ||
      marker.write("This folder is a website written by pinacora-data web; writing the site again replaces it.\n") < 0) {
    error = staging + ": cannot write the marker file";
    return false;
  }
  marker.close();
  const QFileInfo target(Q(folder));
  QString old;
  if (target.exists()) {
    // Checked again: the folder may have changed while the site was being written.
    if (!IsOurSite(target.absoluteFilePath())) {
      error = folder + ": exists and is not a website made by pinacora-data web";
      return false;
    }
    old = target.absoluteDir().filePath(QStringLiteral(".%1.old-%2").arg(target.fileName()).arg(getpid()));
    QDir(old).removeRecursively();
    if (!QDir().rename(target.absoluteFilePath(), old)) {
      error = folder + ": cannot move the old site aside";
      return false;
    }
  }
  if (!QDir().rename(Q(staging), target.absoluteFilePath())) {
    if (!old.isEmpty()) QDir().rename(old, target.absoluteFilePath());
    error = folder + ": cannot move the new site into place";
    return false;
  }
  if (!old.isEmpty()) QDir(old).removeRecursively();
  return true;
}

void AbandonSite(const std::string& staging) {
  if (!staging.empty()) QDir(Q(staging)).removeRecursively();
}

std::string FindPageFiles() {
  const QString here = QCoreApplication::applicationDirPath();
  for (const QString& candidate : {here + "/pinacora-web", here + "/../share/pinacora/web"}) {
    if (QFileInfo(candidate + "/index.html").isFile()) return QDir(candidate).canonicalPath().toStdString();
  }
  return std::string();
}

bool CopyPageFiles(const std::string& pageFolder, const std::string& site, const std::string& title,
                   std::string& error) {
  const QDir source(Q(pageFolder));
  QDirIterator files(source.path(), QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString from = files.next();
    const QString relative = source.relativeFilePath(from);
    const QString to = Q(site) + "/" + relative;
    QDir().mkpath(QFileInfo(to).path());
    if (relative == QLatin1String("index.html")) {
      QFile in(from);
      QFile out(to);
      if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        error = to.toStdString() + ": cannot write";
        return false;
      }
      QString page = QString::fromUtf8(in.readAll());
      page.replace(QStringLiteral("@TITLE@"), Q(title).toHtmlEscaped());
      out.write(page.toUtf8());
      continue;
    }
    if (!QFile::copy(from, to)) {
      error = to.toStdString() + ": cannot copy the page's file " + from.toStdString();
      return false;
    }
    QFile(to).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                             QFileDevice::ReadOther);
  }
  return true;
}
