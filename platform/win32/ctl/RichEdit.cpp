// The "RICHEDIT" window class: the multi-line view with its scroll state in pixels on both axes, the
// rich edit's own selection, limit, event-mask and wrapping messages, and EN_CHANGE / EN_SELCHANGE /
// EN_REQUESTRESIZE / EN_PROTECTED only as the event mask asks. It keeps character and paragraph
// formats beside the text (RichText), set and read by EM_SETCHARFORMAT / EM_SETPARAFORMAT and their
// twins, streamed in and out as RTF or text. Text the edit put on the clipboard is offered to the
// parent when the edit goes (EN_SAVECLIPBOARD): a non-zero answer takes it off the clipboard.

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "platform/win32/CommCtrl.h"
#include "platform/win32/ctl/CtlCommon.h"
#include "platform/win32/ctl/EditShared.h"
#include "platform/win32/ctl/EditText.h"
#include "platform/win32/ctl/MemoView.h"
#include "platform/win32/ctl/Notify.h"
#include "platform/win32/ctl/Rtf.h"

namespace xj::ctl {

namespace {

void SaveClipboard(HWND hwnd) {
  if (GetClipboardOwner() != hwnd || !IsClipboardFormatAvailable(CF_TEXT)) return;
  ENSAVECLIPBOARD ask {};
  ask.cch = (LONG)ClipboardText(hwnd).size();
  if (!NotifyParentOf(hwnd, EN_SAVECLIPBOARD, ask.nmhdr) || GetClipboardOwner() != hwnd) return;
  if (!OpenClipboard(hwnd)) return;
  EmptyClipboard();
  CloseClipboard();
}

// ---- Character formats ---------------------------------------------------------------------------------------

constexpr int kMaxHeight = 32760;  // twips

// The first character format or the second, told apart by their size; any other size is refused.
bool KnownSize(const CHARFORMATA* c) {
  return c && (c->cbSize == sizeof(CHARFORMATA) || c->cbSize == sizeof(CHARFORMAT2A));
}
template <class Format>
auto* Second(Format& c) {
  using Wide = std::conditional_t<std::is_const_v<Format>, const CHARFORMAT2A, CHARFORMAT2A>;
  return c.cbSize == sizeof(CHARFORMAT2A) ? static_cast<Wide*>(&c) : nullptr;
}
// The parts a format of c's size has room for.
DWORD Carried(const CHARFORMATA& c) { return Second(c) ? CFM_ALL | CFM_BACKCOLOR : CFM_ALL; }

CharFormat Applied(CharFormat f, const CHARFORMATA& c) {
  const DWORD mask = c.dwMask & Carried(c), on = c.dwEffects;
  if (mask & CFM_BOLD) f.bold = (on & CFE_BOLD) != 0;
  if (mask & CFM_ITALIC) f.italic = (on & CFE_ITALIC) != 0;
  if (mask & CFM_UNDERLINE) f.underline = (on & CFE_UNDERLINE) != 0;
  if (mask & CFM_STRIKEOUT) f.strike = (on & CFE_STRIKEOUT) != 0;
  if (mask & CFM_PROTECTED) f.protect = (on & CFE_PROTECTED) != 0;
  if (mask & CFM_SIZE) f.height = std::clamp((c.yHeight + 5) / 10 * 10, 10, kMaxHeight);  // whole half-points
  if (mask & CFM_COLOR) {
    f.autoColor = (on & CFE_AUTOCOLOR) != 0;
    f.color = f.autoColor ? 0 : (uint32_t)c.crTextColor;
  }
  if (mask & CFM_FACE) {
    f.face.assign(c.szFaceName, strnlen(c.szFaceName, sizeof c.szFaceName - 1));
    f.pitch = c.bPitchAndFamily;
  }
  if (mask & CFM_CHARSET) f.charset = c.bCharSet;
  if (mask & CFM_BACKCOLOR) {
    f.autoBack = (on & CFE_AUTOBACKCOLOR) != 0;
    f.back = f.autoBack ? 0 : (uint32_t)Second(c)->crBackColor;
  }
  return f;
}

void Fill(CHARFORMATA& c, const CharFormat& f) {
  c.dwEffects = (f.bold ? CFE_BOLD : 0) | (f.italic ? CFE_ITALIC : 0) | (f.underline ? CFE_UNDERLINE : 0) |
                (f.strike ? CFE_STRIKEOUT : 0) | (f.protect ? CFE_PROTECTED : 0) | (f.autoColor ? CFE_AUTOCOLOR : 0);
  c.yHeight = f.height;
  c.yOffset = 0;
  c.crTextColor = f.autoColor ? 0 : (COLORREF)f.color;
  c.bCharSet = f.charset;
  c.bPitchAndFamily = f.pitch;
  memset(c.szFaceName, 0, sizeof c.szFaceName);
  memcpy(c.szFaceName, f.face.data(), std::min(f.face.size(), sizeof c.szFaceName - 1));
  if (CHARFORMAT2A* c2 = Second(c)) {
    c2->dwEffects |= f.autoBack ? CFE_AUTOBACKCOLOR : 0;
    c2->crBackColor = f.autoBack ? 0 : (COLORREF)f.back;
  }
}

// The parts in which two formats differ, as mask bits.
DWORD Differences(const CharFormat& a, const CharFormat& b) {
  return (a.bold != b.bold ? CFM_BOLD : 0) | (a.italic != b.italic ? CFM_ITALIC : 0) |
         (a.underline != b.underline ? CFM_UNDERLINE : 0) | (a.strike != b.strike ? CFM_STRIKEOUT : 0) |
         (a.protect != b.protect ? CFM_PROTECTED : 0) | (a.height != b.height ? CFM_SIZE : 0) |
         (a.autoColor != b.autoColor || a.color != b.color ? CFM_COLOR : 0) |
         (a.face != b.face || a.pitch != b.pitch ? CFM_FACE : 0) | (a.charset != b.charset ? CFM_CHARSET : 0) |
         (a.autoBack != b.autoBack || a.back != b.back ? CFM_BACKCOLOR : 0);
}

// SCF_ALL: every character; SCF_SELECTION: the selection, or with none the text typed next at the
// caret; each an undo step, asked of the parent over protected text. Else the default format, which
// the text in it follows, as the window's font does: no step.
LRESULT SetCharFormat(HWND hwnd, WPARAM which, const CHARFORMATA* c) {
  RichText* rich = MemoFormatsOf(hwnd);
  MemoText* text = MemoTextOf(hwnd);
  if (!rich || !text || !KnownSize(c)) return FALSE;
  if (!(which & (SCF_ALL | SCF_SELECTION))) {
    rich->SetDefault(Applied(rich->chars[rich->defaultChar], *c));
    MemoRestyled(hwnd);
    return TRUE;
  }
  if (!(which & SCF_ALL) && !text->HasSelection()) {
    const size_t caret = text->Caret();
    rich->SetCaretFormat(caret, rich->chars.Intern(Applied(rich->chars[rich->TypingFormat(caret)], *c)));
    return TRUE;
  }
  const size_t from = (which & SCF_ALL) ? 0 : text->SelStart(),
               to = (which & SCF_ALL) ? text->Length() : text->SelEnd();
  if (from == to) return TRUE;  // no text at all
  // Protecting or freeing text is the program's own business: asked, a parent that refuses every
  // change of protected text would keep it protected for good.
  const bool ask = (c->dwMask & Carried(*c)) != CFM_PROTECTED;
  return MemoRestyle(hwnd, MemoMessage { EM_SETCHARFORMAT, which, (LPARAM)c }, ask, from, to,
                     [&] { rich->Restyle(from, to, [c](const CharFormat& f) { return Applied(f, *c); }); });
}

// The selection's format (with none, the format typing takes) with the parts it holds throughout in
// the mask, or the default format whole. Answers the mask.
LRESULT GetCharFormat(HWND hwnd, WPARAM which, CHARFORMATA* c) {
  const RichText* rich = MemoFormatsOf(hwnd);
  const MemoText* text = MemoTextOf(hwnd);
  if (!rich || !text || !KnownSize(c)) return 0;
  DWORD mask = Carried(*c);
  uint32_t first = rich->defaultChar;
  if ((which & SCF_SELECTION) && !text->HasSelection()) {
    first = rich->TypingFormat(text->Caret());
  } else if (which & SCF_SELECTION) {
    first = rich->charRuns.At(text->SelStart());
    rich->charRuns.Visit(text->SelStart(), text->SelEnd(),
                         [&](size_t, size_t, uint32_t v) { mask &= ~Differences(rich->chars[first], rich->chars[v]); });
  }
  Fill(*c, rich->chars[first]);
  c->dwMask = mask;
  return (LRESULT)mask;
}

// ---- Paragraph formats ---------------------------------------------------------------------------------------

constexpr int kMaxIndent = 32767;  // twips

// The numbering's start and style, which only PARAFORMAT2 carries.
void Applied(ParaFormat& p, const PARAFORMAT2& f) {
  if (f.dwMask & PFM_NUMBERINGSTART) p.numberStart = f.wNumberingStart;
  if ((f.dwMask & PFM_NUMBERINGSTYLE) && (f.wNumberingStyle & 0xFF) == 0 && f.wNumberingStyle <= PFNS_NONUMBER)
    p.numberStyle = (NumberStyle)(f.wNumberingStyle >> 8);
}

ParaFormat Applied(ParaFormat p, const PARAFORMAT& f) {
  const DWORD mask = f.dwMask;
  long start = p.left + p.first, offset = -p.first;  // the first line's indent, the others' past it
  if (mask & PFM_STARTINDENT) start = f.dxStartIndent;
  if (mask & PFM_OFFSETINDENT) start += f.dxStartIndent;
  if (mask & PFM_OFFSET) offset = f.dxOffset;
  start = std::clamp(start, -(long)kMaxIndent, (long)kMaxIndent);
  offset = std::clamp(offset, -(long)kMaxIndent, (long)kMaxIndent);
  p.left = (int)std::clamp(start + offset, -(long)kMaxIndent, (long)kMaxIndent);
  p.first = (int)start - p.left;
  if (mask & PFM_RIGHTINDENT) p.right = (int)std::clamp((long)f.dxRightIndent, -(long)kMaxIndent, (long)kMaxIndent);
  if ((mask & PFM_ALIGNMENT) && f.wAlignment >= PFA_LEFT && f.wAlignment <= PFA_JUSTIFY) {
    static constexpr ParaAlign kAligns[] = { ParaAlign::Left, ParaAlign::Right, ParaAlign::Centre, ParaAlign::Justify };
    p.align = kAligns[f.wAlignment - PFA_LEFT];
  }
  if (mask & PFM_NUMBERING) p.numbering = f.wNumbering <= PFN_UCROMAN ? (Numbering)f.wNumbering : Numbering::None;
  if (f.cbSize >= sizeof(PARAFORMAT2)) Applied(p, static_cast<const PARAFORMAT2&>(f));
  if (p.numbering <= Numbering::Bullet)
    p.numberStart = 1, p.numberStyle = NumberStyle::Paren;  // only numbers keep them
  if (mask & PFM_TABSTOPS) {
    p.tabs.clear();
    for (int i = 0; i < std::clamp<int>(f.cTabCount, 0, MAX_TAB_STOPS); ++i)
      p.tabs.push_back((int)std::clamp<long>(f.rgxTabs[i] & 0xFFFFFF, 0, kMaxIndent));
    std::sort(p.tabs.begin(), p.tabs.end());
    p.tabs.erase(std::unique(p.tabs.begin(), p.tabs.end()), p.tabs.end());
  }
  return p;
}

void Fill(PARAFORMAT& f, const ParaFormat& p) {
  f.wNumbering = (WORD)p.numbering;
  if (f.cbSize >= sizeof(PARAFORMAT2)) {
    static_cast<PARAFORMAT2&>(f).wNumberingStart = p.numberStart;
    static_cast<PARAFORMAT2&>(f).wNumberingStyle = (WORD)((int)p.numberStyle << 8);
  }
  f.dxStartIndent = p.left + p.first;
  f.dxOffset = -p.first;
  f.dxRightIndent = p.right;
  f.wAlignment = (WORD)(PFA_LEFT + (int)p.align);
  f.cTabCount = (SHORT)p.tabs.size();
  for (size_t i = 0; i < MAX_TAB_STOPS; ++i) f.rgxTabs[i] = i < p.tabs.size() ? p.tabs[i] : 0;
}

DWORD Differences(const ParaFormat& a, const ParaFormat& b) {
  return (a.left + a.first != b.left + b.first ? PFM_STARTINDENT : 0) | (a.first != b.first ? PFM_OFFSET : 0) |
         (a.right != b.right ? PFM_RIGHTINDENT : 0) | (a.align != b.align ? PFM_ALIGNMENT : 0) |
         (a.tabs != b.tabs ? PFM_TABSTOPS : 0) | (a.numbering != b.numbering ? PFM_NUMBERING : 0) |
         (a.numberStart != b.numberStart ? PFM_NUMBERINGSTART : 0) |
         (a.numberStyle != b.numberStyle ? PFM_NUMBERINGSTYLE : 0);
}

// The paragraphs the selection touches, from the first one's start to past the last one's break.
std::pair<size_t, size_t> Paragraphs(const MemoText& text) {
  const size_t end = text.LineEnd(text.SelEnd());
  return { text.LineStart(text.SelStart()), end < text.Length() ? end + 2 : end };
}

// An undo step, asked of the parent when the paragraphs hold protected text.
LRESULT SetParaFormat(HWND hwnd, WPARAM wParam, const PARAFORMAT* f) {
  RichText* rich = MemoFormatsOf(hwnd);
  MemoText* text = MemoTextOf(hwnd);
  if (!rich || !text || !f || f->cbSize < sizeof(PARAFORMAT)) return FALSE;
  const std::pair<size_t, size_t> span = Paragraphs(*text);
  const size_t from = span.first, to = span.second;  // named apart: a lambda takes them
  return MemoRestyle(hwnd, MemoMessage { EM_SETPARAFORMAT, wParam, (LPARAM)f }, true, from, to, [&] {
    if (from == to)  // the empty last paragraph
      rich->paraRuns.Set(from, from, rich->paras.Intern(Applied(rich->ParaAt(from), *f)));
    else
      rich->Reshape(from, to, [f](const ParaFormat& p) { return Applied(p, *f); });
  });
}

LRESULT GetParaFormat(HWND hwnd, PARAFORMAT* f) {
  const RichText* rich = MemoFormatsOf(hwnd);
  const MemoText* text = MemoTextOf(hwnd);
  if (!rich || !text || !f || f->cbSize < sizeof(PARAFORMAT)) return 0;
  auto [from, to] = Paragraphs(*text);
  const ParaFormat& first = rich->ParaAt(from);
  DWORD mask = PFM_ALL | (f->cbSize >= sizeof(PARAFORMAT2) ? PFM_NUMBERINGSTART | PFM_NUMBERINGSTYLE : 0);
  for (int line = text->LineOf(from), last = text->LineOf(to == from ? to : to - 1); line <= last; ++line)
    mask &= ~Differences(first, rich->ParaAt(text->LineOffset(line)));
  Fill(*f, first);
  f->dwMask = mask;
  return (LRESULT)mask;
}

// ---- Streams -------------------------------------------------------------------------------------------------

constexpr size_t kMaxStreamIn = 256u << 20;

LRESULT StreamIn(HWND hwnd, WPARAM how, EDITSTREAM* es) {
  RichText* rich = MemoFormatsOf(hwnd);
  if (!rich || !es || !es->pfnCallback) return 0;
  std::string data;
  es->dwError = 0;
  for (std::vector<BYTE> chunk(65536); data.size() < kMaxStreamIn;) {
    LONG got = 0;
    if ((es->dwError = es->pfnCallback(es->dwCookie, chunk.data(), (LONG)chunk.size(), &got)) != 0 || got <= 0) break;
    data.append((const char*)chunk.data(), std::min((size_t)got, chunk.size()));
  }
  RichDocument doc;
  if (!(how & SF_RTF) || !ReadRtf(data, doc, rich->chars[rich->defaultChar])) {  // plain text, as typed
    const std::string text = MemoText::NormalBreaks(data);
    if (how & SFF_SELECTION) SendMessageA(hwnd, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
    if (!(how & SFF_SELECTION)) SendMessageA(hwnd, WM_SETTEXT, 0, (LPARAM)text.c_str());
    return (LRESULT)text.size();
  }
  const size_t length = doc.text.size();
  if (how & SFF_SELECTION)
    MemoInsertDocument(hwnd, doc);
  else
    MemoSetDocument(hwnd, std::move(doc));
  return (LRESULT)length;
}

LRESULT StreamOut(HWND hwnd, WPARAM how, EDITSTREAM* es) {
  const RichText* rich = MemoFormatsOf(hwnd);
  const MemoText* text = MemoTextOf(hwnd);
  if (!rich || !text || !es || !es->pfnCallback) return 0;
  const bool part = (how & SFF_SELECTION) != 0;
  const size_t from = part ? text->SelStart() : 0, to = part ? text->SelEnd() : text->Length();
  const std::string out =
      (how & SF_RTF) ? WriteRtf(Excerpt(*rich, text->Range(from, to), from)) : PlainLines(text->Range(from, to));
  size_t done = 0;
  es->dwError = 0;
  while (done < out.size()) {
    LONG took = 0;
    const LONG n = (LONG)std::min<size_t>(out.size() - done, 65536);
    if ((es->dwError = es->pfnCallback(es->dwCookie, (LPBYTE)out.data() + done, n, &took)) != 0 || took <= 0) break;
    done += (size_t)std::min(took, n);
  }
  return (LRESULT)done;
}

// WM_GETTEXT: the plain text, cut at a character's end to fit.
LRESULT GetPlainText(HWND hwnd, WPARAM size, char* buf) {
  const MemoText* text = MemoTextOf(hwnd);
  if (!text) return MemoWindowProc(hwnd, WM_GETTEXT, size, (LPARAM)buf);
  if (!buf || size == 0) return 0;
  const std::string plain = PlainLines(text->Text());
  size_t n = 0;
  for (size_t next; n < plain.size() && (next = n + EditText::CharLength(plain, n)) < size; n = next) {
  }
  memcpy(buf, plain.data(), n);
  buf[n] = 0;
  return (LRESULT)n;
}

// EM_GETSELTEXT: the selection as plain text into a buffer the caller made large enough (twice the
// selection's length and a terminator always is).
LRESULT GetSelectedPlainText(HWND hwnd, char* buf) {
  const MemoText* text = MemoTextOf(hwnd);
  if (!text || !buf) return 0;
  const std::string plain = PlainLines(text->SelectedText());
  memcpy(buf, plain.c_str(), plain.size() + 1);
  return (LRESULT)plain.size();
}

LRESULT PlainTextLength(HWND hwnd) {
  const MemoText* text = MemoTextOf(hwnd);
  return text ? (LRESULT)PlainLines(text->Text()).size() : MemoWindowProc(hwnd, WM_GETTEXTLENGTH, 0, 0);
}

// ---- Clipboard -----------------------------------------------------------------------------------------------

// Copying or cutting puts the selection's RTF beside its text (its soft breaks as line breaks), taken
// before a cut removes it.
void CopyWithFormats(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const RichText* rich = MemoFormatsOf(hwnd);
  const MemoText* text = MemoTextOf(hwnd);
  std::string rtf, selected;
  if (rich && text && text->HasSelection()) {
    selected = text->SelectedText();
    rtf = WriteRtf(Excerpt(*rich, selected, text->SelStart()));
  }
  MemoWindowProc(hwnd, msg, wParam, lParam);
  if (rtf.empty() || GetClipboardOwner() != hwnd || !OpenClipboard(hwnd)) return;
  if (const std::string plain = PlainLines(selected); plain != selected) PutOnClipboard(CF_TEXT, plain);
  PutOnClipboard(RegisterClipboardFormatA(CF_RTF), rtf);
  CloseClipboard();
}

// RTF on the clipboard whose text is the clipboard's text: what this process copied with its formats.
bool ClipboardDocument(HWND hwnd, RichDocument& doc) {
  const UINT format = RegisterClipboardFormatA(CF_RTF);
  if (!IsClipboardFormatAvailable(format)) return false;
  const std::string text = MemoText::NormalBreaks(ClipboardText(hwnd));
  std::string rtf;
  if (!OpenClipboard(hwnd)) return false;
  if (HANDLE block = GetClipboardData(format))
    if (const char* p = (const char*)GlobalLock(block)) {
      rtf.assign(p, strnlen(p, GlobalSize(block)));
      GlobalUnlock(block);
    }
  CloseClipboard();
  const RichText* rich = MemoFormatsOf(hwnd);
  return rich && ReadRtf(rtf, doc, rich->chars[rich->defaultChar]) && PlainLines(doc.text) == text;
}

void PasteWithFormats(HWND hwnd) {
  RichDocument doc;
  if (ClipboardDocument(hwnd, doc))
    MemoInsertDocument(hwnd, doc);
  else
    MemoWindowProc(hwnd, WM_PASTE, 0, 0);
}

// ---- Selection -----------------------------------------------------------------------------------------------

LRESULT ExGetSel(HWND hwnd, CHARRANGE* r) {
  DWORD s = 0, e = 0;
  MemoWindowProc(hwnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  if (r) *r = CHARRANGE { (LONG)s, (LONG)e };
  return 0;
}

LRESULT ExSetSel(HWND hwnd, const CHARRANGE* r) {
  if (!r) return 0;
  MemoWindowProc(hwnd, EM_SETSEL, (WPARAM)r->cpMin, (LPARAM)r->cpMax);
  DWORD s = 0, e = 0;
  MemoWindowProc(hwnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
  return (LRESULT)e;
}

LRESULT SetEventMask(HWND hwnd, DWORD mask) {
  DWORD old = MemoEventMask(hwnd);
  MemoSetEventMask(hwnd, mask);
  return (LRESULT)old;
}

// No device and a width of 0 wraps at the window's width; else no wrap.
LRESULT SetTargetDevice(HWND hwnd, LPARAM width) {
  MemoSetWrap(hwnd, width == 0);
  return TRUE;
}

LRESULT RequestResize(HWND hwnd) {
  MemoRequestResize(hwnd);
  return 0;
}

}  // namespace

LRESULT CALLBACK RichEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE:
      return MemoCreate(hwnd, (const CREATESTRUCTA*)lParam, true);
    case EM_EXGETSEL:
      return ExGetSel(hwnd, (CHARRANGE*)lParam);
    case EM_EXSETSEL:
      return ExSetSel(hwnd, (const CHARRANGE*)lParam);
    case EM_EXLIMITTEXT:
      return MemoWindowProc(hwnd, EM_LIMITTEXT, (WPARAM)lParam, 0);
    case EM_GETEVENTMASK:
      return (LRESULT)MemoEventMask(hwnd);
    case EM_SETEVENTMASK:
      return SetEventMask(hwnd, (DWORD)lParam);
    case EM_SETTARGETDEVICE:
      return SetTargetDevice(hwnd, lParam);
    case EM_REQUESTRESIZE:
      return RequestResize(hwnd);
    case EM_SETCHARFORMAT:
      return SetCharFormat(hwnd, wParam, (const CHARFORMATA*)lParam);
    case EM_GETCHARFORMAT:
      return GetCharFormat(hwnd, wParam, (CHARFORMATA*)lParam);
    case EM_SETPARAFORMAT:
      return SetParaFormat(hwnd, wParam, (const PARAFORMAT*)lParam);
    case EM_GETPARAFORMAT:
      return GetParaFormat(hwnd, (PARAFORMAT*)lParam);
    case EM_STREAMIN:
      return StreamIn(hwnd, wParam, (EDITSTREAM*)lParam);
    case EM_STREAMOUT:
      return StreamOut(hwnd, wParam, (EDITSTREAM*)lParam);
    case WM_GETTEXT:
      return GetPlainText(hwnd, wParam, (char*)lParam);
    case WM_GETTEXTLENGTH:
      return PlainTextLength(hwnd);
    case EM_GETSELTEXT:
      return GetSelectedPlainText(hwnd, (char*)lParam);
    case WM_COPY:
    case WM_CUT:
      CopyWithFormats(hwnd, msg, wParam, lParam);
      return 0;
    case WM_PASTE:
      PasteWithFormats(hwnd);
      return 0;
    case WM_DESTROY:
      SaveClipboard(hwnd);
      break;
  }
  return MemoWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace xj::ctl
