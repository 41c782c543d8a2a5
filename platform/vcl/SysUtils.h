#pragma once
// Exceptions and the utility routines of the runtime.

#include <exception>

#include "platform/vcl/System.h"

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString msg) : FMessage(std::move(msg)) {}
  const AnsiString& Message() const { return FMessage; }
  void SetMessage(const AnsiString& m) { FMessage = m; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  AnsiString FMessage;
};

#define XJ_EXCEPTION(E, Base) \
  class E : public Base {     \
   public:                    \
    using Base::Base;         \
  }

XJ_EXCEPTION(EAbort, Exception);
XJ_EXCEPTION(EConvertError, Exception);
XJ_EXCEPTION(EOutOfMemory, Exception);
XJ_EXCEPTION(EInvalidCast, Exception);
XJ_EXCEPTION(EInvalidOperation, Exception);
XJ_EXCEPTION(EZeroDivide, Exception);
XJ_EXCEPTION(EInOutError, Exception);
