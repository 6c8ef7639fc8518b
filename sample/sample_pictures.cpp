#include "sample/sample_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "sample/moe_encoder.h"
#include "sample/rng.h"

// Painting uses integer arithmetic and IEEE square roots only, so the
// pictures are the same with every compiler and C library.
namespace tools {
namespace {

struct Rgb {
  int r, g, b;
};

int Clamp(int v) { return std::clamp(v, 0, 255); }

// a + (b - a) · t / n.
Rgb Mix(Rgb a, Rgb b, int t, int n) {
  if (n <= 0) return a;
  return {a.r + (b.r - a.r) * t / n, a.g + (b.g - a.g) * t / n, a.b + (b.b - a.b) * t / n};
}

Rgb Jitter(Rgb c, int amount, Rng& rng) {
  return {Clamp(c.r + rng.Range(-amount, amount)), Clamp(c.g + rng.Range(-amount, amount)),
          Clamp(c.b + rng.Range(-amount, amount))};
}

Rgb Shade(Rgb c, int percent) { return {c.r * percent / 100, c.g * percent / 100, c.b * percent / 100}; }

int ISqrt(int64_t v) {
  if (v <= 0) return 0;
  auto r = static_cast<int64_t>(std::sqrt(static_cast<double>(v)));
  while (r * r > v) --r;
  while ((r + 1) * (r + 1) <= v) ++r;
  return static_cast<int>(r);
}

// A wave between -amp and +amp with the given period, made of parabolas.
int Wave(int x, int amp, int period) {
  int half = std::max(1, period / 2);
  int t = ((x % period) + period) % period;
  int sign = t < half ? 1 : -1;
  if (t >= half) t -= half;
  return sign * static_cast<int>(int64_t{4} * amp * t * (half - t) / (int64_t{half} * half));
}

class Canvas {
 public:
  Canvas(int width, int height) : w_(width), h_(height), px_(static_cast<size_t>(width) * height * 3, 0) {}

  int W() const { return w_; }
  int H() const { return h_; }

  void Put(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 3];
    p[0] = static_cast<uint8_t>(Clamp(c.b));
    p[1] = static_cast<uint8_t>(Clamp(c.g));
    p[2] = static_cast<uint8_t>(Clamp(c.r));
  }

  Rgb Get(int x, int y) const {
    const uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 3];
    return {p[2], p[1], p[0]};
  }

  void Row(int y, int x0, int x1, Rgb c) {
    if (y < 0 || y >= h_) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, w_);
    for (int x = x0; x < x1; ++x) Put(x, y, c);
  }

  // Rows y0..y1 (exclusive) of columns x0..x1 in `steps` bands from `top`
  // to `bottom`.
  void Band(int x0, int y0, int x1, int y1, Rgb top, Rgb bottom, int steps) {
    int span = std::max(1, y1 - y0);
    for (int y = std::max(0, y0); y < std::min(h_, y1); ++y) {
      int step = (y - y0) * steps / span;
      Row(y, x0, x1, Mix(top, bottom, step, std::max(1, steps - 1)));
    }
  }

  void Rect(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = std::max(0, y0); y < std::min(h_, y1); ++y) Row(y, x0, x1, c);
  }

  void Ellipse(int cx, int cy, int rx, int ry, Rgb c) {
    if (rx <= 0 || ry <= 0) return;
    for (int dy = -ry; dy <= ry; ++dy) {
      int span = ISqrt((int64_t{ry} * ry - int64_t{dy} * dy) * rx * rx / (int64_t{ry} * ry));
      Row(cy + dy, cx - span, cx + span + 1, c);
    }
  }

  // Everything below a wavy line around `base`, in bands from `top` (at
  // base - amp) to `bottom` (at the last row).
  void Ridge(int base, int amp, int period, int phase, Rgb top, Rgb bottom, int steps) {
    int start = base - amp;
    int span = std::max(1, h_ - start);
    for (int x = 0; x < w_; ++x) {
      int edge = base - Wave(x + phase, amp, period);
      for (int y = std::max(0, edge); y < h_; ++y) {
        Put(x, y, Mix(top, bottom, (y - start) * steps / span, std::max(1, steps - 1)));
      }
    }
  }

  // Texture: every pixel of the area lighter, darker or unchanged by
  // `amount`, all channels alike (three variants of each colour).
  void Grain(int x0, int y0, int x1, int y1, int amount, Rng& rng) {
    for (int y = std::max(0, y0); y < std::min(h_, y1); ++y) {
      for (int x = std::max(0, x0); x < std::min(w_, x1); ++x) {
        int o = (rng.Below(3) - 1) * amount;
        Rgb c = Get(x, y);
        Put(x, y, {c.r + o, c.g + o, c.b + o});
      }
    }
  }

  std::vector<uint8_t>& Pixels() { return px_; }

 private:
  int w_, h_;
  std::vector<uint8_t> px_;
};

void Clouds(Canvas& c, int maxY, Rng& rng) {
  int count = rng.Range(2, 5);
  for (int i = 0; i < count; ++i) {
    int x = rng.Below(c.W());
    int y = rng.Range(20, std::max(21, maxY - 40));
    Rgb white = Jitter({246, 248, 252}, 4, rng);
    Rgb shadow = Shade(white, 90);
    int r = rng.Range(18, 34);
    c.Ellipse(x, y + 6, r * 3, r, shadow);
    c.Ellipse(x - r, y, r * 2, r, white);
    c.Ellipse(x + r, y - r / 2, r * 2, r, white);
  }
}

void Houses(Canvas& c, int groundY, int count, Rng& rng, bool lit) {
  for (int i = 0; i < count; ++i) {
    int w = rng.Range(50, 120);
    int h = rng.Range(50, 150);
    int x = rng.Below(c.W() + w) - w;
    Rgb wall = lit ? Jitter({40, 44, 70}, 10, rng) : Jitter({210, 200, 180}, 30, rng);
    c.Rect(x, groundY - h, x + w, groundY, wall);
    c.Rect(x - 6, groundY - h - 14, x + w + 6, groundY - h, Shade(wall, 70));
    Rgb window = lit ? Rgb{250, 220, 120} : Rgb{120, 160, 190};
    for (int wy = groundY - h + 12; wy + 18 < groundY; wy += 30) {
      for (int wx = x + 10; wx + 14 < x + w; wx += 26) {
        if (!lit || rng.Percent(55)) c.Rect(wx, wy, wx + 14, wy + 18, window);
      }
    }
  }
}

void Harbour(Canvas& c, bool grain, Rng& rng) {
  int horizon = c.H() * rng.Range(40, 52) / 100;
  int shore = horizon + c.H() * rng.Range(16, 24) / 100;
  c.Band(0, 0, c.W(), horizon, Jitter({70, 130, 220}, 20, rng), Jitter({190, 220, 245}, 10, rng), 32);
  int sunX = rng.Below(c.W());
  c.Ellipse(sunX, horizon / 3, 58, 58, {252, 250, 220});
  c.Ellipse(sunX, horizon / 3, 40, 40, {255, 255, 240});
  Clouds(c, horizon, rng);
  c.Ridge(horizon - 10, rng.Range(20, 50), rng.Range(260, 520), rng.Below(500),
          Jitter({80, 140, 80}, 20, rng), {40, 90, 50}, 8);
  c.Band(0, horizon, c.W(), shore, Jitter({40, 110, 170}, 15, rng), {20, 60, 110}, 12);
  if (grain) c.Grain(0, horizon, c.W(), shore, 6, rng);
  c.Ridge(shore, rng.Range(4, 14), rng.Range(300, 700), rng.Below(700), Jitter({200, 190, 160}, 15, rng),
          {150, 140, 120}, 10);
  Houses(c, c.H() - c.H() / 10, rng.Range(2, 4), rng, false);
  int pier = rng.Below(c.W() - 120);
  c.Rect(pier, shore - 12, pier + 160, shore, {120, 100, 80});
  if (grain) c.Grain(0, shore + 10, c.W(), c.H(), 10, rng);
}

void Room(Canvas& c, bool grain, Rng& rng) {
  int floorY = c.H() * rng.Range(62, 72) / 100;
  Rgb wall = Jitter({225, 215, 195}, 20, rng);
  c.Band(0, 0, c.W(), floorY, wall, Shade(wall, 85), 8);
  if (grain) c.Grain(0, 0, c.W(), floorY, 4, rng);
  int wx = rng.Range(40, c.W() / 2);
  int ww = rng.Range(160, 240);
  c.Rect(wx - 10, 50, wx + ww + 10, 60 + 190, {150, 120, 90});
  c.Band(wx, 60, wx + ww, 240, {90, 150, 230}, {200, 225, 245}, 12);
  c.Rect(wx + ww / 2 - 4, 60, wx + ww / 2 + 4, 240, {150, 120, 90});
  Rgb wood = Jitter({150, 100, 60}, 20, rng);
  c.Band(0, floorY, c.W(), c.H(), wood, Shade(wood, 70), 10);
  for (int x = rng.Below(40); x < c.W(); x += 48) c.Rect(x, floorY, x + 2, c.H(), Shade(wood, 60));
  if (grain) c.Grain(0, floorY, c.W(), c.H(), 8, rng);
  int shelfX = c.W() - rng.Range(150, 260);
  c.Rect(shelfX, floorY - 260, shelfX + 130, floorY, Shade(wood, 80));
  for (int shelf = 0; shelf < 4; ++shelf) {
    int sy = floorY - 250 + shelf * 62;
    for (int bx = shelfX + 8; bx < shelfX + 118;) {
      int bw = rng.Range(8, 18);
      c.Rect(bx, sy + rng.Range(4, 14), bx + bw, sy + 54, Jitter({120, 80, 90}, 60, rng));
      bx += bw + 1;
    }
  }
  int deskX = rng.Range(60, c.W() / 2);
  c.Rect(deskX, floorY - 40, deskX + 220, floorY - 20, Shade(wood, 110));
  c.Rect(deskX + 10, floorY - 20, deskX + 24, floorY + 60, Shade(wood, 75));
  c.Rect(deskX + 196, floorY - 20, deskX + 210, floorY + 60, Shade(wood, 75));
}

void Night(Canvas& c, bool grain, Rng& rng) {
  int ground = c.H() * rng.Range(78, 88) / 100;
  c.Band(0, 0, c.W(), ground, Jitter({10, 14, 40}, 8, rng), Jitter({50, 50, 100}, 10, rng), 24);
  for (int i = 0; i < 160; ++i) c.Put(rng.Below(c.W()), rng.Below(ground), {240, 240, 255});
  int mx = rng.Range(60, c.W() - 60);
  c.Ellipse(mx, 80, 36, 36, {250, 245, 210});
  c.Ellipse(mx + 14, 72, 30, 30, c.Get(std::min(c.W() - 1, mx + 60), 72));
  Houses(c, ground, rng.Range(5, 9), rng, true);
  c.Band(0, ground, c.W(), c.H(), {40, 40, 50}, {20, 20, 26}, 6);
  if (grain) c.Grain(0, ground, c.W(), c.H(), 6, rng);
}

void Sunset(Canvas& c, bool grain, Rng& rng) {
  int horizon = c.H() * rng.Range(50, 62) / 100;
  c.Band(0, 0, c.W(), horizon, Jitter({90, 60, 140}, 15, rng), Jitter({250, 150, 70}, 10, rng), 40);
  int sx = rng.Range(100, c.W() - 100);
  c.Ellipse(sx, horizon, 50, 50, {255, 210, 120});
  c.Band(0, horizon, c.W(), c.H(), {200, 110, 80}, {60, 40, 70}, 16);
  for (int y = horizon + 6; y < c.H(); y += 9) {
    int half = 60 - (y - horizon) / 8;
    if (half > 4) c.Rect(sx - half, y, sx + half, y + 3, {250, 190, 110});
  }
  if (grain) c.Grain(0, horizon, c.W(), c.H(), 5, rng);
  c.Ridge(horizon + 30, 30, rng.Range(300, 600), rng.Below(600), {30, 20, 40}, {20, 14, 28}, 3);
}

// Layers of a sprite: colour plus an eighths-coverage per pixel. A pixel no
// shape touched becomes the key colour; a partly covered pixel at the figure's
// border is mixed with a dark outline colour, which makes the soft edge.
class SpriteCanvas {
 public:
  SpriteCanvas(int width, int height, Rgb outline)
      : canvas_(width, height), cover_(static_cast<size_t>(width) * height, 0), outline_(outline) {}

  // An ellipse shaded from `top` to `bottom` in six bands, its border
  // anti-aliased over about two pixels.
  void Ellipse(int cx, int cy, int rx, int ry, Rgb top, Rgb bottom) {
    if (rx <= 0 || ry <= 0) return;
    const double edge = std::min(rx, ry);
    for (int y = std::max(0, cy - ry - 2); y < std::min(canvas_.H(), cy + ry + 3); ++y) {
      Rgb colour = Mix(top, bottom, std::clamp((y - cy + ry) * 6 / (2 * ry), 0, 5), 5);
      for (int x = std::max(0, cx - rx - 2); x < std::min(canvas_.W(), cx + rx + 3); ++x) {
        double u = static_cast<double>(x - cx) / rx;
        double v = static_cast<double>(y - cy) / ry;
        double inside = (1.0 - std::sqrt(u * u + v * v)) * edge;
        int eighths = static_cast<int>(std::clamp(inside / 2.0 + 0.5, 0.0, 1.0) * 8.0 + 0.5);
        if (eighths == 0) continue;
        size_t i = static_cast<size_t>(y) * canvas_.W() + x;
        Rgb under = cover_[i] ? canvas_.Get(x, y) : outline_;
        canvas_.Put(x, y, Mix(under, colour, eighths, 8));
        cover_[i] = static_cast<uint8_t>(std::max<int>(cover_[i], eighths));
      }
    }
  }

  Picture Finish() {
    std::vector<uint8_t>& px = canvas_.Pixels();
    for (size_t i = 0; i < cover_.size(); ++i) {
      uint8_t* p = &px[3 * i];
      if (cover_[i] == 0) {
        p[0] = kKeyBlue;
        p[1] = kKeyGreen;
        p[2] = kKeyRed;
      } else if (image::moe::IsKeyColour(p)) {
        p[1] = kKeyGreen - 1;
      }
    }
    return {canvas_.W(), canvas_.H(), std::move(px)};
  }

 private:
  Canvas canvas_;
  std::vector<uint8_t> cover_;
  Rgb outline_;
};

constexpr std::array<Rgb, 8> kHairColours = {{{40, 30, 30},
                                              {90, 60, 40},
                                              {150, 100, 60},
                                              {220, 190, 120},
                                              {30, 40, 80},
                                              {170, 60, 60},
                                              {200, 200, 210},
                                              {60, 90, 60}}};
constexpr std::array<Rgb, 8> kClothColours = {{{240, 240, 245},
                                               {40, 50, 90},
                                               {180, 40, 50},
                                               {90, 140, 200},
                                               {230, 190, 80},
                                               {60, 120, 70},
                                               {200, 120, 160},
                                               {70, 70, 70}}};

}  // namespace

Picture PaintBackground(int width, int height, uint64_t seed, bool grain) {
  Rng rng(seed);
  Canvas canvas(width, height);
  switch (rng.Below(4)) {
    case 0:
      Harbour(canvas, grain, rng);
      break;
    case 1:
      Room(canvas, grain, rng);
      break;
    case 2:
      Night(canvas, grain, rng);
      break;
    default:
      Sunset(canvas, grain, rng);
      break;
  }
  // The key colour stays reserved for the surround of sprites.
  std::vector<uint8_t>& px = canvas.Pixels();
  for (size_t i = 0; i + 2 < px.size(); i += 3) {
    if (image::moe::IsKeyColour(&px[i])) px[i + 1] = kKeyGreen - 1;
  }
  return {width, height, std::move(px)};
}

Picture PaintSprite(int width, int height, uint64_t seed) {
  Rng rng(seed);
  SpriteCanvas s(width, height, Jitter({44, 30, 52}, 8, rng));
  const int u = std::min(width, height * 5 / 6);
  const int cx = width / 2 + rng.Range(-u / 20, u / 20);
  const int headY = height * rng.Range(27, 33) / 100;
  const int headRx = u * rng.Range(12, 14) / 100;
  const int headRy = u * rng.Range(14, 16) / 100;
  Rgb hair = Jitter(kHairColours[rng.Below(8)], 10, rng);
  Rgb cloth = Jitter(kClothColours[rng.Below(8)], 10, rng);
  Rgb skin = Jitter({250, 220, 200}, 6, rng);
  Rgb sleeve = Shade(cloth, 90);

  s.Ellipse(cx, headY + headRy / 3, headRx * 5 / 4, headRy * 27 / 20, hair, Shade(hair, 70));
  int bodyY = headY + headRy + u * 42 / 100;
  int bodyRy = u * 45 / 100;
  s.Ellipse(cx - u * 20 / 100, bodyY + u / 20, u * 7 / 100, bodyRy * 9 / 10, sleeve, Shade(sleeve, 70));
  s.Ellipse(cx + u * 20 / 100, bodyY + u / 20, u * 7 / 100, bodyRy * 9 / 10, sleeve, Shade(sleeve, 70));
  s.Ellipse(cx, bodyY, u * 22 / 100, bodyRy, cloth, Shade(cloth, 75));
  s.Ellipse(cx, headY + headRy + u / 50, u * 10 / 100, u * 4 / 100, {245, 245, 250}, {220, 220, 230});
  s.Ellipse(cx, headY + headRy * 9 / 10, u * 5 / 100, u * 6 / 100, Shade(skin, 92), Shade(skin, 85));
  s.Ellipse(cx, headY, headRx, headRy, skin, Shade(skin, 92));
  s.Ellipse(cx, headY - headRy * 6 / 10, headRx * 11 / 10, headRy * 5 / 10, hair, Shade(hair, 85));
  Rgb eye = Jitter({60, 80, 140}, 40, rng);
  for (int side : {-1, 1}) {
    int ex = cx + side * headRx * 4 / 10;
    s.Ellipse(ex, headY + headRy / 10, u * 18 / 1000, u * 28 / 1000, Shade(eye, 70), eye);
    s.Ellipse(ex - u / 200, headY, u / 200 + 1, u / 200 + 1, {255, 255, 255}, {255, 255, 255});
  }
  s.Ellipse(cx, headY + headRy / 2, u / 60 + 1, u / 150 + 1, {200, 110, 110}, {190, 100, 100});
  if (rng.Percent(50)) {
    Rgb ribbon = Jitter({220, 60, 90}, 40, rng);
    int rx = cx + headRx * 9 / 10;
    s.Ellipse(rx, headY - headRy * 7 / 10, u / 25, u / 40, ribbon, Shade(ribbon, 80));
    s.Ellipse(rx + u / 20, headY - headRy * 6 / 10, u / 25, u / 40, ribbon, Shade(ribbon, 80));
  }
  return s.Finish();
}

}  // namespace tools
