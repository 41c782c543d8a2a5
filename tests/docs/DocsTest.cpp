// The documents hold what the code does: the tour's table names the record each skinned control reads,
// and the minimal skin of the format page loads as written. (Every C++ snippet of the documents is
// compiled with this program: tests/docs/snippets.py.)

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/vcl/TypInfo.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"
#include "skin/data/bsSkinData.h"
#include "tests/support/ControlsTestUtil.h"

namespace {

namespace fs = std::filesystem;
using namespace ctltest;

std::string ReadDoc(const char* Name) {
  std::ifstream in(fs::path(XJ_SOURCE_DIR) / "docs" / Name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The backticked words of a table cell; Outside: only those not within parentheses.
std::vector<std::string> Ticked(const std::string& Cell, bool Outside) {
  std::vector<std::string> words;
  int depth = 0;
  for (size_t i = 0; i < Cell.size(); ++i) {
    if (Cell[i] == '(') ++depth;
    if (Cell[i] == ')') --depth;
    if (Cell[i] != '`') continue;
    const size_t end = Cell.find('`', i + 1);
    if (end == std::string::npos) break;
    if (!Outside || depth == 0) words.push_back(Cell.substr(i + 1, end - i - 1));
    i = end;
  }
  return words;
}

struct TRow {
  std::vector<std::string> Classes, Records, Alternatives;
};

// The rows of the tour's table "| control | record it reads | record class |".
std::vector<TRow> TourTable() {
  std::vector<TRow> rows;
  std::istringstream lines(ReadDoc("skinning-library.md"));
  bool inTable = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("| control | record it reads |")) {
      inTable = true;
      continue;
    }
    if (!inTable || line.starts_with("|---")) continue;
    if (!line.starts_with("|")) break;
    std::vector<std::string> cells;
    for (size_t at = 1, bar; (bar = line.find('|', at)) != std::string::npos; at = bar + 1)
      cells.push_back(line.substr(at, bar - at));
    if (cells.size() < 2) continue;
    TRow row;
    for (const std::string& word : Ticked(cells[0], false))
      if (word.starts_with("Tbs")) row.Classes.push_back(word);
    row.Records = Ticked(cells[1], true);
    for (const std::string& word : Ticked(cells[1], false))
      if (std::find(row.Records.begin(), row.Records.end(), word) == row.Records.end())
        row.Alternatives.push_back(word);
    rows.push_back(row);
  }
  return rows;
}

// The record names a control and every control and component it holds read: "SkinDataName" and the
// names it gives its parts ("ButtonSkinDataName", "HeaderSkinDataName" ...).
void RecordsRead(TComponent* C, std::set<std::string>& Names) {
  for (const TPropInfo* prop : GetPropList(C->ClassType()))
    if (AnsiString(prop->Name).ends_with("SkinDataName")) Names.insert(GetStrProp(C, prop));
  for (int i = 0; i < C->ComponentCount(); ++i) RecordsRead(C->Components(i), Names);
  if (auto* parent = dynamic_cast<TWinControl*>(C))
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (parent->Controls(i)->Owner() != C) RecordsRead(parent->Controls(i), Names);
}

// Controls that find their records by fixed names rather than through a SkinDataName of their own.
const std::map<std::string, std::set<std::string>> kFixedRecords = {
  { "TbsSkinScrollPanel", { "panel", "resizebutton" } },
};

class Docs : public ControlsTest {};

TEST_F(Docs, TheTourNamesTheRecordEachSkinnedControlReads) {
  TForm* form = NewForm(0, 0, 640, 480);
  auto* skin = new TbsSkinData(form);
  skin->LoadFromFile(XJ_LOOK_SKINS_DIR "/azure/skin.ini");
  ASSERT_FALSE(skin->Empty) << skin->LastError();
  const std::vector<TRow> rows = TourTable();
  ASSERT_GT(rows.size(), 25u);
  for (const TRow& row : rows) {
    std::set<std::string> read;
    for (const std::string& name : row.Classes) {
      TClass cls = GetClass(name);
      ASSERT_NE(cls, nullptr) << name << " is no registered class";
      auto* control = static_cast<TControl*>(CreateComponent(cls, form));
      control->SetParent(form);
      if (const TPropInfo* prop = GetPropInfo(control, "SkinData")) SetObjectProp(control, prop, skin);
      if (const auto fixed = kFixedRecords.find(name); fixed != kFixedRecords.end()) {
        read.insert(fixed->second.begin(), fixed->second.end());
        continue;
      }
      const TPropInfo* own = GetPropInfo(control, "SkinDataName");
      if (!own) {
        ADD_FAILURE() << name << " reads no record of its own";
        continue;
      }
      const std::string mine = GetStrProp(control, own);
      EXPECT_TRUE(std::count(row.Records.begin(), row.Records.end(), mine) ||
                  std::count(row.Alternatives.begin(), row.Alternatives.end(), mine))
          << name << " reads " << mine;
      EXPECT_GE(skin->GetControlIndex(mine), 0) << name << ": the shipped skin has no " << mine;
      RecordsRead(control, read);
    }
    for (const std::string& record : row.Records)
      EXPECT_TRUE(read.count(record)) << "no control of the row of " << row.Classes[0] << " reads " << record;
  }
}

}  // namespace

// A code fence with text after it leaves the block open: the rest of the page renders as code.
TEST(DocsFences, EveryCodeBlockOpensAndClosesOnALineOfItsOwn) {
  const fs::path root(XJ_SOURCE_DIR);
  std::vector<fs::path> pages { root / "README.md", root / "CONTRIBUTING.md", root / "device" / "README.md" };
  for (const auto& entry : fs::directory_iterator(root / "docs"))
    if (entry.path().extension() == ".md") pages.push_back(entry.path());
  const std::regex opening("^```[A-Za-z0-9+-]*$");
  for (const fs::path& page : pages) {
    std::ifstream in(page, std::ios::binary);
    ASSERT_TRUE(in) << page;
    bool open = false;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      if (!line.starts_with("```")) continue;
      EXPECT_TRUE(open ? line == "```" : std::regex_match(line, opening))
          << page.filename() << " line " << number << ": " << line;
      open = !open;
    }
    EXPECT_FALSE(open) << page.filename() << " ends inside a code block";
  }
}
