// The six balloon kinds, eight wobble frames each, in the lower 384 rows of the sheet.
#pragma once

#include "art_sources.h"
#include "shading.h"

namespace sheet {

// What a point of a balloon shows: which ramp, and how far up it (a fractional step).
struct BalloonPoint {
  bool inside = false;
  const Ramp* ramp = nullptr;
  double level = 0;
  int part = 0;  // parts differ where an inner edge is drawn (the bear's ears against its head)
};

// The shapes and light of one balloon kind, read from the art sources.
class BalloonModel {
 public:
  BalloonModel(const ArtSources& art, int kind);

  // The point px, py of the 64 x 64 cell (pixel centres at .5) in the frame whose wobble is
  // `wobble` (-1 .. 1: +1 wide and short, -1 narrow and tall).
  BalloonPoint At(double px, double py, double wobble) const;

  // Where the body ends below: the knot hangs from here.
  double Bottom(double wobble) const;
  const Ramp& Skin() const { return *skin_; }

 private:
  double Light(const Vec3& n) const;
  BalloonPoint Egg(double lx, double ly) const;
  BalloonPoint Bear(double lx, double ly) const;
  BalloonPoint Ball(double lx, double ly) const;

  const ArtSources& art_;
  int kind_;
  const Ramp* skin_;
  double cx_ = 31.5, cy_, rx_, ry_, egg_, taper_, wobble_amount_;
  Vec3 light_, half_, rim_;
  double ambient_, spec_power_, spec_, rim_amount_;
};

// Wobble of frame 0..7: a half cosine, so the 0..7, 7..0 loop turns smoothly at both ends.
double FrameWobble(int frame);

void DrawBalloons(const ArtSources& art, IndexedImage* sheet);

}  // namespace sheet
