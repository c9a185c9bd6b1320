// Made-up material for the benchmarks: scanned-looking models and painted photographs.
#pragma once

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QSize>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>

namespace bench {

// A bumpy sphere, like a scanned head: rings x segments quads, two triangles each, binary STL,
// standing on z = 0 with +z up.
inline void WriteScan(const std::string& path, int rings, int segments, int seed = 0) {
  std::ofstream out(path, std::ios::binary);
  const char header[80] = "bench scan";
  out.write(header, 80);
  const std::uint32_t count = std::uint32_t(rings) * std::uint32_t(segments) * 2;
  out.write(reinterpret_cast<const char*>(&count), 4);
  auto point = [&](int r, int s, float* p) {
    const double theta = M_PI * r / rings, phi = 2 * M_PI * s / segments;
    const double radius = 0.3 * (1 + 0.04 * std::sin((9 + seed) * theta) * std::sin((7 + seed) * phi));
    p[0] = float(radius * std::sin(theta) * std::cos(phi));
    p[1] = float(radius * std::sin(theta) * std::sin(phi));
    p[2] = float(radius * std::cos(theta) + 0.3);
  };
  auto triangle = [&](const float* a, const float* b, const float* c) {
    const float n[3] = {0, 0, 0};
    const std::uint16_t attribute = 0;
    out.write(reinterpret_cast<const char*>(n), 12);
    out.write(reinterpret_cast<const char*>(a), 12);
    out.write(reinterpret_cast<const char*>(b), 12);
    out.write(reinterpret_cast<const char*>(c), 12);
    out.write(reinterpret_cast<const char*>(&attribute), 2);
  };
  float p00[3], p01[3], p10[3], p11[3];
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      point(r, s, p00);
      point(r, s + 1, p01);
      point(r + 1, s, p10);
      point(r + 1, s + 1, p11);
      triangle(p00, p10, p11);
      triangle(p00, p11, p01);
    }
  }
}

// A painted picture: a gradient and spots of colour, different for every i.
inline QImage PaintedPicture(int i, QSize size, int spots = 400) {
  QImage image(size, QImage::Format_RGB888);
  QPainter painter(&image);
  QLinearGradient gradient(0, 0, size.width(), size.height());
  gradient.setColorAt(0, QColor::fromHsv((i * 41) % 360, 160, 220));
  gradient.setColorAt(1, QColor::fromHsv((i * 41 + 150) % 360, 200, 90));
  painter.fillRect(image.rect(), gradient);
  painter.setPen(Qt::NoPen);
  for (int k = 0; k < spots; ++k) {
    painter.setBrush(QColor::fromHsv((i * 13 + k * 7) % 360, 120 + k % 100, 80 + (k * 37) % 170, 140));
    painter.drawEllipse((k * 7919 + i * 104729) % size.width(), (k * 6271 + i * 1301) % size.height(), 40 + k % 300,
                        30 + (k * 3) % 250);
  }
  painter.end();
  return image;
}

}  // namespace bench
