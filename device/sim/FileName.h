#pragma once
// The box is handed file names in GBK, the way the operator typed them; the file system wants UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace kaldo {

// GBK to UTF-8, with "\" taken as the path separator "/" (the player maps names the same way).
// Nullopt when the bytes are not valid GBK.
std::optional<std::string> GbkFileNameToUtf8(std::string_view gbk);

}  // namespace kaldo
