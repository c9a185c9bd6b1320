// Text as RTF: one character at a time for any writer of RTF, and plain lines as a small RTF
// document, as the debug log is saved.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <string>

// One UTF-16 code unit of text as RTF: backslashes and braces escaped, a tab as \tab, characters
// beyond ASCII as \'hh where Windows-1252 has them and \uN? otherwise (each half of a surrogate
// pair on its own, as \u takes a signed 16-bit value). Control characters, line ends among them,
// mean something only to the caller, so nothing is written for them.
void AppendRtfText(std::string& rtf, char16_t unit);

// One paragraph per line, in Windows-1252 with the font the log is shown in, each character as
// AppendRtfText writes it; a line separator becomes \line.
QByteArray WriteRtfLines(const QStringList& lines);
