#include "tests/skin/data/SkinTestSupport.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/vcl/Graphics.h"
#include "platform/vcl/IniFiles.h"
#include "platform/win32/Profile.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsSkinDataPrivate.h"

namespace skintest {

TempDir::TempDir() {
  std::string pattern = testing::TempDir() + "xj-skindata-XXXXXX";
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int64_t IniCost(const fs::path& ini) {
  const std::string text = ReadBytes(ini);
  return static_cast<int64_t>(text.size()) + xj::IniRecordBytes(text);
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  EXPECT_TRUE(out.good()) << "cannot write " << path;
}

fs::path CopyTestSkin(const fs::path& dir) {
  fs::copy(kTestSkinDir, dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  return dir / "skin.ini";
}

void ReplaceInFile(const fs::path& file, const std::string& from, const std::string& to) {
  std::string text = ReadBytes(file);
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << "\"" << from << "\" is not in " << file;
  text.replace(at, from.size(), to);
  WriteBytes(file, text);
}

bool PythonZlib(const std::string& mode, const fs::path& in, const fs::path& out) {
  const std::string python = XJ_PYTHON3;
  if (python.empty()) return false;
  const std::string call = mode == "compress" ? "zlib.compress(d, 9)" : "zlib.decompress(d)";
  const std::string command =
      "'" + python + "' -c \"import sys, zlib; d = open(sys.argv[1], 'rb').read(); open(sys.argv[2], 'wb').write(" +
      call + ")\" '" + in.string() + "' '" + out.string() + "'";
  return std::system(command.c_str()) == 0;
}

std::string StreamBytes(TMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void SetStreamBytes(TMemoryStream& stream, const std::string& bytes) {
  stream.Clear();
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
}

FormScreen::FormScreen() : harness_(std::make_unique<xj::test::Harness>()) {
  delete Application;
  Application = new TApplication(nullptr);
}

FormScreen::~FormScreen() {
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
    if (!it->second.expired()) delete it->first;
  delete Application;
  Application = new TApplication(nullptr);
  harness_.reset();
}

std::string ImageBytes(TBitmap* bitmap) {
  TMemoryStream s;
  bitmap->SaveToStream(&s);
  return StreamBytes(s);
}

TBitmap* Active(TList* list, int index) { return static_cast<TBitmap*>(list->Items(index)); }

void ExpectSamePictures(TbsSkinData& a, TbsSkinData& b) {
  EXPECT_EQ(ImageBytes(a.Picture.get()), ImageBytes(b.Picture.get()));
  EXPECT_EQ(ImageBytes(a.InActivePicture.get()), ImageBytes(b.InActivePicture.get()));
  EXPECT_EQ(ImageBytes(a.Mask.get()), ImageBytes(b.Mask.get()));
  ASSERT_EQ(a.ActivePictures->Count(), b.ActivePictures->Count());
  for (int i = 0; i < a.ActivePictures->Count(); ++i)
    EXPECT_EQ(ImageBytes(Active(a.ActivePictures.get(), i)), ImageBytes(Active(b.ActivePictures.get(), i))) << i;
}

std::string SavedWithoutPictureNames(TbsSkinData& data, const fs::path& file) {
  data.SaveToFile(file.string());
  TMemIniFile ini(file.string());
  ini.EraseSection("PICTURES");
  TStringList lines;
  ini.GetStrings(&lines);
  return lines.Text();
}

TForm* FormScreen::NewForm() {
  auto* form = new TForm(nullptr);
  forms_.emplace_back(form, form->LifeToken());
  form->WindowProc = TWndMethod::FromCallable([this, form, old = form->WindowProc](TMessage& m) {
    if (m.Msg >= WM_SKINDATA_BEFORECHANGE && m.Msg <= WM_SKINDATA_AFTERCHANGE) {
      const SentMessage sent { form, m.Msg, m.WParam, m.LParam };
      sent_.push_back(sent);
      if (OnMessage) OnMessage(sent);
    }
    old(m);
  });
  return form;
}

}  // namespace skintest
