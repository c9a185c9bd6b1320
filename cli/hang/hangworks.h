// The works of a folder to hang, measured and sized in metres for the layout.
#pragma once

#include <vector>

#include "hangfolder.h"
#include "hanglayout.h"
#include "hangscene.h"
#include "hangsize.h"

// Reads every model of the folder for its shape (pack reads it again from the manifest). Like a
// picture no reader takes, a model that cannot be read is left out of folder.Works, with the
// reader's reason in folder.LeftOut. Answers one size for each work left, in order: a model's
// as measured at its catalogue height (else defaultHeightCm), a picture's still empty.
std::vector<TWorkSize> MeasureModels(TFolder& folder, int defaultHeightCm);

// False, with the reason, when the works and the music need more lists than a data file holds.
bool FitsOneFile(const TFolder& folder, std::string& error);

// Every work numbered in hanging order with its size: a model's as measured, a picture's real size
// from the catalogue fitted to its own shape as rule says, else defaultHeightCm high with the
// picture's own shape; what the curator should hear about a size goes to folder.Notices.
std::vector<THungWork> SizeWorks(TFolder& folder, const std::vector<TWorkSize>& measured, int defaultHeightCm,
                                 TCatalogueSizeRule rule);

// The sizes alone, in the same order, as the layout takes them.
std::vector<TWorkSize> SizesOf(const std::vector<THungWork>& works);
