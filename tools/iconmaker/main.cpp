// Writes the application icons, the craft on a transparent square at every size the desktop asks
// for, as <output>/<N>x<N>/<name>.png:
//   pellaris-iconmaker <craft.png> <output folder> <icon name>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "icon_layout.h"
#include "png_file.h"

namespace {

constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

bool WriteIcons(const iconmaker::Image& art, const std::filesystem::path& output, const std::string& name) {
  for (const int size : kIconSizes) {
    const std::string side = std::to_string(size);
    const std::filesystem::path folder = output / (side + "x" + side);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path file = folder / (name + ".png");
    if (error || !iconmaker::WritePng(file.string(), iconmaker::MakeIcon(art, size))) {
      std::cerr << "pellaris-iconmaker: cannot write " << file << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: pellaris-iconmaker <craft.png> <output folder> <icon name>\n";
    return 2;
  }
  const std::optional<iconmaker::Image> art = iconmaker::ReadPng(argv[1]);
  if (!art) {
    std::cerr << "pellaris-iconmaker: cannot read " << argv[1] << "\n";
    return 1;
  }
  return WriteIcons(iconmaker::BlackToTransparent(*art), argv[2], argv[3]) ? 0 : 1;
}
