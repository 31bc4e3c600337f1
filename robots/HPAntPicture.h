// The picture of a chain-laying episode: the lattice around the chain, and
// residue by residue the chain as it was laid, H residues (code 0) and P
// residues (any other code) in two colours, each contact between H residues
// that are not chain neighbours shown as a dotted link.
#pragma once

#include <string>
#include <vector>

#include "engine/Recording.h"

class HPAntRoom;
class IntArray;
class IntPointArray;

class HPAntRecording : public Recording {
 public:
  // The room the chain was laid in, the residue codes, the recorded residues
  // placed (x, y, code; null for none) and the contacts the room counted.
  HPAntRecording(const HPAntRoom& room, const IntArray& sequence, const IntPointArray* chain, int contacts);

  PictureSpace Space() const override { return {side, side}; }
  void DrawStill(Canvas& canvas) const override;
  // One residue each.
  int FrameCount() const override { return static_cast<int>(residues.size()); }
  void DrawFrame(Canvas& canvas, int k) const override;
  std::vector<LegendEntry> Legend() const override;
  // "7 contacts", and how much of the chain was laid when not all of it.
  std::string Measure() const override;

  // The dotted links: pairs of placed residues (by placing order).
  const std::vector<std::pair<int, int>>& Links() const { return links; }
  // The centre of lattice point (x, y) in the picture's space.
  CanvasPoint PointOf(int x, int y) const { return {x - centreX, y - centreY}; }

  static constexpr Rgb kH{200, 30, 30};
  static constexpr Rgb kP{70, 120, 230};
  static constexpr Rgb kBond = Colour::kGrey;
  static constexpr Rgb kContact = Colour::kGreen;

 private:
  struct Residue {
    int x;
    int y;
    int code;
  };
  void DrawResidue(Canvas& canvas, int k) const;

  std::vector<Residue> residues;
  std::vector<std::pair<int, int>> links;  // the later residue second
  std::vector<CanvasPoint> wallCells;      // in view
  int length;
  int contacts;
  double centreX = 0.0;
  double centreY = 0.0;
  double side = 5.0;
};
