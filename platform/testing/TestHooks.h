#pragma once
// The test harness: a manual clock that drives timers, pumping, input injected at the bottom of the
// real routing path, scripted answers for modal loops, message traces, and read-back of what the
// window manager shows. Linked into tests only (platform_testing).
//
// A test creates one Harness; everything below works on the harness in force. Input functions pump
// until idle afterwards unless they say otherwise, so a test reads like a user's actions.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/WinUser.h"

namespace xj::test {

enum Shift : unsigned { ssNone = 0, ssShift = 1, ssCtrl = 2, ssAlt = 4 };
enum Button : int { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Installs the manual clock (at `start` ms), the idle and modal hooks, a 1024×768 screen with the
// work area 0,0–1024,738, and destroys every window and timer when it goes.
class Harness {
 public:
  explicit Harness(uint64_t start = 1000);
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;
};

// ---- Time and pumping -----------------------------------------------------------------------------

uint64_t Now();
// Steps to each timer due time within `ms` in order, pumping until idle at each, then to the end.
void Advance(uint64_t ms);
// Moves time without pumping, as a stalled loop would see it: due timers then fire once each.
void Jump(uint64_t ms);
// Dispatches everything the queue has to give now (posted messages, input, paint, due timers).
// Returns the number of messages dispatched; WM_QUIT is kept for QuitCode().
int PumpUntilIdle();
// The exit code of a WM_QUIT met while pumping, or -1.
int QuitCode();

// ---- Screen and system -----------------------------------------------------------------------------------

void SetScreen(int width, int height, const RECT& workArea);
// The version GetVersion/GetVersionExA report (5.1 unless a test asks otherwise; back to 5.1 after).
void SetReportedVersion(DWORD major, DWORD minor);

// ---- Input (screen coordinates) -------------------------------------------------------------------------

void MouseMove(int x, int y, bool pump = true);
void MouseDown(Button b, int x, int y, bool pump = true);
void MouseUp(Button b, int x, int y, bool pump = true);
void Click(int x, int y, Button b = mbLeft);
void DoubleClick(int x, int y, Button b = mbLeft);
// Press at (x1, y1), move to (x2, y2), release: queued together so that a loop started by the press
// (move/size, scroll bar, menu) sees the rest.
void Drag(int x1, int y1, int x2, int y2, Button b = mbLeft);
void Wheel(int delta, bool pump = true);
void KeyDown(UINT vk, unsigned shift = ssNone, bool pump = true);
void KeyUp(UINT vk, unsigned shift = ssNone, bool pump = true);
// Down and up, with the modifiers pressed around it.
void KeyPress(UINT vk, unsigned shift = ssNone);
// Key events plus characters: ASCII through the US layout, double-byte characters as input-method
// key events carrying their GBK bytes (a lead byte then a trail byte reach WM_CHAR).
void TypeText(const std::string& gbk);
// Committed input-method text: WM_CHAR bytes only.
void ImeCommit(const std::string& gbk);

// ---- Notification area ------------------------------------------------------------------------------------
// Mouse input at an icon's place (see TrayIcons) goes to the icon, as on a real task bar.

struct TrayIconInfo {
  HWND hwnd;
  UINT id;
  UINT callback;    // 0 until NIF_MESSAGE gave one
  std::string tip;  // GBK
  RECT place;       // screen
};
std::vector<TrayIconInfo> TrayIcons();
// As when the desktop's shell restarts: every icon is gone, then "TaskbarCreated" goes to every
// top-level window (which may add its icon again); pumps until idle.
void RestartShell();

// ---- Modal loops ------------------------------------------------------------------------------------------

struct ModalRecord {
  enum Kind { MessageBox, Form, Menu, SizeMove, ColourDialog } kind;
  HWND hwnd;
  std::string caption;
  std::string text;
  UINT type;
  bool scripted;
};

// Answers for the modal loops that open, in order. An answer runs inside the loop when it has nothing
// left to do, so it may advance the clock or inject input first; it returns the loop's result (button
// id, ModalResult, menu item id; 0 for a menu means dismissed). A loop that opens with no answer queued
// is recorded as unscripted and closed with 0 (a message box with IDCANCEL, or IDOK when it has only OK).
void AnswerModal(std::function<LONG_PTR(const ModalRecord&)> answer);
// Returned by an answer that queued input for the loop (a click on a button, a key) and lets the loop
// end by itself.
constexpr LONG_PTR kKeepOpen = (LONG_PTR)1 << 62;
void AnswerModal(LONG_PTR result);
const std::vector<ModalRecord>& ModalRecords();
int UnscriptedModals();

// ---- Message traces ----------------------------------------------------------------------------------------

// Records the messages that reach the window procedure of `hwnd` (null: every window), optionally only
// the listed messages, while it lives.
class MessageTrace {
 public:
  explicit MessageTrace(HWND hwnd = nullptr, std::vector<UINT> only = {});
  ~MessageTrace();
  MessageTrace(const MessageTrace&) = delete;
  MessageTrace& operator=(const MessageTrace&) = delete;

  const std::vector<MSG>& Messages() const { return FMessages; }
  std::vector<UINT> Ids() const;
  int Count(UINT msg) const;
  void Clear() { FMessages.clear(); }

  void Record(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  HWND FHwnd;
  std::vector<UINT> FOnly;
  std::vector<MSG> FMessages;
};

// ---- Read-back ----------------------------------------------------------------------------------------

struct WindowInfo {
  RECT window;  // screen
  RECT client;  // screen
  DWORD style;
  DWORD exStyle;
  bool layered;
  BYTE alpha;
  bool alphaSet;
  bool hasRegion;
};
WindowInfo Info(HWND hwnd);
// A pixel of what the window shows, as COLORREF (0x00BBGGRR), at client coordinates; with
// `frame` at window coordinates. CLR_INVALID outside the window.
COLORREF ReadPixel(HWND hwnd, int x, int y, bool frame = false);
// The window's pixels (client area, or the whole window) as COLORREF rows, top-down.
std::vector<COLORREF> WindowPixels(HWND hwnd, bool frame, int* width = nullptr, int* height = nullptr);
// The desktop as the display composes it: every shown top-level window, regions and alpha honoured.
std::vector<COLORREF> DesktopPixels(int* width = nullptr, int* height = nullptr);
COLORREF DesktopPixel(int x, int y);
bool Screenshot(const std::string& path);
// Every text drawn since the harness started (or ClearTextLog).
struct TextRecord {
  std::string text;  // GBK
  HWND hwnd;         // the window whose DC drew it, null for other DCs
  int x, y;          // surface coordinates of the top-level window
  COLORREF color;
};
std::vector<TextRecord> TextOutLog();
void ClearTextLog();
struct GdiCount {
  int objects;
  int dcs;
  int refusedOwnedRegionDeletes;
};
GdiCount GdiCounters();
// Whether a point (window coordinates, frame included) lies in the window's region (true without one).
bool WindowRegionContains(HWND hwnd, POINT windowPt);

}  // namespace xj::test
