// Texts of the data file are Windows-1252 bytes; the user interface shows them as QString.
#pragma once

#include <QString>
#include <string>

QString FromCp1252(const std::string& bytes);
QString FromCp1252(const char* bytes, int length);
std::string ToCp1252(const QString& text);

// The program's title line: two spaces and the application's title text.
QString ProgramTitleLine();

// Names of the data file: Windows-1252, or UTF-8 for a name Windows-1252 cannot hold.
QString FromNameBytes(const std::string& bytes);
