// The font families the screen offers, sorted.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> ScreenFontNames();
