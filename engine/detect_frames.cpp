#include "engine/detect_frames.h"

#include <array>

#include "engine/code_page_chars.h"

namespace snpln::engine {

namespace {

// The arms of a box-drawing character: 0 none, 1 single, 2 double.
struct Arms {
  std::uint8_t left = 0, right = 0;
  bool box = false;   // a box-drawing character, block or shade
  bool block = false; // a block or shade
};

struct Drawn {
  char16_t code;
  std::uint8_t left, right;
};

// The box-drawing characters of CP866 and KOI8-R with their left and right
// arms (up and down do not meet on one line).
constexpr Drawn kDrawn[] = {
    {0x2500, 1, 1}, {0x2502, 0, 0}, {0x250C, 0, 1}, {0x2510, 1, 0},
    {0x2514, 0, 1}, {0x2518, 1, 0}, {0x251C, 0, 1}, {0x2524, 1, 0},
    {0x252C, 1, 1}, {0x2534, 1, 1}, {0x253C, 1, 1}, {0x2550, 2, 2},
    {0x2551, 0, 0}, {0x2552, 0, 2}, {0x2553, 0, 1}, {0x2554, 0, 2},
    {0x2555, 2, 0}, {0x2556, 1, 0}, {0x2557, 2, 0}, {0x2558, 0, 2},
    {0x2559, 0, 1}, {0x255A, 0, 2}, {0x255B, 2, 0}, {0x255C, 1, 0},
    {0x255D, 2, 0}, {0x255E, 0, 2}, {0x255F, 0, 1}, {0x2560, 0, 2},
    {0x2561, 2, 0}, {0x2562, 1, 0}, {0x2563, 2, 0}, {0x2564, 2, 2},
    {0x2565, 1, 1}, {0x2566, 2, 2}, {0x2567, 2, 2}, {0x2568, 1, 1},
    {0x2569, 2, 2}, {0x256A, 2, 2}, {0x256B, 1, 1}, {0x256C, 2, 2},
};

constexpr char16_t kBlocks[] = {0x2580, 0x2584, 0x2588, 0x258C, 0x2590,
                                0x2591, 0x2592, 0x2593, 0x25A0};

using ArmTable = std::array<Arms, 256>;

ArmTable makeArms(CodePage page) {
  ArmTable table{};
  const CharTable &chars = charsOf(page);
  for (std::size_t b = 0x80; b < 256; ++b) {
    for (const Drawn &d : kDrawn)
      if (chars[b] == d.code)
        table[b] = Arms{d.left, d.right, true, false};
    for (const char16_t block : kBlocks)
      if (chars[b] == block)
        table[b] = Arms{0, 0, true, true};
  }
  return table;
}

const ArmTable *armsOf(CodePage page) {
  static const ArmTable dos = makeArms(CodePage::Dos);
  static const ArmTable koi = makeArms(CodePage::Koi);
  switch (page) {
  case CodePage::Dos:
    return &dos;
  case CodePage::Koi:
    return &koi;
  default:
    return nullptr;
  }
}

bool isBlank(int b) {
  return b < 0 || b == ' ' || b == '\t' || b == '\r' || b == '\n';
}

} // namespace

FrameEvidence findFrames(const std::uint8_t *bytes, std::size_t size,
                         CodePage page, std::vector<bool> *framed) {
  FrameEvidence e;
  if (framed)
    framed->assign(size, false);
  const ArmTable *arms = armsOf(page);
  if (!arms)
    return e;
  for (std::size_t i = 0; i < size; ++i) {
    const Arms &a = (*arms)[bytes[i]];
    if (!a.box)
      continue;
    ++e.boxes;
    const int left = i > 0 ? bytes[i - 1] : -1;
    const int right = i + 1 < size ? bytes[i + 1] : -1;
    const Arms none{};
    const Arms &l = left < 0 ? none : (*arms)[static_cast<std::size_t>(left)];
    const Arms &r = right < 0 ? none : (*arms)[static_cast<std::size_t>(right)];
    bool stands = false;
    if (a.left != 0 || a.right != 0) {
      stands = (a.left == 0 || l.right == a.left) &&
               (a.right == 0 || r.left == a.right);
    } else if (a.block) {
      stands = left == bytes[i] || right == bytes[i];
    } else {
      stands = (l.box || isBlank(left)) && (r.box || isBlank(right));
    }
    if (stands) {
      ++e.framed;
      if (framed)
        (*framed)[i] = true;
    }
  }
  return e;
}

bool drawsFrames(const FrameEvidence &e) {
  return e.framed >= kFramedAtLeast && e.framed * 4 >= e.boxes * 3;
}

} // namespace snpln::engine
