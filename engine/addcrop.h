// The transform of the Add & Crop tab and the blank clean-up of the Space tab.
#pragma once

#include <QString>

#include "engine/options.h"

namespace engine {

// Inserts options.add, or removes options.cropNumber characters, at a position counted from
// the beginning or from the end of `name`. The boxes are read as the number their text starts
// with (empty: 0; below 0 counts as 0). An insertion at a position beyond the length, or a
// removal at a position at or beyond it, leaves the name alone; a removal that runs past the
// end stops there. A surrogate pair counts as one character and is never cut. An empty `name`
// stays empty, even for an insertion.
QString applyAddCrop(const QString& name, const AddCropOptions& options);

// Removes leading blanks, trailing blanks (also those just before the last "."), and shrinks
// runs of blanks to one, as the options ask. Blanks are the space character only: tabs and
// other white space stay.
QString processSpaces(const QString& name, const SpaceOptions& options);

}  // namespace engine
