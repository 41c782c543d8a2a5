#pragma once
// The rich edit's reduced RTF: reading keeps the text and its paragraph breaks and drops every
// formatting word and destination (font and colour tables, pictures, fields' instructions); writing
// makes a minimal document in the GBK code page that other editors open.

#include <string>
#include <string_view>

namespace xj::ctl {

// The text of an RTF document, with "\r\n" between paragraphs. False (and `text` untouched) when the
// input is not RTF. Truncated documents give the text read so far; the work and the memory are
// proportional to the input, however deep its groups nest.
bool RtfToText(std::string_view rtf, std::string& text);
// A minimal RTF document holding `text` (lines broken at "\r\n", "\n" or "\r").
std::string TextToRtf(std::string_view text);

}  // namespace xj::ctl
