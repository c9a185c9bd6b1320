#include "notehtml.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include "data/cp1252.h"
#include "rtf/rtfreader.h"

namespace {

// What the info window takes as plain text when the bytes are not RTF.
bool CanShowAsText(const std::string& bytes) { return !bytes.empty() && bytes.find('\0') == std::string::npos; }

QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

std::vector<unsigned char> EncodeImage(const QImage& image, bool& png) {
  png = image.hasAlphaChannel();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, png ? "PNG" : "JPEG", png ? -1 : 90);
  return std::vector<unsigned char>(bytes.constData(), bytes.constData() + bytes.size());
}

// The body of QTextDocument's HTML, wrapped in a div that keeps the body's own style.
QString BodyOf(const QString& html) {
  static const QRegularExpression body(QStringLiteral("<body([^>]*)>(.*)</body>"),
                                       QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch match = body.match(html);
  if (!match.hasMatch()) return html;
  return QStringLiteral("<div class=\"note-rich\"%1>%2</div>").arg(match.captured(1), match.captured(2));
}

}  // namespace

TNoteHtml NoteToHtml(const std::string& bytes, const std::string& picturePrefix) {
  TNoteHtml note;
  QTextDocument document;
  QFont font(QStringLiteral("Verdana"));
  font.setPointSize(8);
  document.setDefaultFont(font);
  const QByteArray raw(bytes.data(), static_cast<int>(bytes.size()));
  if (ReadRtf(raw, document)) {
    note.Shown = note.Rich = true;
    note.Text = document.toPlainText().toStdString();
    QString html = BodyOf(document.toHtml(QByteArrayLiteral("utf-8")));
    // Every picture the reader added becomes a file; the HTML then names the file.
    static const QRegularExpression source(QStringLiteral("src=\"(rtf-image-[0-9]+)\""));
    QRegularExpressionMatchIterator found = source.globalMatch(html);
    QStringList names;
    while (found.hasNext()) {
      const QString name = found.next().captured(1);
      if (!names.contains(name)) names.append(name);
    }
    for (const QString& name : names) {
      const QImage image = document.resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>();
      if (image.isNull()) continue;
      bool png = false;
      TNotePicture picture;
      picture.Bytes = EncodeImage(image, png);
      picture.File = picturePrefix + "-" + name.mid(10).toStdString() + (png ? ".png" : ".jpg");
      html.replace(QStringLiteral("src=\"%1\"").arg(name),
                   QStringLiteral("src=\"%1\" alt=\"\"").arg(QString::fromStdString(picture.File)));
      note.Pictures.push_back(std::move(picture));
    }
    note.Html = html.toStdString();
    return note;
  }
  if (!CanShowAsText(bytes)) return note;
  note.Shown = true;
  const QString text = QString::fromStdString(Cp1252ToUtf8(bytes));
  document.setPlainText(text);
  note.Text = document.toPlainText().toStdString();
  note.Html = "<pre class=\"note-plain\">" + Escaped(text).toStdString() + "</pre>";
  return note;
}
