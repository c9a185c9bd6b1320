#include "contentcheck.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Groups deeper than this make the info window's reader refuse a note.
constexpr int kMaxNoteGroupDepth = 256;
// Samples whose loudest point stays under this (-60 dB of full scale) are heard as silence.
constexpr int kSilentPeak = 33;

bool StartsWith(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* text, std::size_t length) {
  return bytes.size() >= at + length && std::memcmp(bytes.data() + at, text, length) == 0;
}
template <std::size_t N>
bool StartsWith(const std::vector<std::uint8_t>& bytes, std::size_t at, const char (&text)[N]) {
  return StartsWith(bytes, at, text, N - 1);
}

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

bool IsUtf8(const std::vector<std::uint8_t>& bytes, bool& anyMultibyte) {
  anyMultibyte = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::uint8_t c = bytes[i];
    int follow = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
    if (follow < 0 || (follow > 0 && c < 0xC2)) return false;
    if (follow > 0 && i + std::size_t(follow) >= bytes.size()) return false;
    for (int k = 1; k <= follow; ++k) {
      if ((bytes[i + std::size_t(k)] & 0xC0) != 0x80) return false;
    }
    anyMultibyte = anyMultibyte || follow > 0;
    i += std::size_t(follow) + 1;
  }
  return true;
}

}  // namespace

std::string DescribeBytes(const std::vector<std::uint8_t>& bytes) {
  if (StartsWith(bytes, 0, "\x89PNG")) return "a PNG picture";
  if (StartsWith(bytes, 0, "\xFF\xD8\xFF")) return "a JPEG picture";
  if (StartsWith(bytes, 0, "GIF8")) return "a GIF picture";
  if (StartsWith(bytes, 0, "II*\0", 4) || StartsWith(bytes, 0, "MM\0*", 4)) return "a TIFF picture";
  if (StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "WEBP")) return "a WebP picture";
  if (StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "WAVE")) return "a WAVE sound";
  if (StartsWith(bytes, 0, "OggS")) return "an Ogg file";
  if (StartsWith(bytes, 0, "ID3") || StartsWith(bytes, 0, "fLaC")) return "a sound file";
  if (StartsWith(bytes, 0, "%PDF")) return "a PDF document";
  if (StartsWith(bytes, 0, "PK\x03\x04")) return "a ZIP archive (an ODT or DOCX document is one)";
  if (StartsWith(bytes, 0, "\xD0\xCF\x11\xE0")) return "an old Word or Office document";
  if (StartsWith(bytes, 0, "#Inventor") || StartsWith(bytes, 0, "#VRML")) return "a 3D model";
  const std::string movie = MovieContainer(bytes);
  if (!movie.empty()) return "a movie (" + movie + ")";
  if (StartsWith(bytes, 0, "\xFF\xFE") || StartsWith(bytes, 0, "\xFE\xFF")) return "UTF-16 text";
  return {};
}

std::string MovieContainer(const std::vector<std::uint8_t>& bytes) {
  if (StartsWith(bytes, 0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11")) return "ASF";
  if (StartsWith(bytes, 4, "ftyp") || StartsWith(bytes, 4, "moov") || StartsWith(bytes, 4, "mdat")) return "MP4";
  if (StartsWith(bytes, 0, "\x1A\x45\xDF\xA3")) return "Matroska/WebM";
  if (StartsWith(bytes, 0, "RIFF") && StartsWith(bytes, 8, "AVI ")) return "AVI";
  if (StartsWith(bytes, 0, "\0\0\1\xBA", 4) || StartsWith(bytes, 0, "\0\0\1\xB3", 4)) return "MPEG";
  if (bytes.size() > 188 && bytes[0] == 0x47 && bytes[188] == 0x47) return "MPEG transport stream";
  return {};
}

bool CheckNote(const std::vector<std::uint8_t>& bytes, TFinding& finding) {
  finding.Severity = TSeverity::Error;
  if (StartsWith(bytes, 0, "{\\rtf")) {
    if (GroupDepth(bytes) > kMaxNoteGroupDepth) {
      finding.Text = "the note nests its groups deeper than " + std::to_string(kMaxNoteGroupDepth) +
                     ", so the info window shows its RTF code";
      return false;
    }
    return true;
  }
  // Not RTF: the info window shows the bytes as Windows-1252 text.
  std::size_t lead = 0;
  if (StartsWith(bytes, 0, "\xEF\xBB\xBF")) lead = 3;
  while (lead < bytes.size() && (bytes[lead] == ' ' || bytes[lead] == '\t' || bytes[lead] == '\r' || bytes[lead] == '\n')) {
    ++lead;
  }
  if (StartsWith(bytes, lead, "{\\rtf")) {
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
  bool multibyte = false;
  if (IsUtf8(bytes, multibyte) && multibyte) {
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
