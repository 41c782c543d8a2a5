// Every loader of the class library and the profile functions, given a FIFO, a link to one, the
// endless devices or a file too large: an error at once that names the file, never a wait or a read
// without end.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/IniFiles.h"
#include "platform/vcl/Jpeg.h"
#include "platform/win32/Profile.h"
#include "platform/win32/WinBase.h"
#include "tests/support/NonRegularFiles.h"
#include "tests/platform/classes/TempDir.h"

using xj::test::ExpectRefused;
using xj::test::kNotRegular;

namespace {

struct TLoader {
  const char* What;
  std::function<void(const AnsiString&)> Load;
};

const std::vector<TLoader>& Loaders() {
  static const std::vector<TLoader> loaders = {
    { "TMemIniFile", [](const AnsiString& n) { TMemIniFile ini(n); } },
    // Reading gives the default, as for any file that cannot be read; the write that follows is
    // refused rather than put in the place of what is there.
    { "TIniFile",
      [](const AnsiString& n) {
        TIniFile ini(n);
        if (ini.ReadString("S", "k", "default") != "default") ADD_FAILURE() << n << " gave a value";
        ini.WriteString("S", "k", "v");
        ini.UpdateFile();
      } },
    { "TStringList", [](const AnsiString& n) { TStringList().LoadFromFile(n); } },
    { "TMemoryStream", [](const AnsiString& n) { TMemoryStream().LoadFromFile(n); } },
    { "TFileStream", [](const AnsiString& n) { TFileStream(n, fmOpenRead | fmShareDenyWrite); } },
    { "TBitmap", [](const AnsiString& n) { TBitmap().LoadFromFile(n); } },
    { "TJPEGImage", [](const AnsiString& n) { TJPEGImage().LoadFromFile(n); } },
  };
  return loaders;
}

TEST(NonRegularFiles, EveryLoaderRefusesWhatIsNoRegularFileAtOnceNamingIt) {
  TTempDir dir;
  xj::test::GuardedFifo fifo(dir / "pipe");
  // The FIFO first: should a loader wait on it, the guard ends the wait and the first check stops the test.
  const std::vector<std::string> names = {
    fifo.Path(), xj::test::LinkTo(fifo.Path(), dir / "to-pipe.bmp"),   xj::test::LinkTo("/dev/zero", dir / "zero.ini"),
    "/dev/zero", xj::test::LinkTo("/dev/urandom", dir / "random.jpg"), "/dev/urandom",
  };
  for (const std::string& name : names)
    for (const TLoader& l : Loaders())
      ASSERT_NO_FATAL_FAILURE(ExpectRefused(l.What, name, kNotRegular, [&] { l.Load(name); }));

  // The profile functions give their default and refuse the write, with the error for the file (by
  // names of their own: the writes above stay in the cache of theirs).
  const std::string toPipe = xj::test::LinkTo(fifo.Path(), dir / "profile.ini");
  char value[16];
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "dflt", value, sizeof value, toPipe.c_str()), 4u);
  EXPECT_STREQ(value, "dflt");
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", toPipe.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(xj::NotRegularFileError));
  // Nothing took the place of the FIFO or the link.
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.Path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(::lstat((dir / "zero.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(NonRegularFiles, RegularFilesBeyondWhatALoaderTakesAreRefusedUnread) {
  TTempDir dir;
  // Sparse: the size is there without the bytes.
  auto sized = [&](const std::string& name, off_t size) {
    const std::string path = dir / name;
    WriteHostFile(path, "[S]\r\nk=1\r\n");
    EXPECT_EQ(::truncate(path.c_str(), size), 0);
    return path;
  };
  const std::string ini = sized("big.ini", static_cast<off_t>(xj::MaxProfileFileSize) + 1);
  ExpectRefused("TMemIniFile", ini, std::strerror(EFBIG), [&] { TMemIniFile m(ini); });
  const std::string atLimit = sized("limit.ini", static_cast<off_t>(xj::MaxProfileFileSize));
  EXPECT_EQ(TMemIniFile(atLimit).ReadInteger("S", "k", 0), 1);

  const std::string picture = sized("big.bmp", off_t { 512 } << 20 | 1);
  ExpectRefused("TBitmap", picture, "too large", [&] { TBitmap().LoadFromFile(picture); });
}

}  // namespace
