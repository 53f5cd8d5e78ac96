// A field's valid-character test for any character.
#include "platform/db/field_chars.h"

#include "platform/db/fields.h"

bool FieldAcceptsChar(const TField* Field, char32_t Ch) {
    if (!Field) return true;
    if (Ch < 0x80) return Field->IsValidChar(static_cast<char>(Ch));
    const TFieldChars& chars = Field->ValidChars();
    for (int b = 0x80; b < 0x100; ++b)
        if (!chars.test(static_cast<size_t>(b))) return false;
    return true;
}
