#include "hangsize.h"

#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cmath>

namespace {

// Centimetres as a curator writes them: 82.5, 73, 0.8.
std::string Cm(double cm) {
  QString text = QString::number(cm, 'f', 1);
  if (text.endsWith(".0")) text.chop(2);
  return text.toStdString();
}
std::string Ratio(double aspect) { return QString::number(aspect, 'f', 2).toStdString() + ":1"; }

std::string Named(const TFolderWork& work) {
  return QFileInfo(QString::fromStdString(work.File)).fileName().toStdString() + " '" + work.Title + "'";
}

}  // namespace

bool ParseCatalogueSizeRule(const std::string& text, TCatalogueSizeRule& rule) {
  if (text == "fit") rule = TCatalogueSizeRule::Fit;
  else if (text == "height") rule = TCatalogueSizeRule::Height;
  else if (text == "width") rule = TCatalogueSizeRule::Width;
  else return false;
  return true;
}

TWorkSize PictureSize(const TFolderWork& work, double defaultHeightCm, TCatalogueSizeRule rule,
                      std::vector<std::string>& notices) {
  const double aspect = double(work.PixelWidth) / double(std::max(1, work.PixelHeight));
  double widthCm = 0, heightCm = 0;
  if (work.WidthCm > 0 && work.HeightCm > 0) {
    const double catalogued = work.WidthCm / work.HeightCm;
    if (std::fabs(catalogued / aspect - 1) <= kShapeTolerance) {
      widthCm = work.WidthCm, heightCm = work.HeightCm;
    } else {
      // Fitted inside: the side that would overflow is the one that holds.
      const bool keepHeight =
          rule == TCatalogueSizeRule::Height || (rule == TCatalogueSizeRule::Fit && aspect <= catalogued);
      if (keepHeight) widthCm = work.HeightCm * aspect, heightCm = work.HeightCm;
      else widthCm = work.WidthCm, heightCm = work.WidthCm / aspect;
      notices.push_back(Named(work) + ": catalogued " + Cm(work.WidthCm) + " x " + Cm(work.HeightCm) + " cm (" +
                        Ratio(catalogued) + "), but the picture is " + std::to_string(work.PixelWidth) + " x " +
                        std::to_string(work.PixelHeight) + " px (" + Ratio(aspect) + "); hung " + Cm(widthCm) +
                        " x " + Cm(heightCm) + " cm, its catalogue " + (keepHeight ? "height" : "width") +
                        " kept, undistorted (--catalogue-size height|width|fit chooses)");
    }
  } else if (work.WidthCm > 0) {
    widthCm = work.WidthCm, heightCm = work.WidthCm / aspect;
  } else if (work.HeightCm > 0) {
    widthCm = work.HeightCm * aspect, heightCm = work.HeightCm;
  } else {
    widthCm = defaultHeightCm * aspect, heightCm = defaultHeightCm;
  }
  const double pxPerCm = std::min(work.PixelWidth / widthCm, work.PixelHeight / heightCm);
  if (pxPerCm < kLowResolutionPxPerCm) {
    notices.push_back(Named(work) + ": " + std::to_string(work.PixelWidth) + " x " + std::to_string(work.PixelHeight) +
                      " px hung " + Cm(widthCm) + " x " + Cm(heightCm) + " cm is " +
                      QString::number(pxPerCm, 'f', 1).toStdString() + " px/cm, below the " + Cm(kLowResolutionPxPerCm) +
                      " px/cm a picture needs to look sharp up close; a larger scan would mend it");
  }
  TWorkSize size;
  size.Width = widthCm / 100;
  size.Height = heightCm / 100;
  return size;
}
