#include "hangworks.h"

#include <QFileInfo>
#include <QString>
#include <algorithm>

#include "data/gxformat.h"
#include "hangsize.h"
#include "import/modelimport.h"

namespace {

constexpr int kFirstWorkId = 1001;

// A model's size across its front, its height and depth, and where the mean of its points lies
// from its base centre.
bool MeasureModel(const TFolderWork& work, int defaultHeightCm, TWorkSize& size, std::string& reason) {
  TManifestModel where;
  where.File = work.File;
  where.HasHeight = true;
  where.Height = float((work.HeightCm > 0 ? work.HeightCm : defaultHeightCm) / 100);
  TModelPose pose;
  SbVec3f mean;
  if (!MeasureModel(work.File, where, pose, mean, reason)) return false;
  size.Model = true;
  size.Width = std::max(0.01f, pose.Width);
  size.Height = pose.Height;
  size.Depth = std::max(0.01f, pose.Depth);
  size.MeanRight = mean[0];
  size.MeanFront = mean[1];
  size.MeanUp = -mean[2];
  return true;
}

}  // namespace

std::vector<TWorkSize> MeasureModels(TFolder& folder, int defaultHeightCm) {
  std::vector<TWorkSize> sizes;
  std::vector<TFolderWork> readable;
  for (TFolderWork& work : folder.Works) {
    TWorkSize size;
    std::string reason;
    if (work.WorkKind == TFolderWork::Kind::Model && !MeasureModel(work, defaultHeightCm, size, reason)) {
      folder.LeftOut.push_back(QFileInfo(QString::fromStdString(work.File)).fileName().toStdString() +
                               ": not a model this tool can read (" + reason + ")");
      continue;
    }
    sizes.push_back(size);
    readable.push_back(std::move(work));
  }
  folder.Works = std::move(readable);
  return sizes;
}

bool FitsOneFile(const TFolder& folder, std::string& error) {
  const std::size_t lists = 2 + folder.Works.size() + folder.Sounds.size();
  if (lists <= std::size_t(gx::kMaxListCount)) return true;
  error = folder.Path + ": " + std::to_string(folder.Works.size()) + " works and " +
          std::to_string(folder.Sounds.size()) + " pieces of music need " + std::to_string(lists) +
          " lists, but a data file holds at most " + std::to_string(gx::kMaxListCount) + " (two of them the rooms); " +
          TooManyAdvice(folder, gx::kMaxListCount);
  return false;
}

std::vector<THungWork> SizeWorks(TFolder& folder, const std::vector<TWorkSize>& measured, int defaultHeightCm,
                                 TCatalogueSizeRule rule) {
  std::vector<THungWork> works;
  for (std::size_t i = 0; i < folder.Works.size(); ++i) {
    const TFolderWork& work = folder.Works[i];
    const TWorkSize size = work.WorkKind == TFolderWork::Kind::Model
                               ? measured[i]
                               : PictureSize(work, defaultHeightCm, rule, folder.Notices);
    works.push_back({kFirstWorkId + int(i), work.Title, size});
  }
  return works;
}

std::vector<TWorkSize> SizesOf(const std::vector<THungWork>& works) {
  std::vector<TWorkSize> sizes;
  for (const THungWork& work : works) sizes.push_back(work.Size);
  return sizes;
}
