// Paints the demo exhibition's pictures: one procedural painting per work, and the marble floor.
// Usage: demo-paintings OUTPUT_FOLDER
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

namespace {

using Rng = std::mt19937;

double Uniform(Rng& rng, double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); }

QColor Jitter(Rng& rng, const QColor& c, int amount) {
  auto j = [&](int v) { return std::clamp(v + int(Uniform(rng, -amount, amount)), 0, 255); };
  return QColor(j(c.red()), j(c.green()), j(c.blue()), c.alpha());
}

void Sky(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(r, g);
}

// Rolling hills: a band whose top edge wanders between y0 and y1.
void Hills(QPainter& p, Rng& rng, double w, double h, double y0, double y1, const QColor& color) {
  QPainterPath path;
  path.moveTo(0, h);
  const double phase = Uniform(rng, 0, 6.28), freq = Uniform(rng, 1.5, 3.0);
  for (int x = 0; x <= int(w); x += 4) {
    const double t = x / w;
    const double y = y0 + (y1 - y0) * (0.5 + 0.35 * std::sin(t * freq * 3.14 + phase) + 0.15 * std::sin(t * 11 + phase * 2));
    path.lineTo(x, y);
  }
  path.lineTo(w, h);
  path.closeSubpath();
  QLinearGradient g(0, y0, 0, h);
  g.setColorAt(0, color.lighter(115));
  g.setColorAt(1, color.darker(160));
  p.fillPath(path, g);
}

void Tree(QPainter& p, Rng& rng, double x, double y, double size, const QColor& leaves) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 45, 25));
  p.drawRect(QRectF(x - size * 0.06, y - size * 0.5, size * 0.12, size * 0.5));
  for (int i = 0; i < 6; ++i) {
    p.setBrush(Jitter(rng, leaves, 18));
    p.drawEllipse(QPointF(x + Uniform(rng, -0.25, 0.25) * size, y - size * Uniform(rng, 0.6, 0.95)), size * 0.28,
                  size * 0.3);
  }
}

// A figure: robe, head and (for saints) a golden halo.
void Figure(QPainter& p, double x, double y, double s, const QColor& robe, bool halo) {
  p.setPen(Qt::NoPen);
  QPainterPath body;
  body.moveTo(x - s * 0.35, y);
  body.quadTo(x - s * 0.3, y - s * 0.7, x - s * 0.12, y - s * 0.95);
  body.lineTo(x + s * 0.12, y - s * 0.95);
  body.quadTo(x + s * 0.3, y - s * 0.7, x + s * 0.35, y);
  body.closeSubpath();
  p.setBrush(robe);
  p.drawPath(body);
  if (halo) {
    QRadialGradient g(QPointF(x, y - s * 1.07), s * 0.22);
    g.setColorAt(0, QColor(255, 230, 140));
    g.setColorAt(1, QColor(200, 150, 40, 200));
    p.setBrush(g);
    p.drawEllipse(QPointF(x, y - s * 1.07), s * 0.2, s * 0.2);
  }
  p.setBrush(QColor(232, 196, 160));
  p.drawEllipse(QPointF(x, y - s * 1.07), s * 0.11, s * 0.13);
}

void Nativity(QPainter& p, Rng& rng, double w, double h) {
  Sky(p, QRectF(0, 0, w, h * 0.7), QColor(10, 14, 48), QColor(46, 58, 110));
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 120; ++i) {
    p.setBrush(QColor(255, 250, 220, int(Uniform(rng, 80, 255))));
    p.drawEllipse(QPointF(Uniform(rng, 0, w), Uniform(rng, 0, h * 0.6)), 1.2, 1.2);
  }
  QRadialGradient star(QPointF(w * 0.62, h * 0.12), w * 0.12);
  star.setColorAt(0, QColor(255, 255, 230));
  star.setColorAt(0.2, QColor(255, 240, 170, 200));
  star.setColorAt(1, QColor(255, 240, 170, 0));
  p.setBrush(star);
  p.drawEllipse(QPointF(w * 0.62, h * 0.12), w * 0.12, w * 0.12);
  Hills(p, rng, w, h, h * 0.55, h * 0.68, QColor(40, 60, 45));
  // The stable: two posts and a thatched roof.
  p.setBrush(QColor(92, 62, 36));
  p.drawRect(QRectF(w * 0.18, h * 0.42, w * 0.05, h * 0.45));
  p.drawRect(QRectF(w * 0.77, h * 0.42, w * 0.05, h * 0.45));
  QPainterPath roof;
  roof.moveTo(w * 0.1, h * 0.45);
  roof.lineTo(w * 0.5, h * 0.3);
  roof.lineTo(w * 0.9, h * 0.45);
  roof.closeSubpath();
  p.setBrush(QColor(150, 118, 60));
  p.drawPath(roof);
  p.fillRect(QRectF(0, h * 0.85, w, h * 0.15), QColor(88, 70, 44));
  Figure(p, w * 0.33, h * 0.86, h * 0.3, QColor(40, 70, 150), true);   // the Virgin in blue
  Figure(p, w * 0.68, h * 0.86, h * 0.32, QColor(150, 90, 40), true);  // Joseph
  p.setBrush(QColor(230, 215, 170));                                   // the manger and the child
  p.drawRect(QRectF(w * 0.42, h * 0.78, w * 0.16, h * 0.06));
  QRadialGradient light(QPointF(w * 0.5, h * 0.77), w * 0.1);
  light.setColorAt(0, QColor(255, 245, 200, 230));
  light.setColorAt(1, QColor(255, 245, 200, 0));
  p.setBrush(light);
  p.drawEllipse(QPointF(w * 0.5, h * 0.77), w * 0.1, w * 0.1);
}

void IdealCity(QPainter& p, Rng& rng, double w, double h) {
  Sky(p, QRectF(0, 0, w, h * 0.5), QColor(120, 160, 210), QColor(225, 230, 235));
  const double horizon = h * 0.5, cx = w * 0.5;
  // The chequered piazza in one-point perspective.
  for (int row = 0; row < 12; ++row) {
    const double t0 = std::pow(row / 12.0, 1.8), t1 = std::pow((row + 1) / 12.0, 1.8);
    const double y0 = horizon + (h - horizon) * t0, y1 = horizon + (h - horizon) * t1;
    for (int col = -10; col < 10; ++col) {
      QPolygonF tile;
      auto at = [&](double c, double t, double y) { return QPointF(cx + c * w * 0.12 * (0.05 + t), y); };
      tile << at(col, t0, y0) << at(col + 1, t0, y0) << at(col + 1, t1, y1) << at(col, t1, y1);
      p.setPen(Qt::NoPen);
      p.setBrush(((row + col) & 1) ? QColor(225, 215, 195) : QColor(150, 110, 90));
      p.drawPolygon(tile);
    }
  }
  // Palaces on both sides, receding.
  for (int side = -1; side <= 1; side += 2) {
    for (int i = 0; i < 3; ++i) {
      const double near = 1.0 - i * 0.28;
      const double x = cx + side * w * (0.2 + 0.3 * near);
      const double bw = w * 0.16 * near, bh = h * 0.42 * near;
      const QRectF r(x - bw / 2, horizon + h * 0.1 * near - bh, bw, bh);
      p.setBrush(Jitter(rng, QColor(214, 190, 160), 14));
      p.drawRect(r);
      p.setBrush(QColor(70, 60, 60));
      for (int k = 0; k < 3; ++k) {
        for (int j = 0; j < 2; ++j) {
          p.drawRect(QRectF(r.left() + bw * (0.15 + 0.28 * k), r.top() + bh * (0.2 + 0.35 * j), bw * 0.14, bh * 0.18));
        }
      }
    }
  }
  // The round temple in the middle.
  const double tw = w * 0.2, th = h * 0.25, ty = horizon + h * 0.04;
  p.setBrush(QColor(236, 226, 206));
  p.drawRect(QRectF(cx - tw / 2, ty - th, tw, th));
  p.setBrush(QColor(190, 175, 150));
  for (int k = 0; k < 7; ++k) p.drawRect(QRectF(cx - tw / 2 + k * tw / 6.5, ty - th, tw * 0.03, th));
  p.setBrush(QColor(170, 120, 95));
  p.drawChord(QRectF(cx - tw * 0.45, ty - th - tw * 0.35, tw * 0.9, tw * 0.7), 0, 180 * 16);
  p.setBrush(QColor(60, 45, 40));
  p.drawRect(QRectF(cx - tw * 0.08, ty - th * 0.5, tw * 0.16, th * 0.5));
}

void Portrait(QPainter& p, Rng&, double w, double h) {
  QRadialGradient bg(QPointF(w * 0.4, h * 0.3), w);
  bg.setColorAt(0, QColor(40, 60, 48));
  bg.setColorAt(1, QColor(10, 14, 12));
  p.fillRect(QRectF(0, 0, w, h), bg);
  p.setPen(Qt::NoPen);
  // Shoulders and a red velvet dress.
  QPainterPath dress;
  dress.moveTo(w * 0.05, h);
  dress.cubicTo(w * 0.1, h * 0.68, w * 0.3, h * 0.6, w * 0.5, h * 0.6);
  dress.cubicTo(w * 0.7, h * 0.6, w * 0.9, h * 0.68, w * 0.95, h);
  dress.closeSubpath();
  QLinearGradient velvet(0, h * 0.6, w, h);
  velvet.setColorAt(0, QColor(150, 20, 30));
  velvet.setColorAt(1, QColor(60, 5, 15));
  p.setBrush(velvet);
  p.drawPath(dress);
  p.setBrush(QColor(236, 205, 178));
  p.drawRect(QRectF(w * 0.43, h * 0.45, w * 0.14, h * 0.17));  // neck
  p.drawChord(QRectF(w * 0.3, h * 0.52, w * 0.4, h * 0.2), 0, 180 * 16);
  // Head, hair and a pearl necklace.
  p.setBrush(QColor(240, 212, 186));
  p.drawEllipse(QPointF(w * 0.5, h * 0.36), w * 0.15, h * 0.13);
  p.setBrush(QColor(120, 76, 30));
  p.drawChord(QRectF(w * 0.34, h * 0.2, w * 0.32, h * 0.22), 10 * 16, 160 * 16);
  p.drawEllipse(QPointF(w * 0.5, h * 0.22), w * 0.08, h * 0.05);
  p.setBrush(QColor(245, 240, 230));
  for (int i = 0; i <= 12; ++i) {
    const double a = 3.14159 * (0.15 + 0.7 * i / 12.0);
    p.drawEllipse(QPointF(w * 0.5 - std::cos(a) * w * 0.13, h * 0.55 + std::sin(a) * h * 0.05), w * 0.012, w * 0.012);
  }
  p.setBrush(QColor(60, 40, 35));
  p.drawEllipse(QPointF(w * 0.45, h * 0.35), w * 0.015, h * 0.008);
  p.drawEllipse(QPointF(w * 0.55, h * 0.35), w * 0.015, h * 0.008);
  p.setBrush(QColor(180, 90, 90));
  p.drawEllipse(QPointF(w * 0.5, h * 0.43), w * 0.03, h * 0.008);
}

void River(QPainter& p, Rng& rng, double w, double h) {
  Sky(p, QRectF(0, 0, w, h * 0.55), QColor(110, 150, 200), QColor(235, 225, 200));
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 5; ++i) {  // clouds
    const QPointF c(Uniform(rng, 0, w), Uniform(rng, h * 0.05, h * 0.3));
    for (int k = 0; k < 5; ++k) {
      p.setBrush(QColor(255, 255, 255, 90));
      p.drawEllipse(c + QPointF(Uniform(rng, -40, 40), Uniform(rng, -8, 8)), Uniform(rng, 20, 45), Uniform(rng, 8, 16));
    }
  }
  Hills(p, rng, w, h, h * 0.35, h * 0.5, QColor(110, 130, 150));
  Hills(p, rng, w, h, h * 0.48, h * 0.6, QColor(90, 130, 70));
  Hills(p, rng, w, h, h * 0.6, h * 0.72, QColor(70, 110, 45));
  QPainterPath river;  // winds from the distance to the foreground
  river.moveTo(w * 0.48, h * 0.55);
  river.cubicTo(w * 0.3, h * 0.65, w * 0.7, h * 0.78, w * 0.3, h);
  river.lineTo(w * 0.75, h);
  river.cubicTo(w * 0.95, h * 0.78, w * 0.45, h * 0.66, w * 0.52, h * 0.55);
  river.closeSubpath();
  QLinearGradient water(0, h * 0.55, 0, h);
  water.setColorAt(0, QColor(200, 215, 225));
  water.setColorAt(1, QColor(60, 100, 140));
  p.fillPath(river, water);
  for (int i = 0; i < 9; ++i) {
    const double x = Uniform(rng, 0, 1) < 0.5 ? Uniform(rng, 0, w * 0.3) : Uniform(rng, w * 0.75, w);
    Tree(p, rng, x, Uniform(rng, h * 0.7, h * 0.95), Uniform(rng, h * 0.12, h * 0.22), QColor(50, 90, 35));
  }
}

void Annunciation(QPainter& p, Rng&, double w, double h) {
  QLinearGradient gold(0, 0, w, h);
  gold.setColorAt(0, QColor(214, 170, 70));
  gold.setColorAt(0.5, QColor(240, 205, 110));
  gold.setColorAt(1, QColor(180, 135, 50));
  p.fillRect(QRectF(0, 0, w, h), gold);
  p.setPen(Qt::NoPen);
  // A loggia of two arches: dark openings, stone spandrels above the arches, three columns.
  for (int i = 0; i < 2; ++i) {
    const QRectF opening(w * (0.1 + 0.42 * i), h * 0.31, w * 0.38, h * 0.55);
    p.fillRect(opening, QColor(58, 66, 92));
    QPainterPath spandrel;
    spandrel.addRect(QRectF(opening.left(), opening.top(), opening.width(), h * 0.12));
    QPainterPath arch;
    arch.addEllipse(QRectF(opening.left(), opening.top(), opening.width(), h * 0.24));
    p.fillPath(spandrel.subtracted(arch), QColor(235, 225, 210));
  }
  p.setBrush(QColor(235, 225, 210));
  p.drawRect(QRectF(w * 0.05, h * 0.25, w * 0.9, h * 0.06));
  for (int i = 0; i < 3; ++i) p.drawRect(QRectF(w * (0.06 + 0.42 * i), h * 0.31, w * 0.04, h * 0.55));
  p.fillRect(QRectF(0, h * 0.86, w, h * 0.14), QColor(120, 95, 80));
  Figure(p, w * 0.28, h * 0.86, h * 0.4, QColor(200, 80, 70), true);   // the angel
  p.setBrush(QColor(250, 245, 235, 220));                              // and its wings
  QPainterPath wing;
  wing.moveTo(w * 0.22, h * 0.6);
  wing.quadTo(w * 0.05, h * 0.45, w * 0.12, h * 0.72);
  wing.closeSubpath();
  p.drawPath(wing);
  Figure(p, w * 0.72, h * 0.86, h * 0.38, QColor(30, 60, 150), true);  // the Virgin
  p.setBrush(QColor(255, 250, 220, 150));
  p.drawEllipse(QPointF(w * 0.5, h * 0.12), w * 0.05, w * 0.05);       // the dove's light
}

void Lemons(QPainter& p, Rng& rng, double w, double h) {
  p.fillRect(QRectF(0, 0, w, h), QColor(22, 18, 14));
  QLinearGradient table(0, h * 0.62, 0, h);
  table.setColorAt(0, QColor(110, 72, 40));
  table.setColorAt(1, QColor(50, 30, 16));
  p.fillRect(QRectF(0, h * 0.62, w, h * 0.38), table);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 200, 190));  // a white cloth
  QPolygonF cloth;
  cloth << QPointF(w * 0.55, h * 0.62) << QPointF(w * 0.98, h * 0.62) << QPointF(w, h * 0.95) << QPointF(w * 0.6, h);
  p.drawPolygon(cloth);
  QRadialGradient bowl(QPointF(w * 0.35, h * 0.55), w * 0.25);
  bowl.setColorAt(0, QColor(180, 190, 200));
  bowl.setColorAt(1, QColor(70, 80, 90));
  p.setBrush(bowl);
  p.drawChord(QRectF(w * 0.12, h * 0.4, w * 0.46, h * 0.36), 180 * 16, 180 * 16);
  for (int i = 0; i < 6; ++i) {
    const QPointF c(w * Uniform(rng, 0.2, 0.5), h * Uniform(rng, 0.5, 0.58));
    QRadialGradient lemon(c - QPointF(w * 0.02, h * 0.02), w * 0.08);
    lemon.setColorAt(0, QColor(255, 245, 140));
    lemon.setColorAt(1, QColor(200, 160, 20));
    p.setBrush(lemon);
    p.drawEllipse(c, w * 0.07, h * 0.05);
  }
  QRadialGradient jug(QPointF(w * 0.75, h * 0.4), w * 0.18);
  jug.setColorAt(0, QColor(160, 90, 50));
  jug.setColorAt(1, QColor(70, 35, 20));
  p.setBrush(jug);
  p.drawEllipse(QPointF(w * 0.75, h * 0.48), w * 0.12, h * 0.16);
  p.drawRect(QRectF(w * 0.71, h * 0.24, w * 0.08, h * 0.12));
}

void Sunset(QPainter& p, Rng& rng, double w, double h) {
  QLinearGradient sky(0, 0, 0, h * 0.55);
  sky.setColorAt(0, QColor(60, 50, 110));
  sky.setColorAt(0.6, QColor(230, 110, 70));
  sky.setColorAt(1, QColor(255, 190, 90));
  p.fillRect(QRectF(0, 0, w, h * 0.55), sky);
  QRadialGradient sun(QPointF(w * 0.6, h * 0.5), w * 0.12);
  sun.setColorAt(0, QColor(255, 240, 180));
  sun.setColorAt(1, QColor(255, 160, 60, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(sun);
  p.drawEllipse(QPointF(w * 0.6, h * 0.5), w * 0.12, w * 0.12);
  QLinearGradient sea(0, h * 0.55, 0, h);
  sea.setColorAt(0, QColor(200, 110, 70));
  sea.setColorAt(1, QColor(30, 40, 80));
  p.fillRect(QRectF(0, h * 0.55, w, h * 0.45), sea);
  for (int i = 0; i < 140; ++i) {  // glitter of the sun on the water
    const double y = Uniform(rng, h * 0.56, h);
    const double spread = (y - h * 0.5) * 0.5;
    p.setBrush(QColor(255, 220, 150, int(Uniform(rng, 60, 200))));
    p.drawRect(QRectF(w * 0.6 + Uniform(rng, -spread, spread), y, Uniform(rng, 6, 22), 1.5));
  }
  // A fishing boat with a lateen sail.
  p.setBrush(QColor(30, 20, 20));
  QPolygonF hull;
  hull << QPointF(w * 0.18, h * 0.7) << QPointF(w * 0.36, h * 0.7) << QPointF(w * 0.33, h * 0.74) << QPointF(w * 0.21, h * 0.74);
  p.drawPolygon(hull);
  QPolygonF sail;
  sail << QPointF(w * 0.27, h * 0.45) << QPointF(w * 0.35, h * 0.69) << QPointF(w * 0.2, h * 0.69);
  p.setBrush(QColor(90, 40, 30));
  p.drawPolygon(sail);
}

void Lagoon(QPainter& p, Rng& rng, double w, double h) {
  Sky(p, QRectF(0, 0, w, h * 0.5), QColor(150, 180, 215), QColor(240, 230, 210));
  QLinearGradient water(0, h * 0.5, 0, h);
  water.setColorAt(0, QColor(150, 170, 160));
  water.setColorAt(1, QColor(40, 80, 85));
  p.fillRect(QRectF(0, h * 0.5, w, h * 0.5), water);
  p.setPen(Qt::NoPen);
  double x = 0;
  while (x < w) {  // the row of palaces along the water
    const double bw = Uniform(rng, w * 0.06, w * 0.12), bh = Uniform(rng, h * 0.12, h * 0.25);
    const QColor c = Jitter(rng, QColor(215, 170, 130), 30);
    p.setBrush(c);
    p.drawRect(QRectF(x, h * 0.5 - bh, bw, bh));
    p.setBrush(QColor(c.red() / 3, c.green() / 3, c.blue() / 3, 90));
    p.drawRect(QRectF(x, h * 0.5, bw, bh * 0.6));  // its reflection
    p.setBrush(QColor(60, 40, 40));
    for (double wy = h * 0.5 - bh + bh * 0.15; wy < h * 0.5 - bh * 0.2; wy += bh * 0.25) {
      for (double wx = x + bw * 0.15; wx < x + bw * 0.8; wx += bw * 0.25) p.drawRect(QRectF(wx, wy, bw * 0.1, bh * 0.1));
    }
    x += bw;
  }
  p.setBrush(QColor(230, 220, 200));  // a campanile
  p.drawRect(QRectF(w * 0.7, h * 0.12, w * 0.05, h * 0.38));
  p.setBrush(QColor(110, 140, 120));
  QPolygonF spire;
  spire << QPointF(w * 0.7, h * 0.12) << QPointF(w * 0.725, h * 0.04) << QPointF(w * 0.75, h * 0.12);
  p.drawPolygon(spire);
  p.setBrush(QColor(15, 15, 15));  // a gondola
  QPainterPath gondola;
  gondola.moveTo(w * 0.25, h * 0.8);
  gondola.quadTo(w * 0.4, h * 0.86, w * 0.55, h * 0.78);
  gondola.quadTo(w * 0.4, h * 0.83, w * 0.25, h * 0.8);
  p.drawPath(gondola);
  p.drawRect(QRectF(w * 0.5, h * 0.7, w * 0.008, h * 0.1));
}

// Short strokes in the painting's own colours, so that it looks brushed rather than drawn.
void Brushwork(QImage& image, Rng& rng, int strokes) {
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < strokes; ++i) {
    const int x = int(Uniform(rng, 0, image.width() - 1)), y = int(Uniform(rng, 0, image.height() - 1));
    QColor c = Jitter(rng, image.pixelColor(x, y), 16);
    c.setAlpha(70);
    p.setPen(QPen(c, Uniform(rng, 1.5, 4.0), Qt::SolidLine, Qt::RoundCap));
    const double a = Uniform(rng, 0, 3.1416), len = Uniform(rng, 3, 10);
    p.drawLine(QPointF(x, y), QPointF(x + std::cos(a) * len, y + std::sin(a) * len));
  }
}

// A cracked varnish look: darker edges.
void Vignette(QImage& image) {
  QPainter p(&image);
  QRadialGradient g(QPointF(image.width() / 2.0, image.height() / 2.0), image.width() * 0.75);
  g.setColorAt(0.6, QColor(0, 0, 0, 0));
  g.setColorAt(1, QColor(30, 15, 0, 110));
  p.fillRect(image.rect(), g);
}

bool SavePainting(const QString& folder, int id, double aspect, const std::function<void(QPainter&, Rng&, double, double)>& paint) {
  // Painted at the work's own proportions, stored square: the face set stretches it back.
  const int w = aspect >= 1 ? 768 : int(768 * aspect), h = aspect >= 1 ? int(768 / aspect) : 768;
  QImage canvas(w, h, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  Rng rng(std::uint32_t(id) * 7919u);
  {
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p, rng, w, h);
  }
  Brushwork(canvas, rng, w * h / 60);
  Vignette(canvas);
  const QImage square = canvas.scaled(512, 512, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGB888);
  const QString path = folder + QString("/opera%1.png").arg(id);
  if (!square.save(path, "PNG")) {
    std::fprintf(stderr, "demo-paintings: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool SaveMarble(const QString& folder) {
  QImage tile(256, 256, QImage::Format_RGB888);
  Rng rng(1234);
  QPainter p(&tile);
  p.setRenderHint(QPainter::Antialiasing);
  // Four slabs, two light and two dark, with veins.
  const QColor slabs[2] = {QColor(228, 222, 210), QColor(160, 150, 140)};
  for (int i = 0; i < 4; ++i) {
    const QRectF r((i % 2) * 128, (i / 2) * 128, 128, 128);
    p.fillRect(r, slabs[(i % 2) ^ (i / 2)]);
    for (int v = 0; v < 7; ++v) {
      QPainterPath vein;
      vein.moveTo(r.left() + Uniform(rng, 0, 128), r.top());
      vein.cubicTo(r.left() + Uniform(rng, 0, 128), r.top() + 40, r.left() + Uniform(rng, 0, 128), r.top() + 90,
                   r.left() + Uniform(rng, 0, 128), r.bottom());
      p.setPen(QPen(QColor(90, 85, 80, int(Uniform(rng, 30, 90))), Uniform(rng, 0.5, 2.0)));
      p.drawPath(vein);
    }
    p.setPen(QPen(QColor(70, 65, 60), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
  }
  p.end();
  const QString path = folder + "/floor_marble.png";
  if (!tile.save(path, "PNG")) {
    std::fprintf(stderr, "demo-paintings: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "Usage: demo-paintings OUTPUT_FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool ok = SaveMarble(folder);
  ok = SavePainting(folder, 301, 1.2 / 1.5, Nativity) && ok;
  ok = SavePainting(folder, 302, 2.4 / 1.2, IdealCity) && ok;
  ok = SavePainting(folder, 303, 0.9 / 1.3, Portrait) && ok;
  ok = SavePainting(folder, 304, 1.8 / 1.2, River) && ok;
  ok = SavePainting(folder, 305, 1.4 / 1.6, Annunciation) && ok;
  ok = SavePainting(folder, 306, 1.2 / 1.0, Lemons) && ok;
  ok = SavePainting(folder, 307, 1.6 / 1.1, Sunset) && ok;
  ok = SavePainting(folder, 308, 1.6 / 1.1, Lagoon) && ok;
  return ok ? 0 : 1;
}
