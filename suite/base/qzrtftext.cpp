// The calls handed to the platform's RTF reader.
#include "suite/base/qzrtftext.h"

#include "platform/core/rtf.h"

bool qzLooksLikeRichText(std::string_view Text) { return RtfLooksLikeRtf(Text); }

std::string qzRtfToPlainText(std::string_view Rtf) { return RtfToPlainText(Rtf); }
