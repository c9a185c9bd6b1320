// What each work costs a kiosk to draw: its faces and the bytes of the pictures it shows.
#pragma once

#include <string>
#include <vector>

// One line per work in the file's scene lists, "work <Id>: <faces> faces, <bytes> texture bytes",
// in order of Id. A work counts every face set drawn from its coordinates (a model with several
// pictures is one work in several parts) and each picture once. Empty when the file holds no
// readable scene.
std::vector<std::string> DescribeWorkCosts(const std::string& path);
