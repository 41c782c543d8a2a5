// The text form-resource format: lexer, TReader (with fix-ups and Loaded) and TWriter.

#include <cassert>
#include <charconv>
#include <cstring>

#include "platform/vcl/Classes.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/WinBase.h"

namespace {

enum class Tok { Eof, Symbol, Ident, String, Integer, Float, Binary };

struct TToken {
  Tok Kind { Tok::Eof };
  char Symbol { 0 };
  AnsiString Text;  // identifier, string value, binary bytes or the number as written
  int64_t Int { 0 };
  Extended Float { 0 };
  int Line { 1 };

  bool Is(char c) const { return Kind == Tok::Symbol && Symbol == c; }
  bool IsIdent(const char* word) const { return Kind == Tok::Ident && SameText(Text, word); }
};

[[noreturn]] void RaiseAt(const AnsiString& Msg, int Line) { throw EReadError(Format("%s (line %d)", Msg, Line)); }

bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

class TLexer {
 public:
  explicit TLexer(const AnsiString& Text) : FText(Text) {}

  // The reader looks at most one token past the current one.
  const TToken& Peek(size_t Ahead = 0) {
    assert(Ahead < kLookahead);
    while (FCount <= Ahead) FAhead[(FFirst + FCount++) % kLookahead] = Scan();
    return FAhead[(FFirst + Ahead) % kLookahead];
  }
  TToken Next() {
    Peek();
    TToken t = std::move(FAhead[FFirst]);
    FFirst = (FFirst + 1) % kLookahead;
    --FCount;
    return t;
  }

 private:
  char At(size_t i) const { return i < FText.size() ? FText[i] : '\0'; }
  bool AtEnd() const { return FPos >= FText.size(); }

  void SkipBlanks() {
    while (!AtEnd()) {
      const char c = FText[FPos];
      if (c == '\n') {
        ++FLine;
      } else if (c == '\r') {
        if (At(FPos + 1) != '\n') ++FLine;
      } else if (c != ' ' && c != '\t') {
        break;
      }
      ++FPos;
    }
  }

  TToken Scan() {
    SkipBlanks();
    TToken t;
    t.Line = FLine;
    if (AtEnd()) return t;
    const char c = FText[FPos];
    if (IsAlpha(c)) return ScanIdent(t);
    if (IsDigit(c) || c == '$' || ((c == '-' || c == '+') && (IsDigit(At(FPos + 1)) || At(FPos + 1) == '$')))
      return ScanNumber(t);
    if (c == '\'' || c == '#') return ScanString(t);
    if (c == '{') return ScanBinary(t);
    if (std::strchr("=:[](),<>+", c)) {
      t.Kind = Tok::Symbol;
      t.Symbol = c;
      ++FPos;
      return t;
    }
    RaiseAt(Format("Invalid character #%d", static_cast<unsigned char>(c)), FLine);
  }

  TToken ScanIdent(TToken& t) {
    const size_t start = FPos;
    for (;;) {
      while (!AtEnd() && (IsAlpha(FText[FPos]) || IsDigit(FText[FPos]))) ++FPos;
      if (At(FPos) == '.' && IsAlpha(At(FPos + 1)))
        ++FPos;
      else
        break;
    }
    t.Kind = Tok::Ident;
    t.Text = FText.substr(start, FPos - start);
    return t;
  }

  TToken ScanNumber(TToken& t) {
    const size_t start = FPos;
    bool negative = false;
    if (FText[FPos] == '-' || FText[FPos] == '+') negative = FText[FPos++] == '-';
    if (At(FPos) == '$') {
      ++FPos;
      uint64_t value = 0;
      int digits = 0;
      while (HexValue(At(FPos)) >= 0) {
        value = value * 16 + static_cast<uint64_t>(HexValue(FText[FPos++]));
        if (++digits > 16) RaiseAt("Hexadecimal number too long", t.Line);
      }
      if (digits == 0) RaiseAt("Invalid hexadecimal number", t.Line);
      t.Kind = Tok::Integer;
      t.Int = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
      t.Text = FText.substr(start, FPos - start);
      return t;
    }
    while (IsDigit(At(FPos))) ++FPos;
    bool isFloat = false;
    if (At(FPos) == '.' && IsDigit(At(FPos + 1))) {
      isFloat = true;
      ++FPos;
      while (IsDigit(At(FPos))) ++FPos;
    }
    if ((At(FPos) == 'e' || At(FPos) == 'E') &&
        (IsDigit(At(FPos + 1)) || ((At(FPos + 1) == '-' || At(FPos + 1) == '+') && IsDigit(At(FPos + 2))))) {
      isFloat = true;
      FPos += 2;
      while (IsDigit(At(FPos))) ++FPos;
    }
    t.Text = FText.substr(start, FPos - start);
    const char* first = t.Text.data() + (t.Text[0] == '+' ? 1 : 0);
    const char* last = t.Text.data() + t.Text.size();
    if (isFloat) {
      t.Kind = Tok::Float;
      long double v = 0;
      if (std::from_chars(first, last, v).ec != std::errc()) RaiseAt("Invalid number " + t.Text, t.Line);
      t.Float = v;
    } else {
      t.Kind = Tok::Integer;
      if (std::from_chars(first, last, t.Int).ec != std::errc()) RaiseAt("Number out of range " + t.Text, t.Line);
    }
    return t;
  }

  // 'quoted' runs (with '' for a quote) and #nn characters, written next to each other.
  TToken ScanString(TToken& t) {
    t.Kind = Tok::String;
    while (!AtEnd() && (FText[FPos] == '\'' || FText[FPos] == '#')) {
      if (FText[FPos] == '#') {
        ++FPos;
        int value = 0;
        int digits = 0;
        while (IsDigit(At(FPos))) {
          value = value * 10 + (FText[FPos++] - '0');
          if (++digits > 3) break;
        }
        if (digits == 0 || value > 255) RaiseAt("Invalid character code in string", t.Line);
        t.Text += static_cast<char>(value);
        continue;
      }
      ++FPos;
      for (;;) {
        if (AtEnd() || FText[FPos] == '\r' || FText[FPos] == '\n') RaiseAt("Unterminated string", t.Line);
        const char c = FText[FPos++];
        if (c != '\'') {
          t.Text += c;
        } else if (At(FPos) == '\'') {
          t.Text += '\'';
          ++FPos;
        } else {
          break;
        }
      }
    }
    return t;
  }

  TToken ScanBinary(TToken& t) {
    t.Kind = Tok::Binary;
    ++FPos;
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) RaiseAt("Unterminated binary value", t.Line);
      const char c = FText[FPos++];
      if (c == '}') break;
      const int v = HexValue(c);
      if (v < 0) RaiseAt("Invalid binary value", FLine);
      if (high < 0) {
        high = v;
      } else {
        t.Text += static_cast<char>(high * 16 + v);
        high = -1;
      }
    }
    if (high >= 0) RaiseAt("Invalid binary value: odd number of digits", t.Line);
    return t;
  }

  const AnsiString& FText;
  size_t FPos { 0 };
  int FLine { 1 };
  static constexpr size_t kLookahead = 2;
  TToken FAhead[kLookahead];  // FCount tokens scanned ahead, from FFirst on
  size_t FFirst { 0 };
  size_t FCount { 0 };
};

// Objects and collections nest by recursion; deeper than this no form is ever written by hand, and a
// hostile text must not exhaust the stack first.
constexpr int kMaxNesting = 256;

AnsiString StringLiteral(const AnsiString& s) {
  if (s.empty()) return "''";
  AnsiString out;
  bool quoted = false;
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 32) {
      if (quoted) out += '\'';
      quoted = false;
      out += '#' + IntToStr(static_cast<unsigned char>(c));
    } else {
      if (!quoted) out += '\'';
      quoted = true;
      out += c;
      if (c == '\'') out += '\'';
    }
  }
  if (quoted) out += '\'';
  return out;
}

AnsiString FloatLiteral(Extended v, TFloatType type) {
  char buf[64];
  std::to_chars_result r;
  switch (type) {
    case ftSingle:
      r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v));
      break;
    case ftDouble:
      r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v));
      break;
    default:
      r = std::to_chars(buf, buf + sizeof buf, static_cast<long double>(v));
      break;
  }
  const AnsiString text(buf, r.ptr);
  if (text.find_first_of("ni") != AnsiString::npos) throw EWriteError("Invalid floating point value " + text);
  return text;
}

bool IsObjectStart(TLexer& lex) {
  const TToken& t = lex.Peek();
  return (t.IsIdent("object") || t.IsIdent("inherited") || t.IsIdent("inline")) && !lex.Peek(1).Is('=');
}

bool IsEnd(TLexer& lex) { return lex.Peek().IsIdent("end") && !lex.Peek(1).Is('='); }

}  // namespace

// ---- TReader ------------------------------------------------------------------------------------------

// The reader's state and its own operations, kept out of the header.
struct TReader::TImpl {
  // A form text saved by an editor as UTF-8 with a byte-order mark reads as the GBK it stands for.
  TImpl(TReader* reader, const AnsiString& text) : R(reader), Text(xj::GbkFromFileText(text)), Lex(Text) {}

  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    AnsiString Name;
    AnsiString Where;
    int Line;
  };

  TReader* R;
  AnsiString Text;
  TLexer Lex;
  std::vector<TFixup> Fixups;
  std::vector<TComponent*> Loaded;
  std::vector<TComponent*> Created;
  AnsiString Context;      // the component being read, for messages
  AnsiString PendingName;  // the non-published property DefineProperties is asked about
  bool PendingHandled { false };
  int Depth { 0 };  // objects and collections open around the current point

  // One more level of nesting for the life of the returned guard.
  xj::TemporaryChange<int> Nest(int Line) {
    if (Depth >= kMaxNesting) RaiseAt(Format("Objects nested more than %d deep", kMaxNesting), Line);
    return xj::TemporaryChange<int>(Depth, Depth + 1);
  }

  [[noreturn]] void Error(const AnsiString& Where, const AnsiString& Msg, int Line) {
    RaiseAt(Format("Error reading %s.%s: %s", Context, Where, Msg), Line);
  }

  TToken Expect(Tok kind, const char* what) {
    TToken t = Lex.Next();
    if (t.Kind != kind) RaiseAt(Format("%s expected", what), t.Line);
    return t;
  }
  void ExpectSymbol(char c) {
    TToken t = Lex.Next();
    if (!t.Is(c)) RaiseAt(Format("'%s' expected", AnsiString(1, c)), t.Line);
  }
  void ExpectKeyword(const char* word) {
    TToken t = Lex.Next();
    if (!t.IsIdent(word)) RaiseAt(Format("'%s' expected", word), t.Line);
  }

  AnsiString StringValue() {
    AnsiString s = Expect(Tok::String, "String").Text;
    while (Lex.Peek().Is('+') && Lex.Peek(1).Kind == Tok::String) {
      Lex.Next();
      s += Lex.Next().Text;
    }
    return s;
  }

  // "object Name: TClass" -> (name, class, line).
  void Header(AnsiString& name, AnsiString& className, int& line) {
    TToken keyword = Expect(Tok::Ident, "'object'");
    line = keyword.Line;
    if (!keyword.IsIdent("object")) RaiseAt(Format("'%s' is not supported; 'object' expected", keyword.Text), line);
    AnsiString first = Expect(Tok::Ident, "Component name or class").Text;
    if (Lex.Peek().Is(':')) {
      Lex.Next();
      name = first;
      className = Expect(Tok::Ident, "Class name").Text;
    } else {
      className = first;
    }
  }

  void ReadProperty(TPersistent* Instance) {
    const TToken nameTok = Expect(Tok::Ident, "Property name");
    ExpectSymbol('=');
    const AnsiString& path = nameTok.Text;
    TPersistent* obj = Instance;
    size_t start = 0;
    for (size_t dot; (dot = path.find('.', start)) != AnsiString::npos; start = dot + 1) {
      const AnsiString part = path.substr(start, dot - start);
      const TPropInfo* prop = GetPropInfo(obj, part);
      if (!prop) Error(path, Format("Property %s does not exist", part), nameTok.Line);
      TObject* sub = prop->PropType->Kind == tkClass ? GetObjectProp(obj, prop) : nullptr;
      obj = dynamic_cast<TPersistent*>(sub);
      if (!obj || dynamic_cast<TComponent*>(sub)) Error(path, "Invalid property path", nameTok.Line);
    }
    const AnsiString last = path.substr(start);
    if (const TPropInfo* prop = GetPropInfo(obj, last)) {
      ReadPropValue(obj, prop, path, nameTok.Line);
      return;
    }
    xj::TemporaryChange<AnsiString> pending(PendingName, last);
    xj::TemporaryChange<bool> handled(PendingHandled, false);
    obj->DefineProperties(R);
    if (!PendingHandled) Error(path, Format("Property %s does not exist", last), nameTok.Line);
  }

  void ReadPropValue(TPersistent* obj, const TPropInfo* prop, const AnsiString& path, int line) {
    const TTypeInfo* type = prop->PropType;
    if (!prop->SetProc && type->Kind != tkClass) Error(path, "Property is read-only", line);
    switch (type->Kind) {
      case tkInteger: {
        const TToken t = Lex.Next();
        int64_t v = 0;
        const bool ok = (t.Kind == Tok::Integer && (v = t.Int) >= type->MinValue && v <= type->MaxValue) ||
                        (t.Kind == Tok::Ident && type->IdentToInt && type->IdentToInt(t.Text, v));
        if (!ok) Error(path, "Invalid property value " + TokenText(t), t.Line);
        SetOrdProp(obj, prop, v);
        break;
      }
      case tkChar: {
        const TToken t = Lex.Peek();
        const AnsiString s = t.Kind == Tok::String ? StringValue() : AnsiString();
        if (s.size() != 1) Error(path, "Invalid property value " + TokenText(t), t.Line);
        SetOrdProp(obj, prop, static_cast<unsigned char>(s[0]));
        break;
      }
      case tkEnumeration: {
        const TToken t = Lex.Next();
        const int64_t v = t.Kind == Tok::Ident ? GetEnumValue(type, t.Text) : -1;
        if (v < 0) Error(path, "Invalid property value " + TokenText(t), t.Line);
        SetOrdProp(obj, prop, v);
        break;
      }
      case tkFloat: {
        const TToken t = Lex.Next();
        if (t.Kind != Tok::Integer && t.Kind != Tok::Float)
          Error(path, "Invalid property value " + TokenText(t), t.Line);
        SetFloatProp(obj, prop, t.Kind == Tok::Integer ? static_cast<Extended>(t.Int) : t.Float);
        break;
      }
      case tkString: {
        if (Lex.Peek().Kind != Tok::String) Error(path, "Invalid property value " + TokenText(Lex.Peek()), line);
        SetStrProp(obj, prop, StringValue());
        break;
      }
      case tkSet:
        SetOrdProp(obj, prop, ReadSet(type->CompType, path));
        break;
      case tkMethod:
        ReadMethod(obj, prop, path);
        break;
      case tkClass:
        ReadClassValue(obj, prop, path, line);
        break;
      default:
        Error(path, "Unsupported property type", line);
    }
  }

  int64_t ReadSet(const TTypeInfo* elements, const AnsiString& path) {
    ExpectSymbol('[');
    uint64_t bits = 0;
    if (Lex.Peek().Is(']')) {
      Lex.Next();
      return 0;
    }
    for (;;) {
      const TToken t = Lex.Next();
      const int64_t v = t.Kind == Tok::Ident ? GetEnumValue(elements, t.Text) : -1;
      if (v < 0 || v > 63) Error(path, "Invalid property value " + TokenText(t), t.Line);
      bits |= uint64_t { 1 } << v;
      const TToken sep = Lex.Next();
      if (sep.Is(']')) break;
      if (!sep.Is(',')) RaiseAt("',' or ']' expected", sep.Line);
    }
    return static_cast<int64_t>(bits);
  }

  void ReadMethod(TPersistent* obj, const TPropInfo* prop, const AnsiString& path) {
    const TToken t = Expect(Tok::Ident, "Method name");
    if (t.IsIdent("nil")) {
      SetMethodProp(obj, prop, TMethod());
      return;
    }
    const TMethod m = FindPublishedMethod(R->Root(), t.Text);
    if (!m.Code) Error(path, Format("Method %s not found", t.Text), t.Line);
    if (m.Signature != prop->PropType->MethodSignature)
      Error(path, Format("Method %s does not match the event's parameters", t.Text), t.Line);
    SetMethodProp(obj, prop, m);
  }

  void ReadClassValue(TPersistent* obj, const TPropInfo* prop, const AnsiString& path, int line) {
    const TClass cls = prop->PropType->ClassType;
    if (cls->InheritsFrom(TCollection::StaticClass())) {
      auto* collection = dynamic_cast<TCollection*>(GetObjectProp(obj, prop));
      if (!collection) Error(path, "Collection not assigned", line);
      ReadCollection(collection);
      return;
    }
    if (!cls->InheritsFrom(TComponent::StaticClass()) || !prop->SetProc)
      Error(path, "Invalid property value " + TokenText(Lex.Peek()), line);
    const TToken t = Expect(Tok::Ident, "Component name");
    if (t.IsIdent("nil")) {
      SetObjectProp(obj, prop, nullptr);
      return;
    }
    Fixups.push_back({ obj, prop, t.Text, Context + "." + path, t.Line });
    if (auto* c = dynamic_cast<TComponent*>(obj)) c->FComponentState << csFixups;
  }

  void ReadCollection(TCollection* collection) {
    const auto nest = Nest(Lex.Peek().Line);
    ExpectSymbol('<');
    collection->BeginUpdate();
    try {
      collection->Clear();
      while (!Lex.Peek().Is('>')) {
        ExpectKeyword("item");
        TCollectionItem* item = collection->Add();
        while (!IsEnd(Lex)) {
          if (Lex.Peek().Kind == Tok::Eof) RaiseAt("'end' expected", Lex.Peek().Line);
          ReadProperty(item);
        }
        Lex.Next();
      }
      Lex.Next();
    } catch (...) {
      collection->EndUpdate();
      throw;
    }
    collection->EndUpdate();
  }

  // Skips one value of a property whose reader declined it.
  void SkipValue() {
    const TToken t = Lex.Next();
    if (t.Kind == Tok::String) {
      while (Lex.Peek().Is('+') && Lex.Peek(1).Kind == Tok::String) {
        Lex.Next();
        Lex.Next();
      }
      return;
    }
    if (t.Kind != Tok::Symbol) return;
    const char close = t.Symbol == '[' ? ']' : t.Symbol == '(' ? ')' : t.Symbol == '<' ? '>' : 0;
    if (!close) RaiseAt("Value expected", t.Line);
    for (int depth = 1; depth > 0;) {
      const TToken n = Lex.Next();
      if (n.Kind == Tok::Eof) RaiseAt(Format("'%s' expected", AnsiString(1, close)), n.Line);
      if (n.Is(t.Symbol)) ++depth;
      if (n.Is(close)) --depth;
    }
  }

  TComponent* Resolve(const AnsiString& name) {
    TComponent* root = R->Root();
    const size_t dot = name.find('.');
    const AnsiString first = name.substr(0, dot);
    TComponent* c = root->FindComponent(first);
    if (!c && SameText(first, root->Name())) c = root;
    if (!c && dot != AnsiString::npos && FindGlobalComponent) c = FindGlobalComponent(first);
    for (size_t start = dot; c && start != AnsiString::npos;) {
      const size_t next = name.find('.', start + 1);
      c = c->FindComponent(name.substr(start + 1, next == AnsiString::npos ? AnsiString::npos : next - start - 1));
      start = next;
    }
    return c;
  }

  void ResolveFixups() {
    for (const auto& f : Fixups) {
      TComponent* target = Resolve(f.Name);
      if (!target) {
        // Another root's component may simply not exist yet; a name of this root must resolve.
        if (f.Name.find('.') != AnsiString::npos) continue;
        RaiseAt(Format("Error reading %s: Component %s not found", f.Where, f.Name), f.Line);
      }
      if (!target->InheritsFrom(f.Prop->PropType->ClassType))
        RaiseAt(Format("Error reading %s: Invalid property value %s", f.Where, f.Name), f.Line);
      SetObjectProp(f.Instance, f.Prop, target);
    }
    for (const auto& f : Fixups)
      if (auto* c = dynamic_cast<TComponent*>(f.Instance)) c->FComponentState >> csFixups;
    Fixups.clear();
  }

  static AnsiString TokenText(const TToken& t) {
    switch (t.Kind) {
      case Tok::Eof:
        return "(end of text)";
      case Tok::Symbol:
        return AnsiString(1, t.Symbol);
      case Tok::String:
        return StringLiteral(t.Text);
      case Tok::Binary:
        return "{...}";
      default:
        return t.Text;
    }
  }
};

TReader::TReader(const AnsiString& Text) : FImpl(std::make_unique<TImpl>(this, Text)) {}

TReader::~TReader() = default;

int TReader::Line() const { return FImpl->Lex.Peek().Line; }

void TReader::ReadRootComponent(TComponent* Root) {
  FRoot = Root;
  FOwner = Root;
  FParent = nullptr;
  // On a failure nothing is left half-built: last created first, so owned components go before their owners.
  xj::ScopeExit undo([this, Root] {
    for (auto it = FImpl->Created.rbegin(); it != FImpl->Created.rend(); ++it) delete *it;
    FImpl->Created.clear();
    Root->FComponentState >> csLoading >> csReading >> csFixups;
  });
  AnsiString name, className;
  int line = 0;
  FImpl->Header(name, className, line);
  bool matches = false;
  for (TClass c = Root->ClassType(); c && !matches; c = c->Parent) matches = SameText(c->Name, className);
  if (!matches) RaiseAt(Format("Resource of class %s cannot be read into a %s", className, Root->ClassName()), line);
  Root->FComponentState << csLoading << csReading;
  if (!name.empty()) Root->SetName(name);
  FImpl->Context = Root->Name().empty() ? Root->ClassName() : Root->Name();
  FImpl->Loaded.push_back(Root);
  Root->ReadState(this);
  FImpl->ExpectKeyword("end");
  if (FImpl->Lex.Peek().Kind != Tok::Eof) RaiseAt("End of resource expected", FImpl->Lex.Peek().Line);
  Root->FComponentState >> csReading;
  FImpl->ResolveFixups();
  for (TComponent* c : FImpl->Loaded) c->Loaded();
  undo.Dismiss();
  FImpl->Created.clear();
  FImpl->Loaded.clear();
}

void TReader::ReadData(TComponent* Instance) {
  xj::TemporaryChange<AnsiString> context(FImpl->Context,
                                          Instance->Name().empty() ? Instance->ClassName() : Instance->Name());
  while (!IsObjectStart(FImpl->Lex) && !IsEnd(FImpl->Lex)) {
    if (FImpl->Lex.Peek().Kind == Tok::Eof) RaiseAt("'end' expected", FImpl->Lex.Peek().Line);
    FImpl->ReadProperty(Instance);
  }
  TComponent* owner = Instance->GetChildOwner();
  xj::TemporaryChange<TComponent*> savedOwner(FOwner, owner ? owner : FRoot);
  xj::TemporaryChange<TComponent*> savedParent(FParent, Instance->GetChildParent());
  while (IsObjectStart(FImpl->Lex)) ReadComponent(nullptr);
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  if (Component) RaiseAt("Reading into an existing component is not supported", Line());
  AnsiString name, className;
  int line = 0;
  FImpl->Header(name, className, line);
  const auto nest = FImpl->Nest(line);
  const TClass cls = GetClass(className);
  if (!cls) throw EClassNotFound(Format("Class %s not found (line %d)", className, line));
  TComponent* c = nullptr;
  {
    TComponent::FCreatingForReader = true;
    // The constructor clears it as it takes it; one that never ran must not leave it set.
    xj::ScopeExit created([] { TComponent::FCreatingForReader = false; });
    try {
      c = CreateComponent(cls, FOwner);
    } catch (const Exception& e) {
      RaiseAt(e.Message(), line);
    }
  }
  FImpl->Created.push_back(c);
  c->FComponentState << csLoading << csReading;
  if (!name.empty()) {
    try {
      c->SetName(name);
    } catch (const EComponentError& e) {
      RaiseAt(e.Message(), line);
    }
  }
  FImpl->Loaded.push_back(c);
  c->ReadState(this);
  FImpl->ExpectKeyword("end");
  c->FComponentState >> csReading;
  return c;
}

int TReader::ReadInteger() {
  const int64_t v = ReadInt64();
  if (v < INT32_MIN || v > INT32_MAX) RaiseAt("Integer out of range", Line());
  return static_cast<int>(v);
}

int64_t TReader::ReadInt64() { return FImpl->Expect(Tok::Integer, "Integer").Int; }

AnsiString TReader::ReadString() { return FImpl->StringValue(); }

AnsiString TReader::ReadIdent() { return FImpl->Expect(Tok::Ident, "Identifier").Text; }

bool TReader::ReadBoolean() {
  const int line = Line();
  const AnsiString ident = ReadIdent();
  if (SameText(ident, "True")) return true;
  if (SameText(ident, "False")) return false;
  RaiseAt("Boolean value expected", line);
}

Extended TReader::ReadFloat() {
  const TToken t = FImpl->Lex.Next();
  if (t.Kind == Tok::Integer) return static_cast<Extended>(t.Int);
  if (t.Kind != Tok::Float) RaiseAt("Floating point value expected", t.Line);
  return t.Float;
}

char TReader::ReadChar() {
  const int line = Line();
  const AnsiString s = ReadString();
  if (s.size() != 1) RaiseAt("Character expected", line);
  return s[0];
}

void TReader::ReadListBegin() { FImpl->ExpectSymbol('('); }

void TReader::ReadListEnd() { FImpl->ExpectSymbol(')'); }

bool TReader::EndOfList() {
  const TToken& t = FImpl->Lex.Peek();
  return t.Is(')') || t.Kind == Tok::Eof;
}

void TReader::DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (FImpl->PendingHandled || !SameText(Name, FImpl->PendingName)) return;
  FImpl->PendingHandled = true;
  if (ReadData) {
    ReadData(this);
  } else {
    FImpl->SkipValue();
  }
}

void TReader::DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (FImpl->PendingHandled || !SameText(Name, FImpl->PendingName)) return;
  FImpl->PendingHandled = true;
  const TToken t = FImpl->Lex.Next();
  if (t.Kind != Tok::Binary) RaiseAt(Format("Binary value expected for %s", Name), t.Line);
  if (!ReadData) return;
  TMemoryStream stream;
  stream.WriteBuffer(t.Text.data(), static_cast<int>(t.Text.size()));
  stream.SetPosition(0);
  ReadData(&stream);
}

// ---- TWriter ------------------------------------------------------------------------------------------

TWriter::TWriter() = default;
TWriter::~TWriter() = default;

namespace {

AnsiString Indent(int n) { return AnsiString(static_cast<size_t>(n) * 2, ' '); }

AnsiString SetLiteral(const TTypeInfo* elements, uint64_t bits) {
  AnsiString out = "[";
  for (int i = 0; i < 64; ++i)
    if (bits & (uint64_t { 1 } << i)) {
      if (out.size() > 1) out += ", ";
      out += GetEnumName(elements, i);
    }
  return out + "]";
}

// How the writer names a referenced component, or "" when it cannot be named.
AnsiString ComponentReference(TComponent* root, TComponent* c) {
  if (c == root) return root->Name();
  if (c->Name().empty()) return AnsiString();
  if (c->Owner() == root) return c->Name();
  if (c->Owner() && !c->Owner()->Name().empty()) return c->Owner()->Name() + "." + c->Name();
  return AnsiString();
}

}  // namespace

void TWriter::WriteRootComponent(TComponent* Root) {
  FRoot = Root;
  FText.clear();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  FText += Indent(FIndent) + "object ";
  if (!Component->Name().empty()) FText += Component->Name() + ": ";
  FText += Component->ClassName() + "\r\n";
  {
    Component->FComponentState << csWriting;
    ++FIndent;
    xj::ScopeExit written([&] {
      --FIndent;
      Component->FComponentState >> csWriting;
    });
    Component->WriteState(this);
  }
  FText += Indent(FIndent) + "end\r\n";
}

void TWriter::WriteData(TComponent* Instance) {
  WriteProperties(Instance);
  Instance->GetChildren(TGetChildProc(this, &TWriter::WriteComponent), FRoot);
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (const TPropInfo* prop : GetPropList(Instance->ClassType()))
    if (IsStoredProp(Instance, prop)) WriteProperty(Instance, prop);
  Instance->DefineProperties(this);
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* Prop) {
  const TTypeInfo* type = Prop->PropType;
  if (type->Kind == tkClass) {
    TObject* obj = GetObjectProp(Instance, Prop);
    if (auto* component = dynamic_cast<TComponent*>(obj)) {
      const AnsiString ref = ComponentReference(FRoot, component);
      if (ref.empty()) return;
      BeginProperty(Prop->Name);
      WriteValueText(ref);
      EndProperty();
    } else if (auto* collection = dynamic_cast<TCollection*>(obj)) {
      if (collection->Count() == 0) return;
      BeginProperty(Prop->Name);
      WriteCollection(collection);
      EndProperty();
    } else if (auto* sub = dynamic_cast<TPersistent*>(obj)) {
      xj::TemporaryChange<AnsiString> path(FPropPath, FPropPath + Prop->Name + ".");
      WriteProperties(sub);
    }
    return;
  }
  if (type->Kind == tkMethod) {
    const AnsiString name = PublishedMethodName(FRoot, GetMethodProp(Instance, Prop));
    if (name.empty()) return;
    BeginProperty(Prop->Name);
    WriteValueText(name);
    EndProperty();
    return;
  }
  if (IsDefaultPropValue(Instance, Prop)) return;
  const TValue v = GetPropValue(Instance, Prop);
  AnsiString text;
  switch (type->Kind) {
    case tkInteger:
      if (!type->IntToIdent || !type->IntToIdent(v.Ord, text)) text = IntToStr(v.Ord);
      break;
    case tkChar:
      text = StringLiteral(AnsiString(1, static_cast<char>(v.Ord)));
      break;
    case tkEnumeration:
      text = GetEnumName(type, v.Ord);
      break;
    case tkFloat:
      text = FloatLiteral(v.Float, type->FloatType);
      break;
    case tkString:
      text = StringLiteral(v.Str);
      break;
    case tkSet:
      text = SetLiteral(type->CompType, static_cast<uint64_t>(v.Ord));
      break;
    default:
      return;
  }
  BeginProperty(Prop->Name);
  WriteValueText(text);
  EndProperty();
}

void TWriter::WriteCollection(TCollection* Collection) {
  FText += "<";
  xj::TemporaryChange<AnsiString> path(FPropPath, AnsiString());
  for (int i = 0; i < Collection->Count(); ++i) {
    FText += "\r\n" + Indent(FIndent + 1) + "item\r\n";
    {
      xj::TemporaryChange<int> indent(FIndent, FIndent + 2);
      WriteProperties(Collection->Items(i));
    }
    FText += Indent(FIndent + 1) + "end";
  }
  FText += ">";
}

void TWriter::BeginProperty(const AnsiString& Name) {
  FText += Indent(FIndent) + FPropPath + Name + " = ";
  FListDepth = 0;
}

void TWriter::EndProperty() { FText += "\r\n"; }

void TWriter::NewLine() { FText += "\r\n" + Indent(FIndent + FListDepth); }

void TWriter::WriteValueText(const AnsiString& Text) {
  if (FListDepth > 0) NewLine();
  FText += Text;
}

void TWriter::WriteInteger(int64_t Value) { WriteValueText(IntToStr(Value)); }

void TWriter::WriteString(const AnsiString& Value) { WriteValueText(StringLiteral(Value)); }

void TWriter::WriteIdent(const AnsiString& Ident) { WriteValueText(Ident); }

void TWriter::WriteBoolean(bool Value) { WriteValueText(Value ? "True" : "False"); }

void TWriter::WriteFloat(Extended Value) { WriteValueText(FloatLiteral(Value, ftExtended)); }

void TWriter::WriteChar(char Value) { WriteValueText(StringLiteral(AnsiString(1, Value))); }

void TWriter::WriteListBegin() {
  WriteValueText("(");
  ++FListDepth;
}

void TWriter::WriteListEnd() {
  if (FListDepth > 0) --FListDepth;
  FText += ")";
}

void TWriter::DefineProperty(const AnsiString& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  BeginProperty(Name);
  WriteData(this);
  EndProperty();
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream stream;
  WriteData(&stream);
  static const char digits[] = "0123456789ABCDEF";
  const auto* bytes = static_cast<const unsigned char*>(stream.Memory());
  BeginProperty(Name);
  FText += "{";
  for (int64_t i = 0; i < stream.Size(); ++i) {
    if (i % 32 == 0) FText += "\r\n" + Indent(FIndent + 1);
    FText += digits[bytes[i] >> 4];
    FText += digits[bytes[i] & 15];
  }
  FText += "}";
  EndProperty();
}

// ---- Entry points -------------------------------------------------------------------------------------

void ReadComponentResource(TComponent* Root, const AnsiString& Text) {
  TReader reader(Text);
  reader.ReadRootComponent(Root);
}

AnsiString WriteComponentResource(TComponent* Root) {
  TWriter writer;
  writer.WriteRootComponent(Root);
  return writer.Text();
}
