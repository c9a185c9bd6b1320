// libFuzzer target: the RTF reader on arbitrary bytes, followed by a layout of what it built (the
// info window lays every note out, so formats that break the layout count as findings too).
#include "rtf/rtfreader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

namespace {
void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(Quiet);  // image decoders complain about every broken picture
  static int argc = 1;
  static char name[] = "fuzz_rtf";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);  // fonts and images need it, for the whole run
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1024 * 1024) return 0;
  QTextDocument document;
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
  if (ReadRtf(bytes, document)) {
    document.setTextWidth(300);
    (void)document.size();
  }
  return 0;
}
