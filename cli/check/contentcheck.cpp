#include "contentcheck.h"

#include <algorithm>
#include <cstdlib>

#include "common/signatures.h"
#include "data/utf8.h"
#include "rtf/rtfreader.h"

namespace {

// Samples whose loudest point stays under this (-60 dB of full scale) are heard as silence.
constexpr int kSilentPeak = 33;

// The deepest group nesting of RTF, escaped braces skipped; stops where the outer group closes.
int GroupDepth(const std::vector<std::uint8_t>& bytes) {
  int depth = 0, deepest = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::uint8_t c = bytes[i];
    if (c == '\\') {
      ++i;  // the escaped character, whatever it is
    } else if (c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == '}' && --depth <= 0) {
      break;
    }
  }
  return deepest;
}

// True when the bytes are valid UTF-8 that holds at least one character beyond ASCII.
bool IsUtf8BeyondAscii(const std::vector<std::uint8_t>& bytes) {
  const char* text = reinterpret_cast<const char*>(bytes.data());
  bool beyondAscii = false;
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = 0;
    if (!NextUtf8(text, bytes.size(), i, c)) return false;
    beyondAscii = beyondAscii || c >= 0x80;
  }
  return beyondAscii;
}

}  // namespace

std::string DescribeBytes(const std::vector<std::uint8_t>& bytes) {
  if (const TFileKind* kind = KindOfBytes(bytes)) return kind->Kind;
  if (BytesAt(bytes, 0, "\xFF\xFE") || BytesAt(bytes, 0, "\xFE\xFF")) return "UTF-16 text";
  return {};
}

bool CheckNote(const std::vector<std::uint8_t>& bytes, TFinding& finding) {
  finding.Severity = TSeverity::Error;
  if (BytesAt(bytes, 0, "{\\rtf")) {
    if (GroupDepth(bytes) > RtfMaxGroupDepth) {
      finding.Text = "the note nests its groups deeper than " + std::to_string(RtfMaxGroupDepth) +
                     ", so the info window shows its RTF code";
      return false;
    }
    return true;
  }
  // Not RTF: the info window shows the bytes as Windows-1252 text.
  std::size_t lead = 0;
  if (BytesAt(bytes, 0, "\xEF\xBB\xBF")) lead = 3;
  while (lead < bytes.size() && (bytes[lead] == ' ' || bytes[lead] == '\t' || bytes[lead] == '\r' || bytes[lead] == '\n')) {
    ++lead;
  }
  if (BytesAt(bytes, lead, "{\\rtf")) {
    finding.Text = "the note's RTF starts after " + std::to_string(lead) +
                   " bytes of byte-order mark or white space, so the info window shows its RTF code";
    return false;
  }
  const std::string kind = DescribeBytes(bytes);
  if (!kind.empty()) {
    finding.Text = "the note is " + kind + ", not RTF or text, so the info window shows garbage";
    return false;
  }
  int controls = 0;
  for (const std::uint8_t c : bytes) controls += (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f') ? 1 : 0;
  if (controls > 0) {
    finding.Text = "the note holds " + std::to_string(controls) +
                   " control bytes, so it is no text, and the info window shows garbage";
    return false;
  }
  if (IsUtf8BeyondAscii(bytes)) {
    finding.Text = "the note is plain UTF-8 text, which the info window shows as Windows-1252, so its accented "
                   "letters come out wrong";
    return false;
  }
  finding.Severity = TSeverity::Warning;
  finding.Text = "the note is plain text, not RTF, so the info window shows it without formatting";
  return false;
}

bool CheckMovie(const std::vector<std::uint8_t>& bytes, TFinding& finding) {
  if (!MovieContainer(bytes).empty()) return true;
  finding.Severity = TSeverity::Error;
  const std::string kind = DescribeBytes(bytes);
  finding.Text = "the movie is " + (kind.empty() ? std::string("no container the movie window plays") : kind) +
                 " (it plays ASF/WMV, MP4, Matroska/WebM, AVI and MPEG)";
  return false;
}

bool CheckSound(const std::vector<std::uint8_t>& samples, TFinding& finding) {
  finding.Severity = TSeverity::Warning;
  if (samples.size() < kFadeInBytes) {
    finding.Text = "the sound lasts " + std::to_string(samples.size() / 2 * 1000 / 11025) +
                   " ms, shorter than the playlist's 130 ms fade-in, so it is never heard at full level";
    return false;
  }
  int peak = 0;
  for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
    const int sample = std::int16_t(std::uint16_t(samples[i] | (samples[i + 1] << 8)));
    peak = std::max(peak, std::abs(sample));
  }
  if (peak < kSilentPeak) {
    finding.Text = "the sound is silent (its loudest sample is " + std::to_string(peak) + " of 32767)";
    return false;
  }
  return true;
}
