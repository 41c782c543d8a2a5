#include "SkinFiles.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace skintest {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

std::optional<std::vector<int>> ParseInts(const std::string& text, size_t count) {
  std::vector<int> out;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    auto v = ParseInt(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!v) return std::nullopt;
    out.push_back(static_cast<int>(*v));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (out.size() != count) return std::nullopt;
  return out;
}

}  // namespace

const Ini::Section* Ini::Find(const std::string& section) const {
  for (const Section& s : sections)
    if (Lower(s.name) == Lower(section)) return &s;
  return nullptr;
}

std::optional<std::string> Ini::Value(const std::string& section, const std::string& key) const {
  const Section* s = Find(section);
  if (!s) return std::nullopt;
  for (const auto& [k, v] : s->keys)
    if (Lower(k) == Lower(key)) return v;
  return std::nullopt;
}

std::string Ini::Get(const std::string& section, const std::string& key) const {
  return Value(section, key).value_or("");
}

Ini ParseIni(const std::string& text) {
  Ini ini;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    pos = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      ini.sections.push_back({ line.substr(1, line.size() - 2), {} });
    } else if (size_t eq = line.find('='); eq != std::string::npos && !ini.sections.empty()) {
      ini.sections.back().keys.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
  }
  return ini;
}

std::pair<std::optional<Bitmap>, std::string> DecodeBmp(const std::vector<uint8_t>& b) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return { std::nullopt, "no BMP file header" };
  if (U32(b, 2) != b.size()) return { std::nullopt, "bfSize is not the image's length" };
  if (U32(b, 14) != 40) return { std::nullopt, "the info header is not 40 bytes" };
  Bitmap bmp;
  bmp.width = static_cast<int32_t>(U32(b, 18));
  int32_t height = static_cast<int32_t>(U32(b, 22));
  bmp.topDown = height < 0;
  bmp.height = height < 0 ? -height : height;
  bmp.bitsPerPixel = U16(b, 28);
  const uint32_t offBits = U32(b, 10), colours = U32(b, 46);
  if (bmp.width <= 0 || bmp.height <= 0) return { std::nullopt, "empty or negative width" };
  if (U16(b, 26) != 1) return { std::nullopt, "planes is not 1" };
  if (bmp.bitsPerPixel != 1 && bmp.bitsPerPixel != 8 && bmp.bitsPerPixel != 24)
    return { std::nullopt, "unexpected bit count" };
  if (U32(b, 30) != 0) return { std::nullopt, "compressed" };
  const uint32_t paletteSize = bmp.bitsPerPixel == 24 ? 0 : colours == 0 ? 1u << bmp.bitsPerPixel : colours;
  if (paletteSize > (bmp.bitsPerPixel == 24 ? 0u : 1u << bmp.bitsPerPixel)) return { std::nullopt, "too many colours" };
  if (offBits != 54 + 4 * paletteSize) return { std::nullopt, "bfOffBits does not follow the palette" };
  const size_t stride = (static_cast<size_t>(bmp.width) * bmp.bitsPerPixel + 31) / 32 * 4;
  if (offBits + stride * bmp.height != b.size()) return { std::nullopt, "pixel rows do not end the file" };
  const uint32_t sizeImage = U32(b, 34);
  if (sizeImage != 0 && sizeImage != stride * bmp.height) return { std::nullopt, "biSizeImage is wrong" };

  auto paletteColour = [&](uint32_t index) -> std::optional<uint32_t> {
    if (index >= paletteSize) return std::nullopt;
    size_t at = 54 + 4 * index;
    return uint32_t { b[at + 2] } << 16 | uint32_t { b[at + 1] } << 8 | b[at];
  };
  bmp.pixels.resize(static_cast<size_t>(bmp.width) * bmp.height);
  for (int row = 0; row < bmp.height; ++row) {
    const size_t line = offBits + stride * row;
    const int y = bmp.topDown ? row : bmp.height - 1 - row;
    for (int x = 0; x < bmp.width; ++x) {
      uint32_t rgb = 0;
      if (bmp.bitsPerPixel == 24) {
        size_t at = line + 3 * static_cast<size_t>(x);
        rgb = uint32_t { b[at + 2] } << 16 | uint32_t { b[at + 1] } << 8 | b[at];
      } else {
        uint32_t index = bmp.bitsPerPixel == 8 ? b[line + x] : (b[line + x / 8] >> (7 - x % 8)) & 1u;
        auto c = paletteColour(index);
        if (!c) return { std::nullopt, "a pixel indexes past the palette" };
        rgb = *c;
      }
      bmp.pixels[static_cast<size_t>(y) * bmp.width + x] = rgb;
    }
  }
  return { std::move(bmp), {} };
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

std::optional<fs::path> FindSkinFile(const fs::path& dir, const std::string& name) {
  fs::path at = dir;
  size_t start = 0;
  while (start <= name.size()) {
    size_t sep = name.find('\\', start);
    std::string part = name.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
    std::optional<fs::path> match;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(at, ec))
      if (Lower(entry.path().filename().string()) == Lower(part)) match = entry.path();
    if (!match) return std::nullopt;
    at = *match;
    if (sep == std::string::npos) break;
    start = sep + 1;
  }
  return fs::is_regular_file(at) ? std::optional<fs::path>(at) : std::nullopt;
}

std::optional<long long> ParseInt(const std::string& text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    v = v * 10 + (text[i] - '0');
  }
  return text[0] == '-' ? -v : v;
}

std::optional<Rect> ParseRect(const std::string& text) {
  auto v = ParseInts(text, 4);
  if (!v) return std::nullopt;
  return Rect { (*v)[0], (*v)[1], (*v)[2], (*v)[3] };
}

std::optional<Point> ParsePoint(const std::string& text) {
  auto v = ParseInts(text, 2);
  if (!v) return std::nullopt;
  return Point { (*v)[0], (*v)[1] };
}

}  // namespace skintest
