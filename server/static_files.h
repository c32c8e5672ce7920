// The game's page (build-web/: index.html, pellaris.js, pellaris.wasm, ...) served from a folder, so
// that the page and the board share an origin and the page can send its rounds. Only regular files
// inside the folder are served, whatever the path says.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/http_types.h"

namespace pellaris::board {

class StaticFiles {
 public:
  // Throws std::runtime_error when `folder` is no folder.
  explicit StaticFiles(const std::filesystem::path& folder);
  // The file the path's segments name (index.html for a folder); nothing when there is none to serve.
  std::optional<HttpResponse> Serve(const std::vector<std::string>& segments) const;

 private:
  std::filesystem::path folder_;  // canonical
};

std::string_view ContentTypeOf(const std::filesystem::path& file);

}  // namespace pellaris::board
