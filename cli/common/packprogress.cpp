#include "packprogress.h"

#include <cstdio>
#include <unistd.h>

namespace {

// A pack that ends sooner than this shows no progress at all.
constexpr auto kQuietStart = std::chrono::seconds(2);
// Long labels are cut so that the line fits a usual terminal.
constexpr std::size_t kLineWidth = 78;

std::string Cut(const std::string& text, std::size_t width) {
  if (text.size() <= width) return text;
  std::size_t keep = width - 3;
  // Never split a UTF-8 character.
  while (keep > 0 && (static_cast<unsigned char>(text[keep]) & 0xC0) == 0x80) --keep;
  return text.substr(0, keep) + "...";
}

}  // namespace

TPackProgress::Mode ChooseProgressMode(bool quiet, bool progress) {
  if (quiet) return TPackProgress::Mode::Quiet;
  if (progress) return TPackProgress::Mode::Lines;
  return isatty(STDERR_FILENO) ? TPackProgress::Mode::Terminal : TPackProgress::Mode::Silent;
}

TPackProgress::TPackProgress(Mode mode, std::size_t lists)
    : Shown(mode), Lists(lists), Start(std::chrono::steady_clock::now()) {}

TPackProgress::~TPackProgress() { Finish(); }

void TPackProgress::Working(const std::string& list, const std::string& input) {
  if (Shown != Mode::Terminal || std::chrono::steady_clock::now() - Start < kQuietStart) return;
  ShowLine("[" + std::to_string(Done + 1) + "/" + std::to_string(Lists) + "] " + list + ": " + input);
}

void TPackProgress::ListDone(const std::string& list) {
  ++Done;
  if (Shown == Mode::Lines) {
    std::fprintf(stderr, "pinacora-data pack: [%zu/%zu] %s\n", Done, Lists, list.c_str());
  }
}

void TPackProgress::Remark(const std::string& text) {
  if (Shown == Mode::Quiet) return;
  ClearLine();
  std::fprintf(stderr, "pinacora-data pack: %s\n", text.c_str());
}

void TPackProgress::Finish() { ClearLine(); }

void TPackProgress::ShowLine(const std::string& text) {
  // Back to the line's start, the new text, then clear what is left of the old one.
  std::fprintf(stderr, "\r%s\033[K", Cut("pinacora-data pack: " + text, kLineWidth).c_str());
  std::fflush(stderr);
  LineShown = true;
}

void TPackProgress::ClearLine() {
  if (!LineShown) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  LineShown = false;
}
