#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/IniFiles.h"
#include "platform/win32/Profile.h"
#include "platform/win32/WinBase.h"
#include "tests/platform/classes/TempDir.h"

namespace {

// The same rules hold for the file-backed INI, the in-memory INI loaded from a file, and the
// in-memory INI made from lines.
enum TFront { feIniFile, feMemFile, feMemStrings };

const char* FrontName(TFront f) {
  return f == feIniFile ? "TIniFile" : f == feMemFile ? "TMemIniFile(file)" : "TMemIniFile(strings)";
}

class IniRules : public testing::TestWithParam<TFront> {
 protected:
  std::unique_ptr<TCustomIniFile> Open(const std::string& text) {
    if (GetParam() == feMemStrings) {
      auto ini = std::make_unique<TMemIniFile>("");
      TStringList lines;
      lines.SetText(text);
      ini->SetStrings(&lines);
      return ini;
    }
    WriteHostFile(FPath, text);
    if (GetParam() == feIniFile) return std::make_unique<TIniFile>(FPath);
    return std::make_unique<TMemIniFile>(FPath);
  }
  // The text as the front end would store it now.
  std::string Saved(TCustomIniFile& ini) {
    if (GetParam() == feMemStrings) {
      TStringList lines;
      static_cast<TMemIniFile&>(ini).GetStrings(&lines);
      return lines.Text();
    }
    ini.UpdateFile();
    return ReadHostFile(FPath);
  }

  TTempDir FDir;
  std::string FPath { FDir / "rules.ini" };
};

struct TReadCase {
  const char* rule;
  const char* text;
  const char* section;
  const char* key;
  const char* expect;  // with the default "<default>"
};

TEST_P(IniRules, ReadString) {
  const std::vector<TReadCase> cases = {
    { "names compare without case", "[Sec]\r\nKey=v\r\n", "SEC", "kEY", "v" },
    { "a trail byte is never folded", "[\xB0\x41]\r\nk=v\r\n", "\xB0\x61", "k", "<default>" },
    { "double-byte names match exactly", "[\xB0\x41]\r\nk=v\r\n", "\xB0\x41", "K", "v" },
    { "a key's trail byte is never folded", "[S]\r\n\xB0\x41=v\r\n", "S", "\xB0\x61", "<default>" },
    { "a key's letters after a double-byte one fold", "[S]\r\n\xB0\x41x=v\r\n", "S", "\xB0\x41X", "v" },
    { "a key is not found by its prefix", "[S]\r\nkeys=v\r\n", "S", "KEY", "<default>" },
    { "split at the first =", "[S]\r\nk=a=b\r\n", "S", "k", "a=b" },
    { "blanks around names and values go", "[  S \t]\r\n \t k  = v v \t\r\n", "S", "k", "v v" },
    { "';' lines are not keys", "[S]\r\n;k=v\r\n", "S", ";k", "<default>" },
    { "lines before the first section are not read", "k=v\r\n[S]\r\n", "S", "k", "<default>" },
    { "the first key wins", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "1" },
    { "the first section wins", "[S]\r\nk=1\r\n[s]\r\nk=3\r\nj=4\r\n", "S", "k", "1" },
    { "a later duplicate section is not read", "[S]\r\nk=1\r\n[s]\r\nj=4\r\n", "S", "j", "<default>" },
    { "a missing key gives the default", "[S]\r\nk=1\r\n", "S", "x", "<default>" },
    { "a missing section gives the default", "[S]\r\nk=1\r\n", "T", "k", "<default>" },
    { "a present empty value is empty", "[S]\r\nk=\r\n", "S", "k", "" },
    { "quotes are kept", "[S]\r\nk=\"q\"\r\n", "S", "k", "\"q\"" },
    { "CR ends a line", "[S]\rk1=a\rk2=b", "S", "k2", "b" },
    { "LF ends a line", "[S]\nk1=a\nk2=b\n", "S", "k1", "a" },
    { "a UTF-8 BOM is skipped", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "v" },
    { "a header without ']' runs to the line end", "[S\r\nk=v\r\n", "S", "k", "v" },
    { "GBK values are bytes", "[字体]\r\n名称=宋体\r\n", "字体", "名称", "宋体" },
  };
  for (const auto& c : cases) {
    auto ini = Open(c.text);
    EXPECT_EQ(ini->ReadString(c.section, c.key, "<default>"), c.expect) << FrontName(GetParam()) << ": " << c.rule;
  }
}

TEST_P(IniRules, ReadIntegerAndBool) {
  struct Case {
    const char* value;
    int expect;  // default 77
  };
  const std::vector<Case> cases = {
    { "12", 12 },
    { "-7", -7 },
    { "+5", 5 },
    { "$1F", 31 },
    { "0x1f", 31 },
    { "0X80000012", -2147483630 },
    { "0xFFFFFFFF", -1 },
    { "-$10", -16 },
    { "2147483647", 2147483647 },
    { "-2147483648", -2147483647 - 1 },
    { "2147483648", 77 },
    { "0x123456789", 77 },
    { "12a", 77 },
    { "", 77 },
    { "0x", 77 },
    { "1.5", 77 },
    { "  3  ", 3 },
    { "1 2", 77 },
    { "-", 77 },
  };
  for (const auto& c : cases) {
    auto ini = Open(std::string("[S]\r\nk=") + c.value + "\r\n");
    EXPECT_EQ(ini->ReadInteger("S", "k", 77), c.expect) << FrontName(GetParam()) << ": '" << c.value << "'";
  }
  auto missing = Open("[S]\r\n");
  EXPECT_EQ(missing->ReadInteger("S", "k", -3), -3);

  struct BoolCase {
    const char* value;
    bool whenDefaultFalse;
    bool whenDefaultTrue;
  };
  const std::vector<BoolCase> bools = {
    { "1", true, true },    { "0x1", true, true },   { "0", false, false }, { "2", false, false },
    { "-1", false, false }, { "true", false, true }, { "", false, true },
  };
  for (const auto& c : bools) {
    auto ini = Open(std::string("[S]\r\nb=") + c.value + "\r\n");
    EXPECT_EQ(ini->ReadBool("S", "b", false), c.whenDefaultFalse) << c.value;
    EXPECT_EQ(ini->ReadBool("S", "b", true), c.whenDefaultTrue) << c.value;
  }
}

TEST_P(IniRules, SectionsKeysAndExistence) {
  auto ini = Open("; head\r\n[Empty]\r\n; only a comment\r\n[Full]\r\nb=2\r\na=1\r\nB=3\r\n[empty]\r\nx=9\r\n");
  EXPECT_FALSE(ini->SectionExists("Empty"));  // a header with no key does not count
  EXPECT_TRUE(ini->SectionExists("FULL"));
  EXPECT_FALSE(ini->SectionExists("Missing"));
  EXPECT_TRUE(ini->ValueExists("full", "A"));
  EXPECT_FALSE(ini->ValueExists("full", "c"));
  TStringList list;
  ini->ReadSection("Full", &list);
  EXPECT_EQ(list.Text(), "b\r\na\r\n");
  ini->ReadSections(&list);
  EXPECT_EQ(list.Text(), "Empty\r\nFull\r\n");
  ini->ReadSectionValues("full", &list);
  EXPECT_EQ(list.Text(), "b=2\r\na=1\r\n");
}

struct TWriteCase {
  const char* rule;
  const char* text;
  std::function<void(TCustomIniFile&)> op;
  const char* expect;
};

TEST_P(IniRules, Writes) {
  const std::vector<TWriteCase> cases = {
    { "replace in place, keeping the file's spelling and comments", "; top\r\n[S]\r\nKey=1\r\n; c\r\nother=2\r\n",
      [](TCustomIniFile& i) { i.WriteString("s", "KEY", "9"); }, "; top\r\n[S]\r\nKey=9\r\n; c\r\nother=2\r\n" },
    { "a new key goes after the section's last key", "[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n",
      [](TCustomIniFile& i) { i.WriteString("S", "c", "3"); }, "[S]\r\na=1\r\nc=3\r\n\r\n[T]\r\nb=2\r\n" },
    { "a new section goes at the end", "[S]\r\na=1\r\n", [](TCustomIniFile& i) { i.WriteString("N", "k", "v"); },
      "[S]\r\na=1\r\n[N]\r\nk=v\r\n" },
    { "EraseSection removes every occurrence", "[S]\r\na=1\r\n[T]\r\nb=2\r\n[s]\r\nc=3\r\n",
      [](TCustomIniFile& i) { i.EraseSection("S"); }, "[T]\r\nb=2\r\n" },
    { "EraseSection of a missing section changes nothing", "[T]\r\nb=2\r\n",
      [](TCustomIniFile& i) { i.EraseSection("S"); }, "[T]\r\nb=2\r\n" },
    { "DeleteKey removes the key", "[S]\r\na=1\r\nb=2\r\nA=3\r\n", [](TCustomIniFile& i) { i.DeleteKey("S", "a"); },
      "[S]\r\nb=2\r\n" },
    { "lines are written with CR LF", "[S]\na=1\rb=2\n", [](TCustomIniFile& i) { i.WriteString("S", "c", "3"); },
      "[S]\r\na=1\r\nb=2\r\nc=3\r\n" },
    { "integers are signed decimal, booleans 1 and 0", "",
      [](TCustomIniFile& i) {
        i.WriteInteger("C", "face", static_cast<int>(0x8000000F));
        i.WriteBool("C", "on", true);
        i.WriteBool("C", "off", false);
      },
      "[C]\r\nface=-2147483633\r\non=1\r\noff=0\r\n" },
    { "other lines are written back as the file spells them", "[ S ]\r\n a = 1 \r\nb=2\r\n[T] ; t\r\nc=3\r\n",
      [](TCustomIniFile& i) { i.WriteString("T", "d", "4"); }, "[ S ]\r\n a = 1 \r\nb=2\r\n[T] ; t\r\nc=3\r\nd=4\r\n" },
    { "a BOM is not written back", "\xEF\xBB\xBF[S]\r\na=1\r\n",
      [](TCustomIniFile& i) { i.WriteString("S", "a", "2"); }, "[S]\r\na=2\r\n" },
  };
  for (const auto& c : cases) {
    auto ini = Open(c.text);
    c.op(*ini);
    EXPECT_EQ(Saved(*ini), c.expect) << FrontName(GetParam()) << ": " << c.rule;
  }
}

TEST_P(IniRules, EntriesThatWouldNotReadBackAreRefused) {
  auto ini = Open("[S]\r\na=1\r\n");
  EXPECT_THROW(ini->WriteString("S", "k=x", "v"), EIniFileException);
  EXPECT_THROW(ini->WriteString("S", "k", "line\r\nbreak"), EIniFileException);
  EXPECT_THROW(ini->WriteString("S", "", "v"), EIniFileException);
  EXPECT_THROW(ini->WriteString("S]", "k", "v"), EIniFileException);
  EXPECT_EQ(Saved(*ini), "[S]\r\na=1\r\n");
}

TEST_P(IniRules, AHundredThousandSectionsAndKeys) {
  const int n = 100000;
  auto num = [](int i) { return std::to_string(i); };
  std::string text = "[Big]\r\n";
  for (int i = 0; i < n; ++i) text += "Key" + num(i) + "=" + num(i) + "\r\n";
  for (int i = 0; i < n; i += 5) text += "KEY" + num(i) + "=dup\r\n";  // later duplicates, in another case
  for (int i = 0; i < n; ++i) text += "[Sec" + num(i) + "]\r\nk=" + num(i) + "\r\n";
  for (int i = 0; i < n; i += 7) text += "[SEC" + num(i) + "]\r\nk=dup\r\nonly=1\r\n";
  auto ini = Open(text);
  const std::string front = FrontName(GetParam());

  // Each name once, as first spelt, in file order.
  TStringList list;
  ini->ReadSections(&list);
  ASSERT_EQ(list.Count(), n + 1) << front;
  EXPECT_EQ(list.Strings(0), "Big");
  for (int i = 0; i < n; ++i) ASSERT_EQ(list.Strings(i + 1), "Sec" + num(i)) << front;
  ini->ReadSection("big", &list);
  ASSERT_EQ(list.Count(), n) << front;
  for (int i = 0; i < n; ++i) ASSERT_EQ(list.Strings(i), "Key" + num(i)) << front;
  ini->ReadSectionValues("BIG", &list);
  ASSERT_EQ(list.Count(), n) << front;
  EXPECT_EQ(list.Strings(n - 5), "Key99995=99995");
  EXPECT_EQ(ini->ReadString("big", "key99995", ""), "99995");
  EXPECT_EQ(ini->ReadString("sec77", "k", ""), "77");
  EXPECT_FALSE(ini->ValueExists("Sec77", "only"));  // in the later occurrence only

  // Erasing half the sections, both occurrences of each, then writing on.
  for (int i = 0; i < n; i += 2) ini->EraseSection("sec" + num(i));
  ini->WriteString("Sec1", "new", "x");
  ini->WriteString("Sec0", "k", "back");
  ini->ReadSections(&list);
  ASSERT_EQ(list.Count(), 1 + n / 2 + 1) << front;
  EXPECT_EQ(list.Strings(1), "Sec1");
  EXPECT_EQ(list.Strings(list.Count() - 1), "Sec0");
  EXPECT_EQ(ini->ReadString("SEC1", "new", ""), "x");
  EXPECT_EQ(ini->ReadString("sec0", "k", ""), "back");
  EXPECT_EQ(ini->ReadString("sec14", "only", "gone"), "gone");
  EXPECT_EQ(ini->ReadString("sec21", "k", ""), "21");
  ini->EraseSection("Sec21");
  EXPECT_FALSE(ini->SectionExists("sec21"));  // its later occurrence went too
  const std::string saved = Saved(*ini);
  const std::string tail = "[SEC99995]\r\nk=dup\r\nonly=1\r\n[Sec0]\r\nk=back\r\n";
  ASSERT_GT(saved.size(), tail.size());
  EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail) << front;
  EXPECT_NE(saved.find("[Sec1]\r\nk=1\r\nnew=x\r\n[Sec3]\r\n"), std::string::npos) << front;
  EXPECT_EQ(saved.find("[Sec2]"), std::string::npos) << front;
}

INSTANTIATE_TEST_SUITE_P(
    Fronts, IniRules, testing::Values(feIniFile, feMemFile, feMemStrings), [](const testing::TestParamInfo<TFront>& i) {
      return std::string(i.param == feIniFile ? "IniFile" : i.param == feMemFile ? "MemFile" : "MemStrings");
    });

// ---- The profile cache ------------------------------------------------------------------------------

struct stat StatOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st;
}

TEST(IniFile, ReadingNeverRewritesTheFile) {
  TTempDir dir;
  const std::string path = dir / "skin.ini";
  const std::string text = "[S]\nk=1\n; kept\n[T]\n";
  WriteHostFile(path, text);
  const struct stat before = StatOf(path);
  {
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
    EXPECT_TRUE(ini.SectionExists("S"));
    ini.EraseSection("Missing");
    ini.DeleteKey("S", "absent");
    ini.UpdateFile();
  }
  const struct stat after = StatOf(path);
  EXPECT_EQ(ReadHostFile(path), text);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  TMemIniFile mem(path);
  mem.ReadString("S", "k", "");
  EXPECT_EQ(ReadHostFile(path), text);
}

TEST(IniFile, WritesReachTheDiskWhenTheLastHolderGoes) {
  TTempDir dir;
  const std::string path = dir / "a.ini";
  auto first = std::make_unique<TIniFile>(path);
  auto second = std::make_unique<TIniFile>(dir.Path() + "/./a.ini");  // the same file by another name
  first->WriteString("S", "k", "v");
  EXPECT_EQ(second->ReadString("S", "k", ""), "v");  // one cache for both
  EXPECT_FALSE(std::filesystem::exists(path));
  first.reset();
  EXPECT_FALSE(std::filesystem::exists(path));
  second.reset();
  EXPECT_EQ(ReadHostFile(path), "[S]\r\nk=v\r\n");
}

TEST(IniFile, UpdateFileWritesAtOnceAndKeepsPermissions) {
  TTempDir dir;
  const std::string path = dir / "p.ini";
  WriteHostFile(path, "[S]\r\n");
  chmod(path.c_str(), 0640);
  TIniFile ini(path);
  ini.WriteString("S", "k", "v");
  EXPECT_EQ(ReadHostFile(path), "[S]\r\n");
  ini.UpdateFile();
  EXPECT_EQ(ReadHostFile(path), "[S]\r\nk=v\r\n");
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);
  // Nothing but the file itself is left in the directory.
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(IniFile, AFailedWriteRaisesAndIsNeverReportedAsDone) {
  TTempDir dir;
  WriteHostFile(dir / "plain", "not a directory");
  for (const std::string& path : { dir / "no/such/dir/x.ini", dir / "plain/x.ini" }) {
    TIniFile ini(path);
    ini.WriteString("S", "k", "v");
    try {
      ini.UpdateFile();
      ADD_FAILURE() << path << ": no error";
    } catch (const EIniFileException& e) {
      EXPECT_NE(e.Message().find(path), AnsiString::npos) << e.Message();
    }
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");  // the change is still held for a later attempt

    TMemIniFile mem(path);
    mem.WriteString("S", "k", "v");
    EXPECT_THROW(mem.UpdateFile(), EIniFileException);
  }
  TIniFile directory(dir.Path());  // a directory is not an INI file and is never replaced
  directory.WriteString("S", "k", "v");
  EXPECT_THROW(directory.UpdateFile(), EIniFileException);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path()));
  TMemIniFile unnamed("");
  unnamed.WriteString("S", "k", "v");
  EXPECT_THROW(unnamed.UpdateFile(), EIniFileException);
}

TEST(IniFile, AFileRewrittenByAnotherProgramIsReadAgain) {
  TTempDir dir;
  const std::string path = dir / "shared.ini";
  WriteHostFile(path, "[S]\r\nk=1\r\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("S", "k", ""), "1");
  // Another program replaces the file (new inode), then edits it in place (new size).
  WriteHostFile(path + ".new", "[S]\r\nk=2\r\n");
  std::filesystem::rename(path + ".new", path);
  EXPECT_EQ(ini.ReadString("S", "k", ""), "2");
  WriteHostFile(path, "[S]\r\nk=333\r\nz=5\r\n");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "333");

  // A pending change survives another program's edit, and the edit survives the flush.
  ini.WriteString("S", "mine", "x");
  WriteHostFile(path, "[S]\r\nk=4\r\nz=5\r\ntheirs=y\r\n");
  EXPECT_EQ(ini.ReadString("S", "theirs", ""), "y");
  EXPECT_EQ(ini.ReadString("S", "mine", ""), "x");
  ini.UpdateFile();
  EXPECT_EQ(ReadHostFile(path), "[S]\r\nk=4\r\nz=5\r\ntheirs=y\r\nmine=x\r\n");
}

TEST(IniFile, RelativeNamesAreTakenFromTheCurrentDirectory) {
  TTempDir dir;
  const std::string saved = std::filesystem::current_path();
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  {
    TIniFile ini("rel.ini");
    ini.WriteString("S", "k", "v");
  }
  ASSERT_EQ(chdir(saved.c_str()), 0);
  EXPECT_EQ(ReadHostFile(dir / "rel.ini"), "[S]\r\nk=v\r\n");
}

TEST(ProfileFunctions, WriteThroughEraseDeleteAndFlush) {
  TTempDir dir;
  const std::string path = dir / "p.ini";
  const char* file = path.c_str();
  EXPECT_TRUE(WritePrivateProfileStringA("S", "a", "1", file));
  EXPECT_EQ(ReadHostFile(path), "[S]\r\na=1\r\n");  // nobody holds the file: written at once
  EXPECT_TRUE(WritePrivateProfileStringA("S", "b", "0x20", file));
  EXPECT_TRUE(WritePrivateProfileStringA("T", "c", "3", file));
  EXPECT_EQ(GetPrivateProfileIntA("s", "B", 0, file), 32u);
  EXPECT_EQ(GetPrivateProfileIntA("S", "zz", -4, file), static_cast<UINT>(-4));
  EXPECT_TRUE(WritePrivateProfileStringA("S", "a", nullptr, file));      // delete a key
  EXPECT_TRUE(WritePrivateProfileStringA("T", nullptr, nullptr, file));  // erase a section
  EXPECT_EQ(ReadHostFile(path), "[S]\r\nb=0x20\r\n");

  TIniFile holder(path);
  EXPECT_TRUE(WritePrivateProfileStringA("S", "c", "9", file));
  EXPECT_EQ(ReadHostFile(path), "[S]\r\nb=0x20\r\n");  // held: cached until a flush
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, file));
  EXPECT_EQ(ReadHostFile(path), "[S]\r\nb=0x20\r\nc=9\r\n");
}

TEST(ProfileFunctions, ListsAreDoubleNulTerminatedAndCutToTheBuffer) {
  TTempDir dir;
  const std::string path = dir / "l.ini";
  WriteHostFile(path, "[One]\r\nk1=v1\r\nk2=v2\r\n[Two]\r\n");
  const char* file = path.c_str();
  char buf[64];
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buf, sizeof buf, file), 8u);
  EXPECT_EQ(std::string(buf, 9), std::string("One\0Two\0\0", 9));
  EXPECT_EQ(GetPrivateProfileStringA("One", nullptr, "", buf, sizeof buf, file), 6u);
  EXPECT_EQ(std::string(buf, 7), std::string("k1\0k2\0\0", 7));
  EXPECT_EQ(GetPrivateProfileSectionA("one", buf, sizeof buf, file), 12u);
  EXPECT_EQ(std::string(buf, 13), std::string("k1=v1\0k2=v2\0\0", 13));
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buf, 5, file), 3u);  // cut: two NULs still end it
  EXPECT_EQ(std::string(buf, 5), std::string("One\0\0", 5));
  EXPECT_EQ(GetPrivateProfileStringA("One", "k1", "", buf, 2, file), 1u);
  EXPECT_STREQ(buf, "v");
  EXPECT_EQ(GetPrivateProfileStringA("One", "none", "dflt", buf, sizeof buf, file), 4u);
  EXPECT_STREQ(buf, "dflt");
}

TEST(ProfileFunctions, AFailedWriteReturnsFalseAndChangesNothing) {
  TTempDir dir;
  const std::string path = dir / "missing-dir/x.ini";
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", path.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ENOENT));
  char buf[16];
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "none", buf, sizeof buf, path.c_str()), 4u);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "bad=key", "v", (dir / "ok.ini").c_str()));
  EXPECT_FALSE(std::filesystem::exists(dir / "ok.ini"));
}

}  // namespace
