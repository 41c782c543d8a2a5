#pragma once
// The test skin in its stored forms: a skin directory, the compressed skin payload and file, the
// "Pictures" property bytes of a stored skin, and a form resource holding both kinds of stored skin.
#include "tools/mkskin/TestSkin.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mkskin {

// The INI text: "[section]" and "key=value" lines, each ended by CR LF, no blanks.
std::string IniText(const Skin& skin);

// Writes the INI file `iniName` and every picture into `dir`, which is replaced as a whole: the skin is
// built in a sibling directory first and renamed into place, so a failed run leaves no half skin.
void WriteSkinDirectory(const Skin& skin, const std::filesystem::path& dir, const std::string& iniName);

// "Pictures" of a stored skin: flag and image for picture, inactive picture and mask, the count of
// active pictures and their images.
std::vector<uint8_t> PicturesProperty(const Skin& skin);

// The inflated content of "CompressedData": marker 1, the three flagged images, the count and the
// active images, then the INI text.
std::vector<uint8_t> SkinPayload(const Skin& skin);

// A zlib stream (RFC 1950) of `bytes` at the best compression level.
std::vector<uint8_t> ZlibCompress(const std::vector<uint8_t>& bytes);

// The compressed skin file: marker 1, the size of the data, the data.
std::vector<uint8_t> CompressedSkinFile(const std::vector<uint8_t>& compressedData);

// A text form resource: a TForm named SkinForm owning bsStoredSkin1 (a TbsStoredSkin: FileName
// `iniName`, IniStrings the INI lines, Pictures) and bsCompressedStoredSkin1 (a TbsCompressedStoredSkin:
// FileName `iniName`, CompressedData `compressedData`), binary values as hex lines of 32 bytes.
std::string StoredSkinForm(const Skin& skin, const std::string& iniName, const std::vector<uint8_t>& compressedData);

// Writes the bytes to `path` through a temporary file in the same directory and a rename.
void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace mkskin
