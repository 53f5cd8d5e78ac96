// Globally unique identifiers.
#pragma once

#include <string>

// A new random (version 4) GUID as text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// upper-case hexadecimal, 38 characters.
std::string CreateGUIDString();
