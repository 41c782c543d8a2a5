#include "tools/mkskin/SkinFiles.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace mkskin {

namespace fs = std::filesystem;

namespace {

void Put32(std::vector<uint8_t>& out, int32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> shift));
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// Flag 0 and the image; a picture without pixels is flag 1 alone.
void PutFlaggedImage(std::vector<uint8_t>& out, const Picture& picture) {
  bool empty = picture.width == 0 || picture.height == 0;
  out.push_back(empty ? 1 : 0);
  if (!empty) Append(out, BmpBytes(picture));
}

void PutPictures(std::vector<uint8_t>& out, const Skin& skin) {
  PutFlaggedImage(out, skin.picture.picture);
  PutFlaggedImage(out, skin.inactivePicture.picture);
  PutFlaggedImage(out, skin.mask.picture);
  Put32(out, static_cast<int32_t>(skin.activePictures.size()));
  for (const SkinPicture& p : skin.activePictures) Append(out, BmpBytes(p.picture));
}

void WriteOrThrow(const fs::path& path, const char* data, size_t size) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(data, static_cast<std::streamsize>(size));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

// A quoted string of the form format: quotes doubled, control characters as #n outside the quotes.
std::string StringLiteral(const std::string& s) {
  if (s.empty()) return "''";
  std::string out;
  bool quoted = false;
  for (const char c : s) {
    const bool control = static_cast<unsigned char>(c) < 32;
    if (control == quoted) out += '\'';
    quoted = !control;
    if (control) {
      out += '#' + std::to_string(static_cast<unsigned char>(c));
    } else {
      out += c;
      if (c == '\'') out += '\'';
    }
  }
  if (quoted) out += '\'';
  return out;
}

// "Name = {" and the bytes as hex, 32 a line, each line indented one step deeper than the property.
std::string BinaryProperty(const std::string& indent, const std::string& name, const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out = indent + name + " = {";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 32 == 0) out += "\r\n" + indent + "  ";
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out + "}\r\n";
}

}  // namespace

std::string IniText(const Skin& skin) {
  std::string text;
  for (const IniSection& section : skin.ini) {
    text += "[" + section.name + "]\r\n";
    for (const auto& [key, value] : section.keys) text += key + "=" + value + "\r\n";
  }
  return text;
}

void WriteSkinDirectory(const Skin& skin, const fs::path& dir, const std::string& iniName) {
  fs::path staging = dir;
  staging += ".new";
  fs::remove_all(staging);
  fs::create_directories(staging);

  const std::string ini = IniText(skin);
  WriteOrThrow(staging / iniName, ini.data(), ini.size());
  auto writePicture = [&](const SkinPicture& p) {
    if (p.fileName.empty()) return;  // a skin without that picture (no mask)
    fs::path path = staging / p.fileName;
    fs::create_directories(path.parent_path());
    std::vector<uint8_t> bytes = BmpBytes(p.picture);
    WriteOrThrow(path, reinterpret_cast<const char*>(bytes.data()), bytes.size());
  };
  writePicture(skin.picture);
  writePicture(skin.inactivePicture);
  writePicture(skin.mask);
  for (const SkinPicture& p : skin.activePictures) writePicture(p);

  fs::remove_all(dir);
  fs::rename(staging, dir);
}

std::vector<uint8_t> PicturesProperty(const Skin& skin) {
  std::vector<uint8_t> out;
  PutPictures(out, skin);
  return out;
}

std::vector<uint8_t> SkinPayload(const Skin& skin) {
  std::vector<uint8_t> out;
  Put32(out, 1);
  PutPictures(out, skin);
  const std::string ini = IniText(skin);
  out.insert(out.end(), ini.begin(), ini.end());
  return out;
}

std::vector<uint8_t> ZlibCompress(const std::vector<uint8_t>& bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<uint8_t> out(size);
  int rc = compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), Z_BEST_COMPRESSION);
  if (rc != Z_OK) throw std::runtime_error("zlib compression failed (" + std::to_string(rc) + ")");
  out.resize(size);
  return out;
}

std::vector<uint8_t> CompressedSkinFile(const std::vector<uint8_t>& compressedData) {
  std::vector<uint8_t> out;
  Put32(out, 1);
  Put32(out, static_cast<int32_t>(compressedData.size()));
  Append(out, compressedData);
  return out;
}

std::string StoredSkinForm(const Skin& skin, const std::string& iniName, const std::vector<uint8_t>& compressedData) {
  const std::string in = "    ";
  std::string text = "object SkinForm: TForm\r\n  object bsStoredSkin1: TbsStoredSkin\r\n";
  text += in + "FileName = " + StringLiteral(iniName) + "\r\n";
  text += in + "IniStrings.Strings = (";
  const std::string ini = IniText(skin);
  for (size_t at = 0; at < ini.size();) {
    const size_t end = std::min(ini.find("\r\n", at), ini.size());
    text += "\r\n" + in + "  " + StringLiteral(ini.substr(at, end - at));
    at = end + 2;
  }
  text += ")\r\n";
  text += BinaryProperty(in, "Pictures", PicturesProperty(skin));
  text += "  end\r\n  object bsCompressedStoredSkin1: TbsCompressedStoredSkin\r\n";
  text += in + "FileName = " + StringLiteral(iniName) + "\r\n";
  text += BinaryProperty(in, "CompressedData", compressedData);
  return text + "  end\r\nend\r\n";
}

void WriteFileBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::path temp = path;
  temp += ".tmp";
  WriteOrThrow(temp, reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp);
    throw std::runtime_error("cannot replace " + path.string() + ": " + ec.message());
  }
}

}  // namespace mkskin
