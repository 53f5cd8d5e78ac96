// Whether a control may type a character into a field: the field's own
// character test for single bytes; a character beyond them is taken when the
// field takes every non-ASCII byte (a text field), refused otherwise (a
// number, a date).
#pragma once

class TField;

bool FieldAcceptsChar(const TField* Field, char32_t Ch);
