#pragma once
// Shared by the skin data tests: a scratch directory, file bytes, a copy of the generated test skin to
// vary, an independent zlib (Python's) and forms that record the skin-change messages they get.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Forms.h"
#include "platform/testing/TestHooks.h"
#include "platform/win32/WinDef.h"

class TBitmap;
class TList;
class TbsSkinData;

namespace skintest {

namespace fs = std::filesystem;

inline const fs::path kSkins = XJ_TEST_SKIN_DIR;
inline const fs::path kTestSkinDir = kSkins / "test";
inline const fs::path kTestSkinIni = kTestSkinDir / "skin.ini";

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::string& bytes);
// What a skin's INI file takes as a skin data loads it: its bytes, and what the parser builds beside them.
int64_t IniCost(const fs::path& ini);

// Copies the generated skin directory into `dir` and returns the path of its INI file there.
fs::path CopyTestSkin(const fs::path& dir);
// Replaces the first occurrence of `from` in the file (the test fails when it is not there).
void ReplaceInFile(const fs::path& file, const std::string& from, const std::string& to);

// Runs Python's zlib: `mode` "compress" (level 9) or "decompress", from one file into another.
// False when Python is missing or fails.
bool PythonZlib(const std::string& mode, const fs::path& in, const fs::path& out);

// The bytes of a memory stream.
std::string StreamBytes(TMemoryStream& stream);
void SetStreamBytes(TMemoryStream& stream, const std::string& bytes);

// A picture as the bitmap writer writes it, for comparing pictures byte by byte.
std::string ImageBytes(TBitmap* bitmap);
// The active picture at `index` of a list of them.
TBitmap* Active(TList* list, int index);
// Every picture of `a` equals the one of `b` (pixels and format, through the same writer).
void ExpectSamePictures(TbsSkinData& a, TbsSkinData& b);
// The skin as its saved INI text (saved to `file`), without [PICTURES]: stored skins carry no file names.
std::string SavedWithoutPictureNames(TbsSkinData& data, const fs::path& file);

// The application's forms for a test: a harness (headless screen, manual clock), a fresh application,
// forms made here (freed before the harness goes), and every skin-change message any of them got, in
// the order they got them.
struct SentMessage {
  TComponent* form;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const SentMessage&) const = default;
};

class FormScreen {
 public:
  FormScreen();
  ~FormScreen();

  TForm* NewForm();
  const std::vector<SentMessage>& Sent() const { return sent_; }
  void ClearSent() { sent_.clear(); }
  // Called for every message after it is recorded (a test's handler).
  std::function<void(const SentMessage&)> OnMessage;

 private:
  std::unique_ptr<xj::test::Harness> harness_;
  std::vector<std::pair<TForm*, std::weak_ptr<const void>>> forms_;
  std::vector<SentMessage> sent_;
};

}  // namespace skintest
