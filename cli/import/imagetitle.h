// A picture's own title, as cameras and photo managers store it: the Windows title (XPTitle) or
// the description (ImageDescription) of a JPEG's EXIF block, or a PNG's "Title" text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The title as UTF-8, or an empty text when the picture has none.
std::string PictureTitle(const std::string& path);

// The title within the bytes of an EXIF block (from its "Exif\0\0" header on); empty when none.
std::string ExifTitle(const std::uint8_t* data, std::size_t size);
