#pragma once
// Serial communications: a port opened with CreateFileA ("COM2", "/dev/ttyUSB0", a pty) is a raw,
// uninterpreted 8-bit byte stream over termios. Every call completes before it returns, also with an
// OVERLAPPED: the record then holds the result for GetOverlappedResult and its event is signalled.
// A wait and a read or write may run at the same time on two threads; CloseHandle wakes whatever is
// blocked on the port and returns once it has left.
//
// GetLastError reports errno values (Linux numbering): a component message "(Error: 25)" means ENOTTY,
// "(Error: 16)" EBUSY (the port is held by another opener), "(Error: 2)" ENOENT (no such device).

#include "platform/win32/WinBase.h"

// Errors a port reports: ERROR_OPERATION_ABORTED when CancelCommWait, a purge or CloseHandle ended the
// call; ERROR_BROKEN_PIPE when the device hung up (remote end closed, adapter unplugged).

// ---- Line settings --------------------------------------------------------------------------------
#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4

#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2

#define DTR_CONTROL_DISABLE 0
#define DTR_CONTROL_ENABLE 1
#define DTR_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_DISABLE 0
#define RTS_CONTROL_ENABLE 1
#define RTS_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_TOGGLE 3

#define CBR_110 110u
#define CBR_300 300u
#define CBR_600 600u
#define CBR_1200 1200u
#define CBR_2400 2400u
#define CBR_4800 4800u
#define CBR_9600 9600u
#define CBR_14400 14400u
#define CBR_19200 19200u
#define CBR_38400 38400u
#define CBR_56000 56000u
#define CBR_57600 57600u
#define CBR_115200 115200u
#define CBR_128000 128000u
#define CBR_256000 256000u

// BaudRate: the rates of the host's Bxxx table directly, any other rate through the driver's custom
// speed or a failure (EINVAL) when the driver refuses it. ByteSize 5..8; 1.5 stop bits only with 5 data
// bits, 2 stop bits not with 5. Applied: parity (mark and space included), stop bits, fOutxCtsFlow or
// RTS_CONTROL_HANDSHAKE (hardware handshake both ways), fOutX/fInX with XonChar/XoffChar, fParity
// (parity errors checked and reported), fErrorChar, fNull, EvtChar, fAbortOnError, DTR/RTS enable and
// disable. Stored only: XonLim, XoffLim, fTXContinueOnXoff, fDsrSensitivity, fOutxDsrFlow, the DTR
// handshake, EofChar (the stream is always binary).
typedef struct _DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;
  DWORD fOutxCtsFlow : 1;
  DWORD fOutxDsrFlow : 1;
  DWORD fDtrControl : 2;
  DWORD fDsrSensitivity : 1;
  DWORD fTXContinueOnXoff : 1;
  DWORD fOutX : 1;
  DWORD fInX : 1;
  DWORD fErrorChar : 1;
  DWORD fNull : 1;
  DWORD fRtsControl : 2;
  DWORD fAbortOnError : 1;
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
} DCB, *LPDCB;

// Times in milliseconds. Read: ReadIntervalTimeout MAXDWORD with both totals 0 returns at once with
// what is waiting; MAXDWORD with multiplier MAXDWORD and a constant returns at once with what is
// waiting, else with the first byte or after the constant; MAXDWORD with other totals returns at once
// with what is waiting, else gathers the count until the total expires. Otherwise the read gathers the
// count until the total (multiplier x count + constant, 0 = none) or the interval between two bytes
// (0 = none) runs out. Write: multiplier x count + constant; when both are 0 the write still gives up,
// after twice the time the bytes take on the line plus one second, so flow control holding the output
// can never block a writer for ever.
typedef struct _COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
} COMMTIMEOUTS, *LPCOMMTIMEOUTS;

// ---- Events, errors and queue state -------------------------------------------------------------------
#define EV_RXCHAR 0x0001u
#define EV_RXFLAG 0x0002u
#define EV_TXEMPTY 0x0004u
#define EV_CTS 0x0008u
#define EV_DSR 0x0010u
#define EV_RLSD 0x0020u
#define EV_BREAK 0x0040u
#define EV_ERR 0x0080u
#define EV_RING 0x0100u

#define CE_RXOVER 0x0001u
#define CE_OVERRUN 0x0002u
#define CE_RXPARITY 0x0004u
#define CE_FRAME 0x0008u
#define CE_BREAK 0x0010u
#define CE_IOE 0x0400u  // the device hung up

// fCtsHold: hardware handshake on and CTS low; fXoffHold: output stopped by SETXOFF. The other flags
// are not observable on this host and stay 0. cbInQue counts the port's own input buffer plus what
// the driver holds (a hang-up may discard the driver's part); cbOutQue what the driver has not sent yet.
typedef struct _COMSTAT {
  DWORD fCtsHold : 1;
  DWORD fDsrHold : 1;
  DWORD fRlsdHold : 1;
  DWORD fXoffHold : 1;
  DWORD fXoffSent : 1;
  DWORD fEof : 1;
  DWORD fTxim : 1;
  DWORD fReserved : 25;
  DWORD cbInQue;
  DWORD cbOutQue;
} COMSTAT, *LPCOMSTAT;

#define PURGE_TXABORT 0x0001u
#define PURGE_RXABORT 0x0002u
#define PURGE_TXCLEAR 0x0004u
#define PURGE_RXCLEAR 0x0008u

#define SETXOFF 1
#define SETXON 2
#define SETRTS 3
#define CLRRTS 4
#define SETDTR 5
#define CLRDTR 6
#define SETBREAK 8
#define CLRBREAK 9

#define MS_CTS_ON 0x0010u
#define MS_DSR_ON 0x0020u
#define MS_RING_ON 0x0040u
#define MS_RLSD_ON 0x0080u

// ---- Functions ------------------------------------------------------------------------------------
// Sizes the port's own input buffer (dwInQueue bytes, 1 .. 16 MiB; bytes already buffered are kept);
// dwOutQueue is accepted and has no effect (the driver's output buffer has a fixed size). While the buffer is full,
// further input waits in the driver (a pty then holds up its writer); what a driver itself drops is reported as
// CE_RXOVER.
BOOL WINAPI SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue);
BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB);
// Fails with ERROR_INVALID_PARAMETER for settings outside the rules above, or with the driver's error;
// on failure the port keeps its previous settings.
BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB);
BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);
// Replaces the monitored events and forgets what was latched; a pending WaitCommEvent returns TRUE
// with an event mask of 0.
BOOL WINAPI SetCommMask(HANDLE hFile, DWORD dwEvtMask);
// Blocks until a monitored event occurred since the last wait returned and reports them all. EV_RXCHAR
// means new bytes arrived since then (unread old bytes do not repeat it). Line, break and error events
// are sampled every 20 ms where the device has them. Fails at once for an empty mask, for a second
// wait on the same port, and (ERROR_BROKEN_PIPE) once a hang-up has been reported: the hang-up itself
// is reported once as EV_ERR with CE_IOE (or, without EV_ERR in the mask, as that failure).
// CancelCommWait ends it with ERROR_OPERATION_ABORTED.
BOOL WINAPI WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped);
// Returns and clears the CE_* bits gathered since the last call.
BOOL WINAPI ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat);
// CLEAR bits empty the buffers; ABORT bits end a blocked read or write, which returns what it moved.
BOOL WINAPI PurgeComm(HANDLE hFile, DWORD dwFlags);
// SETDTR/CLRDTR/SETRTS/CLRRTS on a device without modem lines (a pty) succeed and do nothing.
// SETXOFF/SETXON stop and restart transmission as if XOFF/XON had been received.
BOOL WINAPI EscapeCommFunction(HANDLE hFile, DWORD dwFunc);
// Fails (ENOTTY) on a device without modem lines, such as a pty.
BOOL WINAPI GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat);
// Reports the result an OVERLAPPED holds. An operation still running on another thread gives
// ERROR_IO_INCOMPLETE, or with bWait waits on the record's event (which must then be set).
BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                                BOOL bWait);

// Ours: wakes every WaitCommEvent, ReadFile and WriteFile blocked on the port. A woken wait fails with
// ERROR_OPERATION_ABORTED; a woken read or write succeeds with what it moved so far. When no wait is
// blocked, the next WaitCommEvent on the port fails at once instead, so a stop request made just
// before a worker thread starts its wait is never lost.
BOOL WINAPI CancelCommWait(HANDLE hFile);
