#include "dialogs/captions.h"

#include <algorithm>
#include <vector>

namespace wumpets {

namespace {

constexpr int kTwipsPerPixel = 15;  // the font's widths are pixels at 96 dots per inch

// Advance widths in pixels of the characters ' ' .. '~' of MS Sans Serif at 8 points (13 pixels
// high), regular and bold. Other characters are taken as wide as the widest letter.
constexpr int kRegular[95] = {3, 3, 5, 7, 6, 8, 6, 2, 3, 3, 4, 6, 3, 3, 3, 5, 6, 6, 6, 6, 6, 6, 6, 6,
                              6, 6, 3, 3, 6, 6, 6, 6, 11, 7, 7, 7, 8, 7, 6, 8, 8, 3, 5, 7, 6, 9, 8, 8,
                              7, 8, 8, 7, 7, 8, 7, 11, 7, 7, 7, 3, 5, 3, 6, 6, 3, 6, 6, 6, 6, 6, 3, 6,
                              6, 2, 2, 6, 2, 8, 6, 6, 6, 6, 3, 5, 3, 6, 6, 8, 5, 5, 5, 4, 2, 4, 7};
constexpr int kBold[95] = {4, 4, 6, 8, 7, 9, 7, 3, 4, 4, 5, 7, 4, 4, 4, 6, 7, 7, 7, 7, 7, 7, 7, 7,
                           7, 7, 4, 4, 7, 7, 7, 7, 12, 8, 8, 8, 9, 8, 7, 9, 9, 4, 6, 8, 7, 10, 9, 9,
                           8, 9, 9, 8, 8, 9, 8, 12, 8, 8, 8, 4, 6, 4, 7, 7, 4, 7, 7, 7, 7, 7, 4, 7,
                           7, 3, 3, 7, 3, 9, 7, 7, 7, 7, 4, 6, 4, 7, 7, 9, 6, 6, 6, 5, 3, 5, 8};

// Where the caption starts inside its control, and what it needs after it, in pixels: a check
// box or option button draws its 13-pixel mark and a gap first; a push button keeps its raised
// border and a little air on both sides; a frame breaks its top line 8 pixels in.
constexpr int kMarkRoom = 16 + 1;
constexpr int kButtonRoom = 2 * 4;
constexpr int kFrameRoom = 8 + 2;
constexpr int kLineHeight = 13;

int pixels(int twips) { return twips / kTwipsPerPixel; }

}  // namespace

int caption_width(const std::string& caption, bool bold) {
  const int* widths = bold ? kBold : kRegular;
  int px = 0;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    char ch = caption[i];
    if (ch == '&') {
      if (i + 1 >= caption.size() || caption[i + 1] != '&') continue;
      ++i;  // "&&" draws one '&'
    }
    const auto u = static_cast<unsigned char>(ch);
    px += (u >= 32 && u <= 126) ? widths[u - 32] : widths['W' - 32];
  }
  return px * kTwipsPerPixel;
}

int caption_room(const plat::ControlSpec& c) {
  using plat::ControlKind;
  if (c.caption.empty() || !c.visible) return 0;
  const int text = caption_width(c.caption, c.bold);
  switch (c.kind) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: return text + kMarkRoom * kTwipsPerPixel;
    case ControlKind::PushButton: return text + kButtonRoom * kTwipsPerPixel;
    case ControlKind::Frame: return text + kFrameRoom * kTwipsPerPixel;
    case ControlKind::Label:
      // A label of several lines wraps its caption: only one line's width is at stake.
      return pixels(c.height) >= 2 * kLineHeight ? 0 : text;
    default: return 0;
  }
}

namespace {

// Only a caption that starts at the left edge stays put while its control grows to the right.
bool left_anchored(const plat::ControlSpec& c) {
  return c.kind == plat::ControlKind::CheckBox || c.kind == plat::ControlKind::OptionButton ||
         (c.kind == plat::ControlKind::Label && c.align == plat::Align::Left);
}

// The width a control must keep: its caption's room for those that can grow, else its own.
int kept_width(const plat::ControlSpec& c) { return left_anchored(c) ? std::max(caption_room(c), 1) : c.width; }

bool beside(const plat::ControlSpec& a, const plat::ControlSpec& b) {
  return a.top < b.top + b.height && b.top < a.top + a.height;
}

// Whole pixels, so that no back end rounds an edge past its neighbour.
int whole_pixels(int twips) { return (twips + kTwipsPerPixel - 1) / kTwipsPerPixel * kTwipsPerPixel; }

}  // namespace

void fit_captions(plat::DialogSpec& d) {
  auto& v = d.controls;
  const int n = static_cast<int>(v.size());
  for (int parent = -1; parent < n; ++parent) {
    std::vector<int> members;
    for (int i = 0; i < n; ++i) {
      const plat::ControlSpec& c = v[static_cast<std::size_t>(i)];
      if (c.parent == parent && c.visible && c.kind != plat::ControlKind::Image) members.push_back(i);
    }
    if (members.empty()) continue;
    auto at = [&](int i) -> plat::ControlSpec& { return v[static_cast<std::size_t>(i)]; };
    // A caption needs more than the free space beside it: the controls to its right move right
    // as a column, into their own unused width, so the columns stay aligned.
    std::vector<int> lefts;
    for (int i : members) lefts.push_back(at(i).left);
    std::sort(lefts.begin(), lefts.end());
    lefts.erase(std::unique(lefts.begin(), lefts.end()), lefts.end());
    std::vector<int> placed;
    for (int column_left : lefts) {
      std::vector<int> column;
      for (int i : members)
        if (at(i).left == column_left) column.push_back(i);
      int shift = 0;
      for (int b : column)
        for (int a : placed)
          if (beside(at(a), at(b))) shift = std::max(shift, at(a).left + whole_pixels(kept_width(at(a))) - at(b).left);
      for (int b : column) {
        if (shift > 0 && left_anchored(at(b))) {
          at(b).left += shift;
          at(b).width = std::max(at(b).width - shift, kept_width(at(b)));
        }
        placed.push_back(b);
      }
    }
    // Then every control that is too narrow grows into the free space to its right, up to the
    // next control beside it or the container's inner edge, and none reaches over its neighbour.
    const int inner = parent < 0 ? d.client_width : at(parent).width - 2 * kTwipsPerPixel;
    for (int i : members) {
      plat::ControlSpec& c = at(i);
      int limit = std::max(inner, c.left + c.width);
      for (int j : members)
        if (j != i && beside(c, at(j)) && at(j).left > c.left) limit = std::min(limit, at(j).left);
      if (left_anchored(c)) c.width = std::max(c.width, whole_pixels(caption_room(c)));
      c.width = std::min(c.width, limit - c.left);
    }
  }
}

}  // namespace wumpets
