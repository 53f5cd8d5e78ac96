// The font families read from Qt's font database.
#include "platform/ui/font_names.h"

#include <QFontDatabase>
#include <QStringList>

std::vector<std::string> ScreenFontNames() {
    std::vector<std::string> names;
    for (const QString& f : QFontDatabase::families()) names.push_back(f.toStdString());
    return names;
}
