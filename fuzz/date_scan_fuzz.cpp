// Any text under any format settings: the date, time and number scanning
// answers a result, never crashes, reads past the text or hangs.
//
// Input: four bytes (date separator, time separator, decimal separator,
// thousand separator), then fields separated by 0x00: short date format, AM
// designator, PM designator, first short month name, the choice of display
// format (its first byte), and the text itself (the rest). Display formats
// come from a fixed list: they are the program's own, not outside input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "suite/base/date_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    ResetFormatSettings();
    TFormatSettings& fs = FormatSettings();
    fs.DateSeparator = static_cast<char>(data[0]);
    fs.TimeSeparator = static_cast<char>(data[1]);
    fs.DecimalSeparator = static_cast<char>(data[2]);
    fs.ThousandSeparator = static_cast<char>(data[3]);

    std::vector<std::string> fields;
    std::string rest(reinterpret_cast<const char*>(data + 4), size - 4);
    for (int i = 0; i < 5; ++i) {
        const std::size_t split = rest.find('\0');
        if (split == std::string::npos) break;
        fields.push_back(rest.substr(0, split));
        rest.erase(0, split + 1);
    }
    const auto field = [&](std::size_t i, const std::string& def) {
        return i < fields.size() ? fields[i] : def;
    };
    fs.ShortDateFormat = field(0, fs.ShortDateFormat);
    fs.TimeAMString = field(1, fs.TimeAMString);
    fs.TimePMString = field(2, fs.TimePMString);
    fs.ShortMonthNames[0] = field(3, fs.ShortMonthNames[0]);
    static const char* const displayFormats[] = {"",          "0.00",   "#,##0.00;(#,##0.00)", "0.00;<0.00>",
                                                 "$#,##0.00", "0.0E+00"};
    const std::string choice = field(4, "");
    const std::string displayFormat =
        displayFormats[choice.empty() ? 0 : static_cast<unsigned char>(choice[0]) % 6];
    const std::string& text = rest;

    TDateTime value;
    for (int start = 0; start <= static_cast<int>(text.size()) + 1; start += 1 + start / 4) {
        int pos = start;
        int number;
        qzScanNumberOrMonth(text, pos, number);
        pos = start;
        qzScanDate(text, pos, value, start * 37 - 5000);
        pos = start;
        qzScanTime(text, pos, value);
        pos = start;
        qzScanText(text, pos, fs.TimePMString);
    }
    qzIsDateText(text);
    qzIsTimeText(text);
    qzIsDateTimeText(text);
    qzTryTextToDateEpoch(text, value, static_cast<int>(size) * 1000 - 2000000);
    qzTextToDate(text);
    qzTextToTime(text);
    qzTextToDateTime(text);
    qzIsIntegerText(text);
    qzIsFloatText(text);
    double number;
    qzParseFormattedFloat(text, number, displayFormat);

    for (int caret = -1; caret <= static_cast<int>(text.size()) + 1; caret += 1 + caret / 8) {
        qzDateTimePartAtPos(caret, text, false);
        qzDateTimePartAtPos(caret, text, true);
        qzTimePartAtPos(caret, text);
    }
    for (uint8_t part = 0; part <= 7; ++part) {
        int selStart, selLength;
        qzDateTimePartSelection(part, text, false, selStart, selLength);
        if (selStart < 0 || selLength < 0 || selStart + selLength > static_cast<int>(text.size()))
            __builtin_trap();
        qzDateTimePartSelection(part, text, true, selStart, selLength);
        if (selStart < 0 || selLength < 0 || selStart + selLength > static_cast<int>(text.size()))
            __builtin_trap();
    }
    return 0;
}
