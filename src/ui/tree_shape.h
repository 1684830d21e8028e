// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace qbus::ui {

// Where each line of a tree given in order (each line after its parent, `depth` levels in) sits:
// its parent line, its row under that parent, and each line's children. What a tree model needs
// to answer index() and parent() without an item per line.
struct TreeShape {
  std::vector<int> parents;                // each line's parent line, -1 for a root
  std::vector<int> rows;                   // each line's row under its parent
  std::vector<std::vector<int>> children;  // [0]: the roots; [i + 1]: line i's children

  template <typename Lines>
  static TreeShape Of(const Lines& lines) {
    TreeShape shape;
    shape.parents.resize(lines.size(), -1);
    shape.rows.resize(lines.size(), 0);
    shape.children.resize(lines.size() + 1);
    std::vector<int> open;  // the line at each depth above the current one
    for (size_t i = 0; i < lines.size(); ++i) {
      const size_t depth = static_cast<size_t>(std::max(lines[i].depth, 0));
      open.resize(std::min(depth, open.size()));
      shape.parents[i] = open.empty() ? -1 : open.back();
      std::vector<int>& siblings = shape.children[static_cast<size_t>(shape.parents[i] + 1)];
      shape.rows[i] = static_cast<int>(siblings.size());
      siblings.push_back(static_cast<int>(i));
      open.push_back(static_cast<int>(i));
    }
    return shape;
  }
};

}  // namespace qbus::ui
