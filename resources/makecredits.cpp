// Draws the about box's credits: a 320-pixel-wide picture that scrolls up behind a 320 x 240
// window. Usage: makecredits OUTPUT.png
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <cstdio>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 927;
constexpr int kWindow = 240;

enum class Style { Title, Subtitle, Heading, Name, Note };

struct Line {
  Style style;
  const char* text;
};

// Read top to bottom as the credits scroll; the first and the last 240 rows stand on their own.
const Line kCredits[] = {
    {Style::Heading, "Built with"},
    {Style::Name, "Qt 5.15"},
    {Style::Note, "The Qt Company  -  LGPL 3"},
    {Style::Name, "Coin 4"},
    {Style::Note, "the Coin3D project  -  BSD 3-clause"},
    {Style::Name, "SoQt 1.6"},
    {Style::Note, "the Coin3D project  -  BSD 3-clause"},
    {Style::Name, "zlib"},
    {Style::Note, "Jean-loup Gailly, Mark Adler  -  zlib licence"},
    {Style::Name, "OpenAL Soft"},
    {Style::Note, "Chris Robinson and others  -  LGPL 2 or later"},
    {Style::Name, "GStreamer"},
    {Style::Note, "the GStreamer team  -  LGPL 2.1"},
    {Style::Name, "FFmpeg (through gst-libav)"},
    {Style::Note, "the FFmpeg developers  -  LGPL 2.1"},
    {Style::Name, "libsndfile"},
    {Style::Note, "Erik de Castro Lopo and others  -  LGPL 2.1"},
    {Style::Name, "libsamplerate"},
    {Style::Note, "Erik de Castro Lopo and others  -  BSD 2-clause"},
    {Style::Name, "DejaVu fonts"},
    {Style::Note, "the DejaVu fonts team  -  Bitstream Vera licence"},
};

QFont FontFor(Style style) {
  QFont font(QStringLiteral("DejaVu Sans"));
  switch (style) {
    case Style::Title:
      font.setPixelSize(44);
      font.setBold(true);
      break;
    case Style::Subtitle:
      font.setPixelSize(15);
      font.setItalic(true);
      break;
    case Style::Heading:
      font.setPixelSize(17);
      font.setBold(true);
      break;
    case Style::Name:
      font.setPixelSize(15);
      break;
    case Style::Note:
      font.setPixelSize(11);
      break;
  }
  return font;
}

QColor ColourFor(Style style) {
  switch (style) {
    case Style::Title:
    case Style::Heading:
      return QColor(232, 196, 120);
    case Style::Subtitle:
    case Style::Note:
      return QColor(170, 178, 200);
    default:
      return QColor(240, 240, 240);
  }
}

int HeightOf(Style style) {
  switch (style) {
    case Style::Heading:
      return 30;
    case Style::Name:
      return 19;
    case Style::Note:
      return 17;
    default:
      return 20;
  }
}

void DrawCentred(QPainter& painter, int top, int height, Style style, const QString& text) {
  painter.setFont(FontFor(style));
  painter.setPen(ColourFor(style));
  painter.drawText(QRect(0, top, kWidth, height), Qt::AlignCenter, text);
}

void DrawFrame(QPainter& painter, int top) {
  painter.setPen(QPen(QColor(232, 196, 120, 160), 1));
  painter.drawRect(QRect(12, top + 12, kWidth - 25, kWindow - 25));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: makecredits OUTPUT.png\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  QImage image(kWidth, kHeight, QImage::Format_RGB888);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QLinearGradient background(0, 0, 0, kHeight);
  background.setColorAt(0.0, QColor(18, 22, 48));
  background.setColorAt(0.5, QColor(34, 20, 40));
  background.setColorAt(1.0, QColor(10, 12, 28));
  painter.fillRect(image.rect(), background);

  // The opening frame, shown still for two seconds.
  DrawFrame(painter, 0);
  DrawCentred(painter, 44, 60, Style::Title, QStringLiteral("Pinacora"));
  DrawCentred(painter, 104, 24, Style::Subtitle, QStringLiteral("a museum exhibition in 3D"));
  DrawCentred(painter, 146, 20, Style::Name, QStringLiteral("by the Pinacora developers"));
  DrawCentred(painter, 176, 20, Style::Note, QStringLiteral("version 1.0"));

  // The scrolling part, centred between the opening and the closing frame.
  int total = 0;
  for (const Line& line : kCredits) total += HeightOf(line.style);
  int top = kWindow + (kHeight - 2 * kWindow - total) / 2;
  for (const Line& line : kCredits) {
    DrawCentred(painter, top, HeightOf(line.style), line.style, QString::fromUtf8(line.text));
    top += HeightOf(line.style);
  }

  // The closing frame, where the credits come to rest.
  const int last = kHeight - kWindow;
  DrawFrame(painter, last);
  DrawCentred(painter, last + 36, 56, Style::Title, QStringLiteral("Grazie!"));
  DrawCentred(painter, last + 92, 24, Style::Subtitle, QStringLiteral("Thank you for visiting"));
  DrawCentred(painter, last + 130, 20, Style::Note,
              QStringLiteral("Music: \"Sala grande\", made by our own generator"));
  DrawCentred(painter, last + 176, 20, Style::Note,
              QStringLiteral("(c) 2026 Pinacora developers"));
  painter.end();

  if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "makecredits: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
