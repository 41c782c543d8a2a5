#pragma once
// RTF in and out for the rich edit. Reading keeps the text, its character formats (font, size, bold,
// italic, underline, strike-out, colour, highlight, protected) and paragraph formats (alignment,
// indents, tab stops, bullets and numbers); other words and destinations are skipped. "\line" is a
// soft break ('\v') within its paragraph. Bytes are read in the code page of their font's character
// set, or of the document, into the text's GBK. Writing makes a document in the GBK code page that
// reads back equal, run by run and paragraph by paragraph.

#include <string>
#include <string_view>

#include "platform/win32/ctl/RichText.h"

namespace xj::ctl {

// Whether the input starts as an RTF document does (blanks, then "{\rtf").
bool IsRtf(std::string_view rtf);
// Reads a document. False (and `doc` untouched) when the input is not RTF. Truncated documents give
// what was read so far; the work and the memory are proportional to the input, however deep its
// groups nest. Text without a font of its own takes `base`.
bool ReadRtf(std::string_view rtf, RichDocument& doc, const CharFormat& base = CharFormat {});
std::string WriteRtf(const RichDocument& doc);

// Text as plain text goes out: each soft line break as a line break ("\r\n").
std::string PlainLines(std::string_view text);

// The text of an RTF document alone (as plain text), and a document of plain text (lines broken at "\r\n", "\n" or
// "\r") in the default formats.
bool RtfToText(std::string_view rtf, std::string& text);
std::string TextToRtf(std::string_view text);

}  // namespace xj::ctl
