#include "quantize.h"

#include <algorithm>
#include <map>

namespace assetgen {

namespace {

struct Entry {
  Color color;
  int count = 0;
  int box = 0;
};

using Entries = std::vector<Entry>;
using Range = std::pair<std::size_t, std::size_t>;  // [first, last) in the entries

int Channel(const Color& c, int channel) {
  return channel == 0 ? c.r : channel == 1 ? c.g : c.b;
}

// The channel with the widest spread in a range, and that spread.
std::pair<int, int> WidestChannel(const Entries& entries, Range range) {
  std::pair<int, int> best{0, -1};
  for (int channel = 0; channel < 3; ++channel) {
    int low = 255, high = 0;
    for (std::size_t i = range.first; i < range.second; ++i) {
      low = std::min(low, Channel(entries[i].color, channel));
      high = std::max(high, Channel(entries[i].color, channel));
    }
    if (high - low > best.second) best = {channel, high - low};
  }
  return best;
}

// Splits the range with the widest spread at its pixel-weighted median, until there are enough.
std::vector<Range> MedianCut(Entries& entries, std::size_t boxes) {
  std::vector<Range> ranges;
  if (!entries.empty()) ranges.push_back({0, entries.size()});
  while (!ranges.empty() && ranges.size() < boxes) {
    auto widest = ranges.end();
    int widestSpread = 0;
    int widestChannel = 0;
    for (auto r = ranges.begin(); r != ranges.end(); ++r) {
      const auto [channel, spread] = WidestChannel(entries, *r);
      if (r->second - r->first > 1 && spread > widestSpread) {
        widest = r;
        widestSpread = spread;
        widestChannel = channel;
      }
    }
    if (widest == ranges.end()) break;
    const Range range = *widest;
    std::sort(entries.begin() + static_cast<long>(range.first),
              entries.begin() + static_cast<long>(range.second), [&](const Entry& a, const Entry& b) {
                return Channel(a.color, widestChannel) < Channel(b.color, widestChannel);
              });
    int total = 0;
    for (std::size_t i = range.first; i < range.second; ++i) total += entries[i].count;
    std::size_t split = range.first + 1;
    for (int seen = entries[range.first].count; split + 1 < range.second && seen * 2 < total; ++split) {
      seen += entries[split].count;
    }
    *widest = {range.first, split};
    ranges.push_back({split, range.second});
  }
  return ranges;
}

Color WeightedMean(const Entries& entries, Range range) {
  Shade sum;
  float weight = 0;
  for (std::size_t i = range.first; i < range.second; ++i) {
    const float w = static_cast<float>(entries[i].count);
    sum = sum + Shade{float(entries[i].color.r), float(entries[i].color.g), float(entries[i].color.b)} * w;
    weight += w;
  }
  return ToVisibleColor(sum * (1.0f / weight));
}

std::uint32_t Key(const Color& c) {
  return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

}  // namespace

IndexedPicture Quantize(const Picture& picture, Color background) {
  std::map<std::uint32_t, Entry> unique;
  for (const Color& c : picture.pixels) {
    if (c == background) continue;
    Entry& entry = unique[Key(c)];
    entry.color = c;
    ++entry.count;
  }
  Entries entries;
  for (const auto& [key, entry] : unique) entries.push_back(entry);

  IndexedPicture indexed{picture.width, picture.height, std::vector<Color>(kPaletteSize, kBlack), {}};
  indexed.palette[0] = background;
  const std::vector<Range> ranges = MedianCut(entries, kPaletteSize - 1);
  std::map<std::uint32_t, std::uint8_t> indexOf;
  for (std::size_t box = 0; box < ranges.size(); ++box) {
    const auto index = static_cast<std::uint8_t>(box + 1);
    indexed.palette[index] = WeightedMean(entries, ranges[box]);
    for (std::size_t i = ranges[box].first; i < ranges[box].second; ++i)
      indexOf[Key(entries[i].color)] = index;
  }
  indexed.indices.reserve(picture.pixels.size());
  for (const Color& c : picture.pixels) indexed.indices.push_back(c == background ? 0 : indexOf.at(Key(c)));
  return indexed;
}

}  // namespace assetgen
