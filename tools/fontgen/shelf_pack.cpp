#include "fontgen/shelf_pack.h"

#include <algorithm>
#include <numeric>

namespace tarn::fontgen {

bool PackCells(const std::vector<Cell>& cells, int pageWidth, int pageHeight, int maxPages,
               std::vector<Placement>& placements, int& pageCount) {
  placements.assign(cells.size(), Placement());
  pageCount = cells.empty() ? 0 : 1;
  std::vector<size_t> order(cells.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return cells[a].height > cells[b].height; });
  int page = 0, x = 0, y = 0, shelfHeight = 0;
  for (size_t index : order) {
    const Cell& cell = cells[index];
    if (cell.width <= 0 || cell.height <= 0) continue;
    if (cell.width > pageWidth || cell.height > pageHeight) return false;
    if (x + cell.width > pageWidth) {
      y += shelfHeight;
      x = 0;
      shelfHeight = 0;
    }
    if (y + cell.height > pageHeight) {
      ++page;
      x = y = shelfHeight = 0;
      if (page >= maxPages) return false;
    }
    placements[index] = Placement{page, x, y};
    x += cell.width;
    shelfHeight = std::max(shelfHeight, cell.height);
  }
  pageCount = cells.empty() ? 0 : page + 1;
  return true;
}

}  // namespace tarn::fontgen
