#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"
#include "tests/support/Utf8.h"

namespace {

TEST(List, IndexesOutsideTheListRaiseWithTheIndex) {
  TList list;
  int a = 1, b = 2;
  list.Add(&a);
  list.Add(&b);
  struct Case {
    const char* what;
    std::function<void()> op;
    const char* message;
  };
  const std::vector<Case> cases = {
    { "Items(-1)", [&] { list.Items(-1); }, "List index out of bounds (-1)" },
    { "Items(2)", [&] { list.Items(2); }, "List index out of bounds (2)" },
    { "SetItems(5)", [&] { list.SetItems(5, nullptr); }, "List index out of bounds (5)" },
    { "Delete(2)", [&] { list.Delete(2); }, "List index out of bounds (2)" },
    { "Insert(3)", [&] { list.Insert(3, nullptr); }, "List index out of bounds (3)" },
    { "Exchange(0, 7)", [&] { list.Exchange(0, 7); }, "List index out of bounds (7)" },
    { "Move(0, 2)", [&] { list.Move(0, 2); }, "List index out of bounds (2)" },
  };
  for (const auto& c : cases) {
    try {
      c.op();
      ADD_FAILURE() << c.what << " did not raise";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
  }
  EXPECT_EQ(list.Count(), 2);  // nothing changed by the failed calls
  TList empty;
  EXPECT_THROW(empty.First(), EListError);
  EXPECT_THROW(empty.Last(), EListError);
}

TEST(List, KeepsOrderThroughInsertMoveRemoveAndSort) {
  int v[5] = { 30, 10, 50, 20, 40 };
  TList list;
  for (int& x : v) list.Add(&x);
  list.Insert(0, &v[4]);  // 40 30 10 50 20 40
  EXPECT_EQ(list.IndexOf(&v[4]), 0);
  EXPECT_EQ(list.Remove(&v[4]), 0);  // first occurrence only
  EXPECT_EQ(list.IndexOf(&v[4]), 4);
  list.Move(0, 3);  // 10 50 20 30 40
  EXPECT_EQ(*static_cast<int*>(list.First()), 10);
  EXPECT_EQ(*static_cast<int*>(list.Items(3)), 30);
  list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  std::vector<int> sorted;
  for (int i = 0; i < list.Count(); ++i) sorted.push_back(*static_cast<int*>(list.Items(i)));
  EXPECT_EQ(sorted, (std::vector<int> { 10, 20, 30, 40, 50 }));
  EXPECT_EQ(list.Remove(nullptr), -1);
  list.SetCount(7);
  EXPECT_EQ(list.Items(6), nullptr);
}

std::vector<std::string> Lines(const TStrings& s) {
  std::vector<std::string> out;
  for (int i = 0; i < s.Count(); ++i) out.push_back(s.Strings(i));
  return out;
}

TEST(StringList, TextSplitsAtEveryLineBreakKindAndWritesCrLf) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
    { "", {} },
    { "a", { "a" } },
    { "a\r\n", { "a" } },
    { "a\r\nb\nc\rd", { "a", "b", "c", "d" } },
    { "a\n\nb", { "a", "", "b" } },
    { "a\r\r\nb", { "a", "", "b" } },
    { "\r\n", { "" } },
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines) << xj::test::Shown(c.text);
  }
  TStringList list;
  list.Add("one");
  list.Add("");
  list.Add("二");
  EXPECT_EQ(list.Text(), "one\r\n\r\n二\r\n");
}

TEST(StringList, IndexesOutsideTheListRaise) {
  TStringList list;
  list.Add("a");
  EXPECT_THROW(list.Strings(1), EStringListError);
  EXPECT_THROW(list.Strings(-1), EStringListError);
  EXPECT_THROW(list.SetStrings(1, "x"), EStringListError);
  EXPECT_THROW(list.Objects(3), EStringListError);
  EXPECT_THROW(list.Delete(1), EStringListError);
  EXPECT_THROW(list.Insert(2, "x"), EStringListError);
  EXPECT_THROW(list.Exchange(0, 1), EStringListError);
  try {
    list.Delete(4);
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (4)");
  }
  list.Insert(1, "b");  // Count itself is a valid insert position
  EXPECT_EQ(Lines(list), (std::vector<std::string> { "a", "b" }));
}

TEST(StringList, IndexOfFoldsAsciiLettersOnly) {
  TStringList list;
  list.Add("Alpha");
  list.Add("\xB0\x41");  // a double-byte character whose trail byte is 'A'
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("alpha"), 0);
  EXPECT_EQ(list.IndexOf("\xB0\x41"), 1);
  EXPECT_EQ(list.IndexOf("\xB0\x61"), -1);  // the trail byte is not a letter to fold
  EXPECT_EQ(list.IndexOf("Alph"), -1);
}

TEST(StringList, SortedListsHonourTheDuplicatesRule) {
  struct Case {
    TDuplicates dup;
    std::vector<std::string> expect;
    bool raises;
  };
  const std::vector<Case> cases = {
    { dupIgnore, { "apple", "Banana", "cherry" }, false },
    { dupAccept, { "apple", "BANANA", "Banana", "banana", "cherry" }, false },
    { dupError, { "apple", "Banana", "cherry" }, true },
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(c.dup);
    list.Add("cherry");
    list.Add("Banana");
    list.Add("apple");
    bool raised = false;
    try {
      const int i = list.Add("banana");
      if (c.dup == dupIgnore) {
        EXPECT_EQ(i, 1);
      }
      list.Add("BANANA");
    } catch (const EStringListError& e) {
      raised = true;
      EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(raised, c.raises) << c.dup;
    if (c.dup == dupAccept) {
      // Equal strings keep no particular order among themselves; check the case-blind order only.
      ASSERT_EQ(list.Count(), 5);
      for (int i = 1; i <= 3; ++i) EXPECT_TRUE(SameText(list.Strings(i), "banana"));
      EXPECT_EQ(list.Strings(0), "apple");
      EXPECT_EQ(list.Strings(4), "cherry");
      int index = -1;
      EXPECT_TRUE(list.Find("BaNaNa", index));
      EXPECT_EQ(index, 1);  // the first of the equal entries
    } else {
      EXPECT_EQ(Lines(list), c.expect) << c.dup;
    }
    EXPECT_EQ(list.IndexOf("CHERRY"), list.Count() - 1);
  }
}

TEST(StringList, SortedListsRefusePositionalChanges) {
  TStringList list;
  list.Add("b");
  list.Add("a");
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (std::vector<std::string> { "a", "b" }));
  EXPECT_THROW(list.Insert(0, "z"), EStringListError);
  EXPECT_THROW(list.SetStrings(0, "z"), EStringListError);
  EXPECT_THROW(list.Move(0, 1), EStringListError);
  EXPECT_EQ(Lines(list), (std::vector<std::string> { "a", "b" }));
  int index = -1;
  EXPECT_FALSE(list.Find("aa", index));
  EXPECT_EQ(index, 1);  // where it would go
}

TEST(StringList, CustomSortSeesIndexesOfTheListAsItStands) {
  TStringList list;
  for (const char* s : { "333", "1", "22", "4444" }) list.Add(s);
  list.CustomSort([](TStringList* l, int a, int b) {
    return static_cast<int>(l->Strings(b).size()) - static_cast<int>(l->Strings(a).size());
  });
  EXPECT_EQ(Lines(list), (std::vector<std::string> { "4444", "333", "22", "1" }));
}

TEST(StringList, ChangeEventsFireAroundEachChangeAndOnceAroundAnUpdate) {
  TStringList list;
  std::vector<std::string> log;
  list.OnChanging = TNotifyEvent::FromCallable([&](TObject* s) {
    EXPECT_EQ(s, &list);
    log.push_back("changing " + std::to_string(list.Count()));
  });
  list.OnChange =
      TNotifyEvent::FromCallable([&](TObject*) { log.push_back("change " + std::to_string(list.Count())); });
  list.Add("a");
  EXPECT_EQ(log, (std::vector<std::string> { "changing 0", "change 1" }));
  log.clear();
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Add("c");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(log, (std::vector<std::string> { "changing 1" }));
  list.EndUpdate();
  EXPECT_EQ(log, (std::vector<std::string> { "changing 1", "change 2" }));
  log.clear();
  TStringList other;
  other.Add("x");
  list.Assign(&other);  // one pair for the whole assignment
  EXPECT_EQ(log, (std::vector<std::string> { "changing 2", "change 1" }));
}

TEST(StringList, AssignCopiesStringsAndObjectsAndRefusesOtherClasses) {
  TStringList a, b;
  TObject tag;
  a.AddObject("x", &tag);
  a.Add("y");
  b.Add("old");
  b.Assign(&a);
  EXPECT_EQ(Lines(b), (std::vector<std::string> { "x", "y" }));
  EXPECT_EQ(b.Objects(0), &tag);
  EXPECT_EQ(b.IndexOfObject(&tag), 0);
  struct TOther : TPersistent { XJ_CLASS(TOther, TPersistent) } other;
  try {
    b.Assign(&other);
    FAIL() << "assigning an unrelated class did not raise";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TOther to a TStringList");
  }
  EXPECT_THROW(b.Assign(nullptr), EConvertError);
  EXPECT_EQ(Lines(b), (std::vector<std::string> { "x", "y" }));
}

}  // namespace
