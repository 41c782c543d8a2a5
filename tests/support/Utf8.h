#pragma once
// Texts in failure messages. The platform's texts are GBK bytes; printed raw they read as nonsense on a
// UTF-8 terminal, and a filter reading the test output takes them for binary data.

#include <string>
#include <string_view>

#include "platform/win32/WinBase.h"

namespace xj::test {

// A GBK text as a person reads it, for `<<` into a failure message.
inline std::string Shown(std::string_view gbk) { return xj::GbkToUtf8(gbk); }

}  // namespace xj::test
