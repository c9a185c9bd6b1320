// Notes as the info window shows them: rich text (RTF), whatever the curator wrote them in.
//
// RTF is stored as it is (a byte-order mark or white space before it is dropped). Plain text in
// UTF-8, UTF-16 with a byte-order mark, or Windows-1252 becomes RTF with every character kept.
// Markdown, HTML, ODT and DOCX documents go through pandoc when it is installed. Anything else is
// refused with what the file appears to be.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the note at path; false with "path: reason" in error. A remark the curator should see
// although the note was taken (such as "read as Windows-1252") goes to notice when given.
bool ImportNote(const std::string& path, std::vector<std::uint8_t>& rtf, std::string& error,
                std::string* notice = nullptr);

// The same for bytes already read; path names the file in messages and its extension tells
// Markdown and HTML apart from plain text.
bool NoteBytesToRtf(const std::vector<std::uint8_t>& bytes, const std::string& path, std::vector<std::uint8_t>& rtf,
                    std::string& error, std::string* notice = nullptr);

// Plain text (UTF-16 code units) as an RTF document, one paragraph per line.
std::string PlainTextToRtf(const std::u16string& text);
