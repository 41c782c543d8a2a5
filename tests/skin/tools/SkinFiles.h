#pragma once
// Minimal readers for checking the generated test skin: an INI parser, a BMP decoder and a
// case-insensitive path lookup. Written apart from the generator so that the two check each other.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace skintest {

struct Ini {
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };

  // Section and key names compare without regard to ASCII case; the first occurrence wins.
  const Section* Find(const std::string& section) const;
  std::optional<std::string> Value(const std::string& section, const std::string& key) const;
  std::string Get(const std::string& section, const std::string& key) const;  // "" when missing

  std::vector<Section> sections;
};

// Lines "[name]" and "key=value", ended by CR LF or LF.
Ini ParseIni(const std::string& text);

struct Bitmap {
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

  int width { 0 };
  int height { 0 };
  int bitsPerPixel { 0 };
  bool topDown { false };
  std::vector<uint32_t> pixels;  // 0xRRGGBB, top row first
};

// Decodes one complete BMP file image (1, 8 or 24 bits, uncompressed). Returns an error text instead
// when a header field is inconsistent; `bytes` must be exactly the image (bfSize = its length).
std::pair<std::optional<Bitmap>, std::string> DecodeBmp(const std::vector<uint8_t>& bytes);

std::vector<uint8_t> ReadFile(const std::filesystem::path& path);

// The file a skin names: "\" separates directories and each component may differ in letter case.
std::optional<std::filesystem::path> FindSkinFile(const std::filesystem::path& dir, const std::string& name);

struct Rect {
  int l { 0 }, t { 0 }, r { 0 }, b { 0 };
  int Width() const { return r - l; }
  int Height() const { return b - t; }
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x { 0 }, y { 0 };
};

// "L,T,R,B" and "X,Y" with optional minus signs; nullopt for anything else.
std::optional<Rect> ParseRect(const std::string& text);
std::optional<Point> ParsePoint(const std::string& text);
std::optional<long long> ParseInt(const std::string& text);

}  // namespace skintest
