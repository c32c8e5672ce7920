#include "server/static_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <stdexcept>
#include <utility>

namespace pellaris::board {

namespace {

// The page's largest file, its WebAssembly, is a few megabytes.
constexpr off_t kLargestFile = 64 << 20;

bool Plain(const std::string& segment) {
  return !segment.empty() && segment[0] != '.' && segment.find_first_of(std::string_view("\\\0%", 3)) == std::string::npos;
}

std::optional<std::string> ReadRegularFile(const std::filesystem::path& file) {
  const int descriptor = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return std::nullopt;
  std::optional<std::string> contents;
  struct stat status {};
  if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= kLargestFile) {
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t have = 0;
    while (have < bytes.size()) {
      const ssize_t got = read(descriptor, bytes.data() + have, bytes.size() - have);
      if (got <= 0) break;
      have += static_cast<std::size_t>(got);
    }
    if (have == bytes.size()) contents = std::move(bytes);
  }
  close(descriptor);
  return contents;
}

}  // namespace

StaticFiles::StaticFiles(const std::filesystem::path& folder) {
  std::error_code error;
  folder_ = std::filesystem::canonical(folder, error);
  if (error || !std::filesystem::is_directory(folder_)) {
    throw std::runtime_error("--page " + folder.string() + ": no such folder");
  }
}

std::optional<HttpResponse> StaticFiles::Serve(const std::vector<std::string>& segments) const {
  std::filesystem::path file = folder_;
  for (const std::string& segment : segments) {
    if (segment.empty()) continue;  // "/play/" and doubled slashes
    if (!Plain(segment)) return std::nullopt;
    file /= segment;
  }
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) file /= "index.html";
  // A link inside the folder may point out of it: what it points to must be inside too.
  const std::filesystem::path real = std::filesystem::canonical(file, error);
  if (error) return std::nullopt;
  const auto [outside, inside] = std::mismatch(folder_.begin(), folder_.end(), real.begin(), real.end());
  if (outside != folder_.end()) return std::nullopt;
  std::optional<std::string> contents = ReadRegularFile(real);
  if (!contents) return std::nullopt;
  return HttpResponse{200, std::string(ContentTypeOf(real)), std::move(*contents), {{"Cache-Control", "no-cache"}}};
}

std::string_view ContentTypeOf(const std::filesystem::path& file) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kTypes = {{
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"},
      {".wasm", "application/wasm"},
      {".css", "text/css; charset=utf-8"},
      {".json", "application/json"},
      {".webmanifest", "application/manifest+json"},
      {".png", "image/png"},
      {".svg", "image/svg+xml"},
      {".ico", "image/x-icon"},
      {".txt", "text/plain; charset=utf-8"},
      {".data", "application/octet-stream"},
      {".map", "application/json"},
  }};
  const std::string extension = file.extension().string();
  for (const auto& [known, type] : kTypes) {
    if (extension == known) return type;
  }
  return "application/octet-stream";
}

}  // namespace pellaris::board
