// Win/draw/loss odds of a score. A logistic model: the side to move wins
// with the odds 1 / (1 + exp((a - score) / b)) and loses with those of the
// opposite score, the rest is the draw. The score where a win becomes as
// likely as not (a) and the width of the slope (b) both depend on the
// material left: with little of it an advantage is harder to turn into a win.
#include <algorithm>
#include <cmath>

#include "uci/uci.h"

namespace velta {

namespace {

// a and b are polynomials in m, the material (pawns, both sides) over 78,
// fitted by maximum likelihood to the 23633 searched positions of 200 games
// of the engine against itself (15000 nodes a move, book openings):
//   python3 tools/selfplay.py --engine build/velta --games 200 --nodes 15000 --concurrency 3 --out fit.jsonl
//   python3 tools/wdl_fit.py fit fit.jsonl
// With the board full an advantage of about 70 centipawns wins as often as
// not; in a bare ending it takes three pawns.
constexpr double A[3] = {312.9, -671.8, 427.5};
constexpr double B[2] = {106.8, -8.5};
constexpr int MATERIAL_AT_START = 78;

int per_mille(double odds) { return int(std::lround(1000 * odds)); }

}  // namespace

WinDrawLoss win_draw_loss(int score, int material) {
  if (is_mate_score(score)) return score > 0 ? WinDrawLoss{1000, 0, 0} : WinDrawLoss{0, 0, 1000};
  double m = double(std::clamp(material, 0, MATERIAL_AT_START)) / MATERIAL_AT_START;
  double a = A[0] + m * (A[1] + m * A[2]), b = B[0] + m * B[1];
  double s = std::clamp(score, -4000, 4000);
  int win = per_mille(1 / (1 + std::exp((a - s) / b)));
  int loss = per_mille(1 / (1 + std::exp((a + s) / b)));
  int draw = std::max(1000 - win - loss, 0);  // rounding may leave 1001
  return {win, draw, 1000 - win - draw};
}

}  // namespace velta
