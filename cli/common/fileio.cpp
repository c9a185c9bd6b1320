#include "fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::uint64_t maxBytes) {
  bytes.clear();
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fileno(file.get()), &st) != 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    error = path + ": is a folder, not a file";
    return false;
  }
  if (st.st_size < 0 || std::uint64_t(st.st_size) > maxBytes) {
    error = path + ": too large (" + std::to_string(st.st_size) + " bytes)";
    return false;
  }
  bytes.resize(std::size_t(st.st_size));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    error = path + ": " + (std::ferror(file.get()) ? std::strerror(errno) : "the file changed while it was read");
    bytes.clear();
    return false;
  }
  return true;
}

bool WriteWholeFile(const std::string& path, const std::uint8_t* bytes, std::size_t length, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  if (length > 0 && std::fwrite(bytes, 1, length, file.get()) != length) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string& error) {
  return WriteWholeFile(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), error);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}
