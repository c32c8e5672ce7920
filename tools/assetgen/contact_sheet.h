// One overview picture of every sprite: each enlarged on a dark grey ground with its number above it,
// so the art can be judged at a glance, scaled up as on a large monitor.
#pragma once

#include <vector>

#include "raster.h"

namespace assetgen {

struct SheetItem {
  int number = 0;
  const Picture* picture = nullptr;
};

Picture MakeContactSheet(const std::vector<SheetItem>& items, int scale, int sheetWidth);

}  // namespace assetgen
