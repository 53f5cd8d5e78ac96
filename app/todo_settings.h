// The to-do program's settings file: the quote of the day, kept as
// "QUOTE"/"Selected" in the program's file with the extension ".ini".
//
// When that file cannot be written (a program folder that is not writable,
// as after an install) the file of the same name in the user's
// configuration folder takes its place. Settings that were never read are
// never written, so a start that failed half way cannot put defaults over
// the saved ones.
#pragma once

#include <string>

class TToDoSettings {
public:
    static constexpr int DefaultQuote = 10;

    // The file beside the program.
    static std::string BesideProgram();
    // The file the settings are written to: beside the program when it can
    // be written, else in the user's configuration folder.
    static std::string FileName();

    // Reads the settings: from FileName when it exists, else from beside
    // the program.
    void Read();
    // Writes them when they were read; raises the ini file's error when the
    // file cannot be written.
    void Write() const;

    int QuoteSelected = DefaultQuote;
    bool WasRead() const { return FRead; }

private:
    bool FRead = false;
};
