#pragma once
// Hostile skins: the generated test skin broken on purpose, family by family, as a skin found on the
// internet may be — picture indexes out of range; rectangles outside their picture, inverted, empty or
// huge; corner points beyond the face; masks of another size; tiny, huge and truncated pictures; missing
// and repeated sections; records of the wrong class; cross-references to themselves and in circles; a
// hundred thousand records; bytes that are not GBK; compressed skins whose sizes lie; random mutations
// of the good skin; bitmaps of every odd depth, header and run-length coding, and at the size limits;
// INI text damaged or flooded; compressed skins that inflate far or whose streams are odd. Families made
// elsewhere join the set through AddFamily (the form texts, which need the class library).
//
// Every input is a pure function of (seed, index): the same pair gives the same bytes on every machine,
// so a failure is reproduced from two numbers.
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace hostile {

struct Input {
  enum class Kind {
    SkinDirectory,   // the files of a skin directory, the INI "skin.ini"
    CompressedSkin,  // a compressed skin file alone, "skin.skn"
    FormText,        // a form resource as text, "form.txt", read into a form over the good skin
    Events,          // a script of events, "events.txt", played by its family (HostileEvents.h)
  };
  std::string family;
  std::string what;  // one line: what was broken, and how
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  Kind kind { Kind::SkinDirectory };
  // The file the driver loads: skin.ini, skin.skn, form.txt or events.txt.
  std::string Entry() const;
};

struct Family {
  std::string name;
  int count;  // inputs of this family in the whole set
};

// The families in set order; index 0 of the set is the first input of the first family.
const std::vector<Family>& Families();
// A family made outside this library, input k of it from the seed.
using ExternalMaker = Input (*)(uint64_t seed, int k);
// Appends the family to the set, after those already in it; a name the set holds already is left alone.
void AddFamily(const Family& family, ExternalMaker make);
// The size of the whole set (the sum of the families' counts).
int SetSize();
// Which family input `index` of the set belongs to, and its number within that family.
std::pair<int, int> Locate(int index);
// Input `index` of the set made from `seed`. Throws std::out_of_range for an index outside the set.
Input Make(uint64_t seed, int index);

// Writes the input's files under `dir`, which is replaced as a whole.
void Write(const Input& input, const std::filesystem::path& dir);

// The uncompressed content of a compressed skin (pictures then INI text) for the good test skin and the
// good second skin: seeds for a fuzzer that feeds such content to the loader.
std::vector<std::vector<uint8_t>> GoodPayloads();

}  // namespace hostile
