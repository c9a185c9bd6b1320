#include "noteimport.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "common/fileio.h"
#include "common/signatures.h"
#include "data/cp1252.h"
#include "data/utf8.h"
#include "rtf/rtfwriter.h"
#include "runprogram.h"

namespace {

// A converted document is small; a converter that takes longer than this has hung.
constexpr int kPandocSeconds = 120;

using Bytes = std::vector<std::uint8_t>;

bool StartsWithNoCase(const Bytes& bytes, std::size_t at, const char* text) {
  const std::size_t n = std::strlen(text);
  if (bytes.size() < at + n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::tolower(bytes[at + i]) != std::tolower(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

bool Contains(const Bytes& bytes, const char* text) {
  const std::size_t n = std::strlen(text);
  return std::search(bytes.begin(), bytes.end(), text, text + n) != bytes.end();
}

std::string Extension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// Past a UTF-8 byte-order mark and white space.
std::size_t SkipLead(const Bytes& bytes) {
  std::size_t at = BytesAt(bytes, 0, "\xEF\xBB\xBF") ? 3 : 0;
  while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n')) ++at;
  return at;
}

// Office documents are ZIP archives; the names of their parts tell them apart.
enum class Zipped { NotZip, Odt, Docx, Other };
Zipped ZipKind(const Bytes& b, std::string& kind) {
  if (!BytesAt(b, 0, "PK\x03\x04")) return Zipped::NotZip;
  // An OpenDocument file starts with its uncompressed "mimetype" part.
  if (BytesAt(b, 30, "mimetype")) {
    if (BytesAt(b, 38, "application/vnd.oasis.opendocument.text")) return Zipped::Odt;
    if (BytesAt(b, 38, "application/vnd.oasis.opendocument.spreadsheet")) kind = "an OpenDocument spreadsheet";
    else if (BytesAt(b, 38, "application/vnd.oasis.opendocument.presentation")) kind = "an OpenDocument presentation";
    else if (BytesAt(b, 38, "application/epub+zip")) kind = "an EPUB book";
    else kind = "an OpenDocument file that is not a text document";
    return Zipped::Other;
  }
  if (Contains(b, "word/document.xml")) return Zipped::Docx;
  if (Contains(b, "xl/workbook.xml")) kind = "an Excel spreadsheet";
  else if (Contains(b, "ppt/presentation.xml")) kind = "a PowerPoint presentation";
  else kind = "a ZIP archive";
  return Zipped::Other;
}

bool LooksLikeHtml(const Bytes& b, std::size_t at) {
  return StartsWithNoCase(b, at, "<!doctype html") || StartsWithNoCase(b, at, "<html") ||
         StartsWithNoCase(b, at, "<head") || StartsWithNoCase(b, at, "<body");
}

// UTF-8 to UTF-16; false at the first broken sequence.
bool DecodeUtf8(const Bytes& b, std::size_t at, std::u16string& out) {
  out.clear();
  out.reserve(b.size() - at);
  const char* text = reinterpret_cast<const char*>(b.data());
  while (at < b.size()) {
    char32_t c = 0;
    if (!NextUtf8(text, b.size(), at, c)) return false;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(char16_t(0xD800 + (c >> 10)));
      out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(char16_t(c));
    }
  }
  return true;
}

void DecodeUtf16(const Bytes& b, bool bigEndian, std::u16string& out) {
  out.clear();
  for (std::size_t i = 2; i + 1 < b.size(); i += 2) {
    out.push_back(bigEndian ? char16_t((b[i] << 8) | b[i + 1]) : char16_t(b[i] | (b[i + 1] << 8)));
  }
}

void DecodeCp1252(const Bytes& b, std::u16string& out) {
  const std::string utf8 = Cp1252ToUtf8(std::string(b.begin(), b.end()));
  DecodeUtf8(Bytes(utf8.begin(), utf8.end()), 0, out);
}

// Text has no NUL and few control characters besides tab, line ends, form feed and the old
// end-of-file mark.
bool LooksLikeText(const std::u16string& text) {
  std::size_t controls = 0;
  for (const char16_t c : text) {
    if (c == 0) return false;
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A) ++controls;
  }
  return controls * 100 <= text.size();
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// RTF that came as UTF-16: its ASCII is the document; anything else is kept as a Unicode escape.
std::string Utf16RtfToBytes(const std::u16string& text) {
  std::string rtf;
  for (const char16_t c : text) {
    if (c < 0x80) rtf.push_back(char(c));
    else AppendRtfText(rtf, c);
  }
  return rtf;
}

bool Fail(std::string& error, const std::string& message) {
  error = message;
  return false;
}

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/pinacora-note-XXXXXX";
  return mkdtemp(&folder[0]) != nullptr ? folder : std::string();
}

// The pictures pandoc could not find, from its warnings ("Could not fetch resource NAME: ..."),
// each once: "the picture 'a.png'" or "the pictures 'a.png', 'b.jpg'"; empty when none.
std::string MissingPictures(const std::string& warnings) {
  static const std::string kMarker = "Could not fetch resource ";
  std::vector<std::string> names;
  for (std::size_t at = warnings.find(kMarker); at != std::string::npos; at = warnings.find(kMarker, at)) {
    at += kMarker.size();
    std::size_t end = warnings.find(": ", at);
    const std::size_t line = warnings.find('\n', at);
    if (end == std::string::npos || (line != std::string::npos && line < end)) end = line;
    const std::string name = warnings.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "'" : ", '") + name + "'";
  if (names.empty()) return text;
  return (names.size() == 1 ? "the picture " : "the pictures ") + text;
}

// Converts a document with pandoc. Text formats arrive as UTF-8 text, the others as their file.
bool ConvertWithPandoc(const std::string& path, const std::string& format, const std::string& kind,
                       const std::string* utf8Text, Bytes& rtf, std::string& error) {
  if (FindProgram("pandoc").empty()) {
    return Fail(error, path + ": " + kind + "; turning it into a note needs pandoc, which is not installed "
                       "(install the Debian package \"pandoc\", or save the note as RTF or plain text)");
  }
  const std::string folder = TempFolder();
  if (folder.empty()) return Fail(error, path + ": cannot make a temporary folder for pandoc");
  const std::string input = utf8Text != nullptr ? folder + "/note." + format : path;
  const std::string output = folder + "/note.rtf";
  bool ok = true;
  if (utf8Text != nullptr) {
    ok = WriteTextFile(input, *utf8Text, error);
  }
  // Pictures a text names are looked for beside the note, wherever pandoc reads it from.
  const std::size_t slash = path.find_last_of('/');
  const std::string noteFolder = slash == std::string::npos ? "." : path.substr(0, std::max<std::size_t>(slash, 1));
  if (ok) {
    const TProgramRun run = RunProgram({"pandoc", "--from=" + format, "--to=rtf", "--standalone",
                                        "--resource-path=" + noteFolder, "--output=" + output, input},
                                       kPandocSeconds);
    if (!run.Started) {
      ok = Fail(error, path + ": could not start pandoc");
    } else if (run.TimedOut) {
      ok = Fail(error, path + ": pandoc took more than " + std::to_string(kPandocSeconds) + " seconds and was stopped");
    } else if (run.Status != 0) {
      // pandoc names the copy it read; the curator knows the note.
      std::string said = run.Errors;
      for (std::size_t at; input != path && (at = said.find(input)) != std::string::npos;) said.replace(at, input.size(), path);
      ok = Fail(error, path + ": pandoc could not read " + kind + (said.empty() ? "" : ": " + said));
    } else {
      std::string readError;
      ok = ReadWholeFile(output, rtf, readError);
      if (!ok) error = path + ": pandoc wrote nothing readable (" + readError + ")";
      else if (!BytesAt(rtf, 0, "{\\rtf")) ok = Fail(error, path + ": pandoc did not write RTF");
      else if (const std::string missing = MissingPictures(run.Errors); !missing.empty()) {
        ok = Fail(error, path + ": names " + missing + ", which " + (missing.find("', '") == std::string::npos ? "is" : "are") +
                             " not there (looked in " + noteFolder + "); put the picture beside the note or mend its name");
      }
    }
  }
  if (utf8Text != nullptr) unlink(input.c_str());
  unlink(output.c_str());
  rmdir(folder.c_str());
  return ok;
}

}  // namespace

std::string PlainTextToRtf(const std::u16string& text) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs22\n";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // Windows line ends
      rtf += "\\par\n";
    } else if (c == '\f') {
      rtf += "\\page\n";
    } else if ((c >= 0x7F && c < 0xA0) || c == 0xFEFF) {
      continue;  // control characters and byte-order marks are not text
    } else {
      AppendRtfText(rtf, c);  // other control characters are not written either
    }
  }
  rtf += "\n}\n";
  return rtf;
}

bool NoteBytesToRtf(const Bytes& bytes, const std::string& path, Bytes& rtf, std::string& error, std::string* notice) {
  if (bytes.empty()) return Fail(error, path + ": the file is empty");
  const std::size_t start = SkipLead(bytes);
  if (BytesAt(bytes, start, "{\\rtf")) {
    rtf.assign(bytes.begin() + std::ptrdiff_t(start), bytes.end());
    return true;
  }

  std::string kind;
  switch (ZipKind(bytes, kind)) {
    case Zipped::Odt: return ConvertWithPandoc(path, "odt", "an ODT document", nullptr, rtf, error);
    case Zipped::Docx: return ConvertWithPandoc(path, "docx", "a DOCX document", nullptr, rtf, error);
    case Zipped::Other: return Fail(error, path + ": " + kind + ", not a note (notes are RTF, text, Markdown, HTML, ODT or DOCX)");
    case Zipped::NotZip: break;
  }

  // The text, whatever its encoding.
  std::u16string text;
  std::string encoding;
  if (BytesAt(bytes, 0, "\xFF\xFE") || BytesAt(bytes, 0, "\xFE\xFF")) {
    DecodeUtf16(bytes, bytes[0] == 0xFE, text);
    encoding = "UTF-16";
  } else if (DecodeUtf8(bytes, BytesAt(bytes, 0, "\xEF\xBB\xBF") ? 3 : 0, text)) {
    encoding = "UTF-8";
  } else {
    DecodeCp1252(bytes, text);
    encoding = "Windows-1252";
  }
  if (!LooksLikeText(text)) {
    // A kind may come with advice after a semicolon; it goes last.
    const TFileKind* known = KindOfBytes(bytes);
    const std::string advice = known != nullptr && known->Advice != nullptr ? std::string("; ") + known->Advice : "";
    return Fail(error, path + ": " + (known != nullptr ? known->Kind : "binary data") +
                           ", not a note (notes are RTF, text, Markdown, HTML, ODT or DOCX)" + advice);
  }
  if (encoding == "UTF-16") {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
    if (text.compare(at, 5, u"{\\rtf") == 0) {
      const std::string converted = Utf16RtfToBytes(text.substr(at));
      rtf.assign(converted.begin(), converted.end());
      return true;
    }
  }
  if (encoding == "Windows-1252" && notice != nullptr) {
    *notice = path + ": not UTF-8 text; read as Windows-1252";
  }

  const std::string ext = Extension(path);
  std::size_t textStart = 0;
  while (textStart < text.size() && (text[textStart] == 0xFEFF || text[textStart] <= ' ')) ++textStart;
  const std::string lead = Utf16ToUtf8(text.substr(textStart, 16));
  const bool html = ext == "html" || ext == "htm" || ext == "xhtml" || LooksLikeHtml(Bytes(lead.begin(), lead.end()), 0);
  if (html || ext == "md" || ext == "markdown" || ext == "mkd" || ext == "mdown") {
    const std::string utf8 = Utf16ToUtf8(text);
    return ConvertWithPandoc(path, html ? "html" : "markdown", html ? "an HTML page" : "a Markdown text", &utf8, rtf, error);
  }
  const std::string converted = PlainTextToRtf(text);
  rtf.assign(converted.begin(), converted.end());
  return true;
}

bool ImportNote(const std::string& path, Bytes& rtf, std::string& error, std::string* notice) {
  Bytes bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  return NoteBytesToRtf(bytes, path, rtf, error, notice);
}
