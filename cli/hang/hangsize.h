// The size a picture is hung at: the catalogue's, fitted to the picture's own shape, and what the
// curator should hear about it (a shape that disagrees, too few pixels for the size).
#pragma once

#include <string>
#include <vector>

#include "hangfolder.h"
#include "hanglayout.h"

// Below this many pixels per centimetre at its hung size a picture looks blurred from up close.
constexpr double kLowResolutionPxPerCm = 40;
// Shapes closer than this are one shape measured twice: the catalogue's size is taken as it is.
constexpr double kShapeTolerance = 0.03;

// With both sides catalogued and a shape that is not the picture's, which side of the catalogue
// holds: the picture fitted inside both (Fit), or its catalogue height or width kept.
enum class TCatalogueSizeRule { Fit, Height, Width };

// Parses "fit", "height" or "width".
bool ParseCatalogueSizeRule(const std::string& text, TCatalogueSizeRule& rule);

// The picture's hung size in metres, keeping its proportions; notices gets a line naming the
// work when its shape and the catalogue's differ, or when it has too few pixels for its size.
TWorkSize PictureSize(const TFolderWork& work, double defaultHeightCm, TCatalogueSizeRule rule,
                      std::vector<std::string>& notices);
