// Plain lines of text as a small RTF document, as the debug log is saved.
#pragma once

#include <QByteArray>
#include <QStringList>

// One paragraph per line, in Windows-1252 with the font the log is shown in. Backslashes and
// braces are escaped, characters beyond ASCII become \'hh where Windows-1252 has them and \uN
// otherwise; tabs and line separators keep their meaning, other control characters are dropped.
QByteArray WriteRtfLines(const QStringList& lines);
