// Places rectangles on pages of one size in rows ("shelves"), tallest first.
#pragma once

#include <vector>

namespace tarn::fontgen {

struct Cell {
  int width = 0;
  int height = 0;
};

struct Placement {
  int page = 0;
  int x = 0;
  int y = 0;
};

// One placement per cell, in the order of the cells. A cell without area
// takes no room and sits at the top-left of page 0. False when a cell is
// larger than a page or the cells need more than maxPages pages.
bool PackCells(const std::vector<Cell>& cells, int pageWidth, int pageHeight, int maxPages,
               std::vector<Placement>& placements, int& pageCount);

}  // namespace tarn::fontgen
