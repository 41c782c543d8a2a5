// Every test program lists and matches the same fonts on every machine: the build's fixed set (see
// tests/support/fonts), set before fontconfig first starts.
#include <cstdlib>

namespace {

const bool kFixedFonts = [] {
  setenv("FONTCONFIG_FILE", XJ_BINARY_DIR "/tests/fonts/fonts.conf", 1);
  return true;
}();

}  // namespace
