#pragma once
// Basic Win32 types, handles and packing macros. LONG and DWORD keep their 32-bit widths;
// WPARAM, LPARAM and LRESULT are pointer-sized so a pointer fits in any of them.

#include <cstddef>
#include <cstdint>

#include "platform/base/BasicTypes.h"  // LONG, UINT, RECT, POINT, SIZE

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint64_t DWORD64;
typedef uint64_t ULONGLONG;
typedef int64_t LONGLONG;
typedef int INT;
typedef uint32_t ULONG;
typedef short SHORT;
typedef unsigned short USHORT;
typedef int BOOL;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef wchar_t WCHAR;
typedef float FLOAT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef DWORD LCID;
typedef LONG* LPLONG;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD ATOM;
typedef DWORD COLORREF;
typedef COLORREF* LPCOLORREF;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef void* HANDLE;
typedef HANDLE* PHANDLE;
typedef void* HGDIOBJ;

// Each handle is its own pointer type so they cannot be mixed up by accident.
#define XJ_DECLARE_HANDLE(name) \
  struct name##__ {             \
    int unused;                 \
  };                            \
  typedef struct name##__* name

XJ_DECLARE_HANDLE(HWND);
XJ_DECLARE_HANDLE(HDC);
XJ_DECLARE_HANDLE(HBITMAP);
XJ_DECLARE_HANDLE(HBRUSH);
XJ_DECLARE_HANDLE(HPEN);
XJ_DECLARE_HANDLE(HFONT);
XJ_DECLARE_HANDLE(HRGN);
XJ_DECLARE_HANDLE(HPALETTE);
XJ_DECLARE_HANDLE(HICON);
XJ_DECLARE_HANDLE(HMENU);
XJ_DECLARE_HANDLE(HINSTANCE);
XJ_DECLARE_HANDLE(HMONITOR);
XJ_DECLARE_HANDLE(HDWP);
XJ_DECLARE_HANDLE(HIMAGELIST);
XJ_DECLARE_HANDLE(HKEY);
XJ_DECLARE_HANDLE(HHOOK);
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;

typedef struct tagPOINTS {
  SHORT x;
  SHORT y;
} POINTS;

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define MAXDWORD 0xffffffffu
#define INFINITE 0xffffffffu
#define MAX_PATH 260

#define MAKEWORD(a, b) ((WORD)(((BYTE)((DWORD_PTR)(a)&0xff)) | ((WORD)((BYTE)((DWORD_PTR)(b)&0xff))) << 8))
#define MAKELONG(a, b) ((LONG)(((WORD)((DWORD_PTR)(a)&0xffff)) | ((DWORD)((WORD)((DWORD_PTR)(b)&0xffff))) << 16))
#define LOWORD(l) ((WORD)((DWORD_PTR)(l)&0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)((DWORD_PTR)(w)&0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKELRESULT(l, h) ((LRESULT)(DWORD)MAKELONG(l, h))
// Mouse coordinates are signed 16-bit words: sign-extend when unpacking.
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#define GET_WHEEL_DELTA_WPARAM(wp) ((short)HIWORD(wp))

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))

// An ordinal or integer resource id travels in the pointer's low word.
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA

#define WINAPI
#define CALLBACK
#define APIENTRY
