#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/Classes.h"

// ---- Streamable test classes --------------------------------------------------------------------------

enum TStAlign { saNone, saTop, saBottom, saClient };
XJ_ENUM_IDENTS(TStAlign, saNone, saTop, saBottom, saClient);
enum TStOption { soAlpha, soBeta, soGamma };
XJ_ENUM_IDENTS(TStOption, soAlpha, soBeta, soGamma);
typedef Set<TStOption> TStOptions;

static std::vector<std::string> gStLog;
static int gStLive = 0;

static std::string StateText(TComponentState s) {
  std::string out;
  if (s.Contains(csLoading)) out += "L";
  if (s.Contains(csReading)) out += "R";
  if (s.Contains(csFixups)) out += "F";
  return out.empty() ? "-" : out;
}

class TStFont : public TPersistent {
  XJ_CLASS(TStFont, TPersistent)
 public:
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& v) { FName = v; }
  int Size() const { return FSize; }
  void SetSize(int v) { FSize = v; }
  TStOptions Style() const { return FStyle; }
  void SetStyle(TStOptions v) { FStyle = v; }

 private:
  AnsiString FName { "Tahoma" };
  int FSize { 8 };
  TStOptions FStyle;
};

class TStItems;

class TStItem : public TCollectionItem {
  XJ_CLASS(TStItem, TCollectionItem)
 public:
  explicit TStItem(TCollection* c);
  ~TStItem() override;
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) {
    FCaption = v;
    Changed(false);
  }
  int Width() const { return FWidth; }
  void SetWidth(int v) {
    FWidth = v;
    Changed(false);
  }
  TStItems* SubItems() const { return FSubItems; }

 private:
  AnsiString FCaption;
  int FWidth { 50 };
  TStItems* FSubItems;
};

class TStItems : public TOwnedCollection {
  XJ_CLASS(TStItems, TOwnedCollection)
 public:
  TStItems(TPersistent* owner, const char* tag) : TOwnedCollection(owner, TStItem::StaticClass()), FTag(tag) {}
  TStItem* Item(int i) const { return static_cast<TStItem*>(Items(i)); }
  int Updates { 0 };

 protected:
  void Update(TCollectionItem* item) override {
    ++Updates;
    gStLog.push_back(FTag + " Update " + (item ? std::to_string(item->Index()) : std::string("all")));
  }

 private:
  std::string FTag;
};

TStItem::TStItem(TCollection* c) : TCollectionItem(c), FSubItems(new TStItems(this, "sub")) {}
TStItem::~TStItem() { delete FSubItems; }

class TStWidget : public TComponent {
  XJ_CLASS(TStWidget, TComponent)
 public:
  explicit TStWidget(TComponent* owner)
      : TComponent(owner), FFont(new TStFont), FLines(new TStringList), FItems(new TStItems(this, "items")) {
    ++gStLive;
    FConstructedLoading = ComponentState().Contains(csLoading);
  }
  ~TStWidget() override {
    --gStLive;
    delete FFont;
    delete FLines;
    delete FItems;
  }

  int Count() const { return FCount; }
  void SetCount(int v) {
    FCount = v;
    gStLog.push_back(Name() + ".Count " + StateText(ComponentState()));
  }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  TStAlign Align() const { return FAlign; }
  void SetAlign(TStAlign v) { FAlign = v; }
  TStOptions Options() const { return FOptions; }
  void SetOptions(TStOptions v) { FOptions = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  char Letter() const { return FLetter; }
  void SetLetter(char v) { FLetter = v; }
  TDateTime When() const { return FWhen; }
  void SetWhen(TDateTime v) { FWhen = v; }
  int Hidden() const { return FHidden; }
  void SetHidden(int v) { FHidden = v; }
  int Level() const { return FLevel; }
  void SetLevel(int v) { FLevel = v; }
  bool IsLevelStored() const { return FLevel > 0; }
  TStFont* Font() const { return FFont; }
  TStrings* Lines() const { return FLines; }
  void SetLines(TStrings* v) { FLines->Assign(v); }
  TStItems* Items() const { return FItems; }
  void SetItems(TStItems* v) { FItems->Assign(v); }
  TStWidget* Buddy() const { return FBuddy; }
  void SetBuddy(TStWidget* v) {
    FBuddy = v;
    if (v) v->FreeNotification(this);
    gStLog.push_back(Name() + ".Buddy=" + (v ? v->Name() : std::string("nil")) + " " + StateText(ComponentState()));
  }
  TNotifyEvent OnPing;

  std::string Blob;
  bool FConstructedLoading { false };

 protected:
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineBinaryProperty("Blob", TStreamProc(this, &TStWidget::ReadBlob),
                                TStreamProc(this, &TStWidget::WriteBlob), !Blob.empty());
  }
  void Loaded() override {
    gStLog.push_back("Loaded " + Name() + " buddy=" + (FBuddy ? FBuddy->Name() : std::string("nil")) + " " +
                     StateText(ComponentState()));
    TComponent::Loaded();
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == FBuddy) FBuddy = nullptr;
  }

 private:
  void ReadBlob(TStream* s) {
    Blob.resize(static_cast<size_t>(s->Size()));
    s->ReadBuffer(Blob.data(), static_cast<int>(Blob.size()));
  }
  void WriteBlob(TStream* s) { s->WriteBuffer(Blob.data(), static_cast<int>(Blob.size())); }

  int FCount { 5 };
  double FRatio { 0 };
  AnsiString FCaption;
  TStAlign FAlign { saNone };
  TStOptions FOptions { soAlpha };
  bool FVisible { true };
  char FLetter { 'x' };
  TDateTime FWhen { 0 };
  int FHidden { 0 };
  int FLevel { 0 };
  TStFont* FFont;
  TStringList* FLines;
  TStItems* FItems;
  TStWidget* FBuddy { nullptr };
};

// A container that owns what is read inside it and writes what it owns.
class TStPanel : public TStWidget {
  XJ_CLASS(TStPanel, TStWidget)
 public:
  using TStWidget::TStWidget;
  void GetChildren(TGetChildProc proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
  }
  TComponent* GetChildOwner() override { return this; }

 protected:
  void ReadState(TReader* reader) override {
    gStLog.push_back(Name() + " ReadState owner=" + reader->Owner()->Name());
    TStWidget::ReadState(reader);
  }
};

// The root: writes the components it owns, has a field for Widget1 and a handler to bind by name.
class TStForm : public TComponent {
  XJ_CLASS(TStForm, TComponent)
 public:
  using TComponent::TComponent;
  void GetChildren(TGetChildProc proc, TComponent*) override {
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
  }
  void Widget1Ping(TObject* sender) { Pings.push_back(static_cast<TComponent*>(sender)->Name()); }
  void WrongShape(TObject*, int) {}

  TStWidget* Widget1 { nullptr };
  std::vector<std::string> Pings;

 protected:
  void Loaded() override {
    gStLog.push_back("Loaded " + Name() + " " + StateText(ComponentState()));
    TComponent::Loaded();
  }
};

// Indexed properties behind private accessors, on a sub-object (like a serial port's event characters).
class TStChars : public TPersistent {
  XJ_CLASS(TStChars, TPersistent)
  XJ_PUBLISHED_ACCESS;

 private:
  char GetChar(int index) const { return FChars[index]; }
  void SetChar(int index, char value) { FChars[index] = value; }
  char FChars[3] { 0, 17, 19 };
};

class TStComm : public TComponent {
  XJ_CLASS(TStComm, TComponent)
 public:
  using TComponent::TComponent;
  ~TStComm() override { delete FChars; }
  TStChars* EventChars() const { return FChars; }
  int Rate() const { return FRate; }
  void SetRate(int v) { FRate = v; }

 private:
  TStChars* FChars { new TStChars };
  int FRate { 9600 };
};

XJ_PUBLISHED(TStChars,
  XJ_PROP_INDEX(XOnChar, GetChar, SetChar, 1, 17)
  XJ_PROP_INDEX(XOffChar, GetChar, SetChar, 2, 19));

XJ_PUBLISHED(TStComm,
  XJ_PROP_RO(EventChars)
  XJ_PROP_RW(BaudRate, Rate, SetRate, 9600));

XJ_PUBLISHED(TStFont,
  XJ_PROP(Name)
  XJ_PROP(Size, 8)
  XJ_PROP(Style, {}));

XJ_PUBLISHED(TStItem,
  XJ_PROP(Caption)
  XJ_PROP(Width, 50)
  XJ_PROP_RO(SubItems));

XJ_PUBLISHED(TStWidget,
  XJ_PROP(Count, 5)
  XJ_PROP(Ratio)
  XJ_PROP(Caption)
  XJ_PROP(Align, saNone)
  XJ_PROP(Options, { soAlpha })
  XJ_PROP(Visible, true)
  XJ_PROP(Letter, 'x')
  XJ_PROP(When)
  XJ_PROP(Hidden) XJ_NOT_STORED
  XJ_PROP(Level) XJ_STORED(IsLevelStored)
  XJ_PROP_RO(Font)
  XJ_PROP(Lines)
  XJ_PROP(Items)
  XJ_PROP(Buddy)
  XJ_EVENT(OnPing));

XJ_PUBLISHED(TStPanel);

XJ_PUBLISHED(TStForm,
  XJ_FIELD(Widget1)
  XJ_METHOD(Widget1Ping)
  XJ_METHOD(WrongShape));

namespace {

class Streaming : public testing::Test {
 protected:
  void SetUp() override {
    RegisterClasses({ TStWidget::StaticClass(), TStPanel::StaticClass(), TStForm::StaticClass() });
    gStLog.clear();
  }
};

// Builds the form the round trip starts from.
void BuildForm(TStForm& form) {
  form.SetName("Form1");
  auto* w1 = new TStWidget(&form);
  w1->SetName("Widget1");
  auto* w2 = new TStWidget(&form);
  w2->SetName("Widget2");
  w1->SetCount(7);
  w1->SetRatio(2.5);
  w1->SetCaption("巡检 'q'\r\nline2");
  w1->SetAlign(saClient);
  w1->SetOptions({ soBeta, soGamma });
  w1->SetVisible(false);
  w1->SetLetter('\x11');
  w1->SetWhen(45000.75);
  w1->SetHidden(3);
  w1->SetLevel(2);
  w1->Font()->SetName("宋体");
  w1->Font()->SetSize(12);
  w1->Font()->SetStyle({ soAlpha });
  w1->Lines()->Add("a");
  w1->Lines()->Add("b c");
  auto* first = static_cast<TStItem*>(w1->Items()->Add());
  first->SetCaption("one");
  auto* sub = static_cast<TStItem*>(first->SubItems()->Add());
  sub->SetWidth(9);
  static_cast<TStItem*>(w1->Items()->Add())->SetWidth(80);
  w1->SetBuddy(w2);  // a component written after it
  w1->OnPing = TNotifyEvent(&form, &TStForm::Widget1Ping);
  w1->Blob = std::string("\x00\x01\xFF", 3);
  auto* panel = new TStPanel(&form);
  panel->SetName("Panel1");
  auto* inner = new TStWidget(panel);
  inner->SetName("Inner");
  inner->SetBuddy(w1);
}

const char* const kExpected =
    "object Form1: TStForm\r\n"
    "  object Widget1: TStWidget\r\n"
    "    Count = 7\r\n"
    "    Ratio = 2.5\r\n"
    "    Caption = '巡检 ''q'''#13#10'line2'\r\n"
    "    Align = saClient\r\n"
    "    Options = [soBeta, soGamma]\r\n"
    "    Visible = False\r\n"
    "    Letter = #17\r\n"
    "    When = 45000.75\r\n"
    "    Level = 2\r\n"
    "    Font.Name = '宋体'\r\n"
    "    Font.Size = 12\r\n"
    "    Font.Style = [soAlpha]\r\n"
    "    Lines.Strings = (\r\n"
    "      'a'\r\n"
    "      'b c')\r\n"
    "    Items = <\r\n"
    "      item\r\n"
    "        Caption = 'one'\r\n"
    "        SubItems = <\r\n"
    "          item\r\n"
    "            Width = 9\r\n"
    "          end>\r\n"
    "      end\r\n"
    "      item\r\n"
    "        Width = 80\r\n"
    "      end>\r\n"
    "    Buddy = Widget2\r\n"
    "    OnPing = Widget1Ping\r\n"
    "    Blob = {\r\n"
    "      0001FF}\r\n"
    "  end\r\n"
    "  object Widget2: TStWidget\r\n"
    "    Font.Name = 'Tahoma'\r\n"
    "  end\r\n"
    "  object Panel1: TStPanel\r\n"
    "    Font.Name = 'Tahoma'\r\n"
    "    object Inner: TStWidget\r\n"
    "      Font.Name = 'Tahoma'\r\n"
    "      Buddy = Widget1\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

TEST_F(Streaming, WritesOnlyWhatDiffersFromTheDeclaredDefaultsInDeclarationOrder) {
  TStForm form(nullptr);
  BuildForm(form);
  EXPECT_EQ(WriteComponentResource(&form), kExpected);
  EXPECT_FALSE(form.Widget1->ComponentState().Contains(csWriting));
}

TEST_F(Streaming, ReadsBackEverythingItWrote) {
  TStForm form(nullptr);
  ReadComponentResource(&form, kExpected);
  EXPECT_EQ(form.Name(), "Form1");
  ASSERT_NE(form.Widget1, nullptr);  // the published field was filled in by name
  TStWidget* w1 = form.Widget1;
  auto* w2 = static_cast<TStWidget*>(form.FindComponent("Widget2"));
  auto* panel = static_cast<TStPanel*>(form.FindComponent("Panel1"));
  ASSERT_NE(w2, nullptr);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(form.ComponentCount(), 3);
  EXPECT_EQ(w1->Count(), 7);
  EXPECT_EQ(w1->Ratio(), 2.5);
  EXPECT_EQ(w1->Caption(), "巡检 'q'\r\nline2");
  EXPECT_EQ(w1->Align(), saClient);
  EXPECT_TRUE(w1->Options() == (TStOptions { soBeta, soGamma }));
  EXPECT_FALSE(w1->Visible());
  EXPECT_EQ(w1->Letter(), '\x11');
  EXPECT_EQ(w1->When(), 45000.75);
  EXPECT_EQ(w1->Hidden(), 0);  // not stored
  EXPECT_EQ(w1->Font()->Name(), "宋体");
  EXPECT_EQ(w1->Font()->Size(), 12);
  EXPECT_EQ(w1->Lines()->Text(), "a\r\nb c\r\n");
  ASSERT_EQ(w1->Items()->Count(), 2);
  EXPECT_EQ(w1->Items()->Item(0)->Caption(), "one");
  EXPECT_EQ(w1->Items()->Item(0)->SubItems()->Item(0)->Width(), 9);
  EXPECT_EQ(w1->Items()->Item(1)->Width(), 80);
  EXPECT_EQ(w1->Buddy(), w2);
  EXPECT_EQ(w1->Blob, std::string("\x00\x01\xFF", 3));
  EXPECT_EQ(w2->Count(), 5);              // absent: the constructor's value stands
  ASSERT_EQ(panel->ComponentCount(), 1);  // the panel owns what was read inside it
  auto* inner = static_cast<TStWidget*>(panel->Components(0));
  EXPECT_EQ(inner->Buddy(), w1);
  ASSERT_TRUE(w1->OnPing);
  w1->OnPing(w1);
  EXPECT_EQ(form.Pings, (std::vector<std::string> { "Widget1" }));
  EXPECT_TRUE(w1->OnPing == TNotifyEvent(&form, &TStForm::Widget1Ping));
  for (TComponent* c : std::vector<TComponent*> { &form, w1, w2, panel, inner })
    EXPECT_EQ(StateText(c->ComponentState()), "-") << c->Name();
  EXPECT_EQ(WriteComponentResource(&form), kExpected);
}

TEST_F(Streaming, LoadingStateFixUpsAndLoadedComeInTheFaithfulOrder) {
  TStForm form(nullptr);
  ReadComponentResource(&form, kExpected);
  EXPECT_TRUE(form.Widget1->FConstructedLoading);  // the constructor already knows
  const std::vector<std::string> expected = {
    "Widget1.Count LR",              // properties: loading and reading
    "items Update all",              // the collection read: one Update at its end
    "Panel1 ReadState owner=Form1",  // read by the root's reader, owning its children
    "Widget1.Buddy=Widget2 LF",      // references after the whole resource, through the setter
    "Inner.Buddy=Widget1 LF",
    "Loaded Form1 L",  // then Loaded once each, root first, still loading
    "Loaded Widget1 buddy=Widget2 L",
    "Loaded Widget2 buddy=nil L",
    "Loaded Panel1 buddy=nil L",
    "Loaded Inner buddy=Widget1 L",
  };
  std::vector<std::string> log;
  for (const auto& line : gStLog)
    if (line.rfind("sub ", 0) != 0) log.push_back(line);
  EXPECT_EQ(log, expected);
}

TEST_F(Streaming, ReferencesAcrossRootsGoThroughTheGlobalLookup) {
  TStForm other(nullptr);
  other.SetName("Other");
  auto* skin = new TStWidget(&other);
  skin->SetName("Skin");
  static TStForm* gOther = nullptr;
  gOther = &other;
  FindGlobalComponent = [](const AnsiString& name) -> TComponent* {
    return SameText(name, "Other") ? gOther : nullptr;
  };
  TStForm form(nullptr);
  ReadComponentResource(&form,
                        "object F: TStForm\n object A: TStWidget\n  Buddy = Other.Skin\n end\n"
                        " object B: TStWidget\n  Buddy = Missing.Skin\n end\nend\n");
  FindGlobalComponent = nullptr;
  auto* a = static_cast<TStWidget*>(form.FindComponent("A"));
  EXPECT_EQ(a->Buddy(), skin);
  EXPECT_EQ(static_cast<TStWidget*>(form.FindComponent("B"))->Buddy(), nullptr);  // another root, not there yet
  EXPECT_NE(WriteComponentResource(&form).find("Buddy = Other.Skin"), AnsiString::npos);
  delete skin;  // asked FreeNotification across roots: the reference is dropped
  EXPECT_EQ(a->Buddy(), nullptr);
}

TEST_F(Streaming, AFormTextWithAUtf8ByteOrderMarkIsReadAsUtf8) {
  const std::string utf8 = reinterpret_cast<const char*>(u8"余烬");
  const std::string body = "object F: TStForm\n object A: TStWidget\n  Caption = '" + utf8 + "'\n end\nend\n";
  TStForm marked(nullptr);
  ReadComponentResource(&marked, "\xEF\xBB\xBF" + body);
  EXPECT_EQ(static_cast<TStWidget*>(marked.FindComponent("A"))->Caption(), "余烬");
  // Without the mark the text is GBK, byte for byte.
  TStForm plain(nullptr);
  ReadComponentResource(&plain, body);
  EXPECT_EQ(static_cast<TStWidget*>(plain.FindComponent("A"))->Caption(), utf8);
}

struct TBadCase {
  const char* what;
  const char* text;
  const char* message;
};

TEST_F(Streaming, MalformedResourcesRaiseWithTheLineAndLeaveNothingHalfBuilt) {
  const std::vector<TBadCase> cases = {
    { "unknown class",
      "object F: TStForm\n object Widget1: TStWidget\n  Count = 1\n end\n object P: TStPanel\n"
      "  object X: TNope\n  end\n end\nend\n",
      "Class TNope not found (line 6)" },
    { "unknown property",
      "object F: TStForm\n object Widget1: TStWidget\n end\n object P: TStPanel\n  object I: TStWidget\n"
      "   Nope = 1\n  end\n end\nend\n",
      "Error reading I.Nope: Property Nope does not exist (line 6)" },
    { "unknown sub-property", "object F: TStForm\n object W: TStWidget\n  Font.Colour = 1\n end\nend\n",
      "Error reading W.Font.Colour: Property Colour does not exist (line 3)" },
    { "unknown enumeration identifier", "object F: TStForm\n object W: TStWidget\n  Align = saWrong\n end\nend\n",
      "Error reading W.Align: Invalid property value saWrong (line 3)" },
    { "unknown set element", "object F: TStForm\n object W: TStWidget\n  Options = [soBeta, soDelta]\n end\nend\n",
      "Error reading W.Options: Invalid property value soDelta (line 3)" },
    { "a string for an integer", "object F: TStForm\n object W: TStWidget\n  Count = 'seven'\n end\nend\n",
      "Error reading W.Count: Invalid property value 'seven' (line 3)" },
    { "an integer out of range", "object F: TStForm\n object W: TStWidget\n  Count = 4294967296\n end\nend\n",
      "Error reading W.Count: Invalid property value 4294967296 (line 3)" },
    { "unknown method", "object F: TStForm\n object W: TStWidget\n  OnPing = NoSuchHandler\n end\nend\n",
      "Error reading W.OnPing: Method NoSuchHandler not found (line 3)" },
    { "a method of another shape", "object F: TStForm\n object W: TStWidget\n  OnPing = WrongShape\n end\nend\n",
      "Error reading W.OnPing: Method WrongShape does not match the event's parameters (line 3)" },
    { "unknown component reference", "object F: TStForm\n object W: TStWidget\n  Buddy = Ghost\n end\nend\n",
      "Error reading W.Buddy: Component Ghost not found (line 3)" },
    { "a reference of the wrong class", "object F: TStForm\n object W: TStWidget\n  Buddy = F\n end\nend\n",
      "Error reading W.Buddy: Invalid property value F (line 3)" },
    { "a duplicate name", "object F: TStForm\n object W: TStWidget\n end\n object w: TStWidget\n end\nend\n",
      "A component named w already exists (line 4)" },
    { "a missing '='", "object F: TStForm\n object W: TStWidget\n  Count 3\n end\nend\n", "'=' expected (line 3)" },
    { "an unterminated string", "object F: TStForm\n object W: TStWidget\n  Caption = 'abc\n end\nend\n",
      "Unterminated string (line 3)" },
    { "odd binary digits", "object F: TStForm\n object W: TStWidget\n  Blob = {ABC}\n end\nend\n",
      "Invalid binary value: odd number of digits (line 3)" },
    { "a missing end", "object F: TStForm\n object W: TStWidget\n  Count = 3\n", "'end' expected (line 4)" },
    { "another root class", "object F: TStWidget\nend\n",
      "Resource of class TStWidget cannot be read into a TStForm (line 1)" },
    { "text after the end", "object F: TStForm\nend\nobject G: TStForm\nend\n", "End of resource expected (line 3)" },
  };
  for (const auto& c : cases) {
    TStForm form(nullptr);
    auto* existing = new TStWidget(&form);  // made in code before the read: must survive it
    existing->SetName("Existing");
    const int live = gStLive;
    try {
      ReadComponentResource(&form, c.text);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EFilerError& e) {  // EReadError or EClassNotFound
      EXPECT_EQ(e.Message(), c.message) << c.what;
    } catch (const EComponentError& e) {
      ADD_FAILURE() << c.what << ": " << e.Message();
    }
    EXPECT_EQ(gStLive, live) << c.what;  // every component the read made is gone again
    EXPECT_EQ(form.ComponentCount(), 1) << c.what;
    EXPECT_EQ(form.Widget1, nullptr) << c.what;
    EXPECT_EQ(StateText(form.ComponentState()), "-") << c.what;
  }
}

// Nesting: panels inside panels, or collection items holding collections. Up to 256 levels read and
// write back; one more (or a hostile hundred thousand) is a read error at the line that went too deep,
// with nothing of the read left behind.
TEST_F(Streaming, NestingDeeperThanTheLimitIsAReadErrorNotACrash) {
  auto panels = [](int depth) {
    AnsiString text = "object F: TStForm\r\n";
    for (int i = 0; i < depth; ++i) text += "object P" + IntToStr(i) + ": TStPanel\r\n";
    for (int i = 0; i < depth; ++i) text += "end\r\n";
    return text + "end\r\n";
  };
  auto items = [](int collections) {  // each but the innermost holds one item
    AnsiString text = "object F: TStForm\r\nobject W: TStWidget\r\nItems = <";
    for (int i = 1; i < collections; ++i) text += "\r\nitem\r\nSubItems = <";
    for (int i = 1; i < collections; ++i) text += ">\r\nend";
    return text + ">\r\nend\r\nend\r\n";
  };
  {
    TStForm form(nullptr);
    ReadComponentResource(&form, panels(256));
    int depth = 0;
    for (TComponent* c = &form; c->ComponentCount() > 0; c = c->Components(0)) ++depth;
    EXPECT_EQ(depth, 256);
    TStForm again(nullptr);
    ReadComponentResource(&again, WriteComponentResource(&form));
    EXPECT_EQ(WriteComponentResource(&again), WriteComponentResource(&form));
  }
  {
    TStForm form(nullptr);
    ReadComponentResource(&form, items(255));  // the widget is one level, its collections the rest
    TStItems* level = form.FindComponent("W") ? static_cast<TStWidget*>(form.FindComponent("W"))->Items() : nullptr;
    int depth = 0;
    for (; level && level->Count() > 0; level = level->Item(0)->SubItems()) ++depth;
    EXPECT_EQ(depth, 254);
  }
  const struct {
    AnsiString text;
    const char* message;
  } tooDeep[] = {
    { panels(257), "Objects nested more than 256 deep (line 258)" },
    { panels(100000), "Objects nested more than 256 deep (line 258)" },
    { items(256), "Objects nested more than 256 deep (line 513)" },
    { items(100000), "Objects nested more than 256 deep (line 513)" },
  };
  for (const auto& c : tooDeep) {
    TStForm form(nullptr);
    const int live = gStLive;
    try {
      ReadComponentResource(&form, c.text);
      ADD_FAILURE() << "no error for " << c.text.size() << " bytes";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(gStLive, live);
    EXPECT_EQ(form.ComponentCount(), 0);
  }
}

TEST_F(Streaming, UnknownClassIsAClassNotFoundError) {
  TStForm form(nullptr);
  EXPECT_THROW(ReadComponentResource(&form, "object F: TStForm\n object X: TUnregistered\n end\nend\n"),
               EClassNotFound);
}

TEST_F(Streaming, ValueSyntaxVariants) {
  TStForm form(nullptr);
  ReadComponentResource(&form,
                        "object F: TStForm\r\n"
                        "  object W: TStWidget\r\n"
                        "    count = $10\r\n"                   // names without case, hex numbers
                        "    Caption = 'ab' +\r\n 'cd'#65\r\n"  // joined pieces and character codes
                        "    Ratio = -3\r\n"                    // an integer where a float goes
                        "    Visible = TRUE\r\n"
                        "    Options = []\r\n"
                        "    Letter = 'q'\r\n"
                        "    Blob = {}\r\n"
                        "    Buddy = nil\r\n"
                        "    OnPing = nil\r\n"
                        "  end\r\n"
                        "end");
  auto* w = static_cast<TStWidget*>(form.FindComponent("W"));
  EXPECT_EQ(w->Count(), 16);
  EXPECT_EQ(w->Caption(), "abcdA");
  EXPECT_EQ(w->Ratio(), -3.0);
  EXPECT_TRUE(w->Visible());
  EXPECT_TRUE(w->Options().Empty());
  EXPECT_EQ(w->Letter(), 'q');
}

TEST_F(Streaming, IndexedPropertiesOfSubObjects) {
  RegisterClass(TStComm::StaticClass());
  TStForm form(nullptr);
  ReadComponentResource(&form,
                        "object F: TStForm\n object C: TStComm\n  EventChars.XOffChar = 'A'\n"
                        "  BaudRate = 115200\n end\nend\n");
  auto* comm = static_cast<TStComm*>(form.FindComponent("C"));
  EXPECT_EQ(comm->Rate(), 115200);
  const TPropInfo* on = GetPropInfo(comm->EventChars(), "XOnChar");
  const TPropInfo* off = GetPropInfo(comm->EventChars(), "xoffchar");
  ASSERT_TRUE(on && off);
  EXPECT_EQ(GetOrdProp(comm->EventChars(), on), 17);  // absent: the constructor's value
  EXPECT_EQ(GetOrdProp(comm->EventChars(), off), 'A');
  const AnsiString text = WriteComponentResource(&form);
  EXPECT_NE(text.find("    EventChars.XOffChar = 'A'\r\n    BaudRate = 115200\r\n"), AnsiString::npos) << text;
  EXPECT_EQ(text.find("XOnChar"), AnsiString::npos);
}

// A unit's registration may run again while the program holds a property's info (a reader mid-form):
// the same table registered again is the one already built, not a new copy.
TEST_F(Streaming, RegisteringAClassAgainKeepsTheInfoHeldFromIt) {
  const TPropInfo* caption = GetPropInfo(TStWidget::StaticClass(), "Caption");
  ASSERT_NE(caption, nullptr);
  RegisterPublishedClasses<TStWidget>();
  EXPECT_EQ(GetPropInfo(TStWidget::StaticClass(), "caption"), caption);
  TStForm form(nullptr);
  auto* w = new TStWidget(&form);
  SetStrProp(w, caption, "kept");
  EXPECT_EQ(w->Caption(), "kept");
}

// ---- Collections --------------------------------------------------------------------------------------

TEST(Collection, UpdateComesOncePerEndUpdateAndPerChangeOutsideIt) {
  TStItems items(nullptr, "c");
  gStLog.clear();
  auto* a = static_cast<TStItem*>(items.Add());
  EXPECT_EQ(gStLog, (std::vector<std::string> { "c Update all" }));  // after the item was complete
  gStLog.clear();
  a->SetWidth(3);
  EXPECT_EQ(gStLog, (std::vector<std::string> { "c Update 0" }));
  gStLog.clear();
  items.BeginUpdate();
  items.BeginUpdate();
  items.Add();
  items.Insert(0);
  a->SetCaption("x");
  items.EndUpdate();
  EXPECT_TRUE(gStLog.empty());
  items.EndUpdate();
  EXPECT_EQ(gStLog, (std::vector<std::string> { "c Update all" }));
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(items.Count(), 3);
  EXPECT_EQ(items.FindItemID(a->ID()), a);
  EXPECT_EQ(items.FindItemID(99), nullptr);
  EXPECT_THROW(items.Items(3), EListError);
  a->SetIndex(2);
  EXPECT_EQ(items.Items(2), a);
  items.Delete(0);
  EXPECT_EQ(items.Count(), 2);
  delete a;  // an item freed directly leaves its collection
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(items.Owner(), nullptr);
}

TEST(Collection, AssignCopiesItemsThroughTheirAssign) {
  TStItems from(nullptr, "from"), to(nullptr, "to");
  from.Add();
  // TStItem has no Assign of its own: copying items is refused the class library's way.
  EXPECT_THROW(to.Assign(&from), EConvertError);
  EXPECT_THROW({ TCollection c(TStWidget::StaticClass()); }, EComponentError);
  TCollection plain(TCollectionItem::StaticClass());
  EXPECT_EQ(plain.Add()->DisplayName(), "TCollectionItem");
}

}  // namespace
