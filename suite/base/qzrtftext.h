// Plain text of rich text (RTF), read by the platform's RTF reader: the
// characters a reader of the document would see; the paragraph mark that
// ends the document adds no line break.
#pragma once

#include <string>
#include <string_view>

// True when Text begins with "{\rtf".
bool qzLooksLikeRichText(std::string_view Text);

// The text of Rtf as UTF-8. Any byte sequence gives a result; text that is
// not rich text is answered unchanged.
std::string qzRtfToPlainText(std::string_view Rtf);
