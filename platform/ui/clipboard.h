// The clipboard: text and other formats, each a run of bytes.
//
// Formats are numbers: CF_TEXT, CF_BITMAP, CF_SYLK and those RegisterClipboardFormat
// gives out for a name (the same name gives the same number, letter case
// ignored). Between Open and Close every format set goes on the clipboard
// together; outside, each set replaces the clipboard's contents.
//
// The contents live in a service: the system clipboard by default, an
// in-memory one in tests (SetClipboardService).
#pragma once

#include <map>
#include <string>

#include "platform/core/object.h"

constexpr unsigned CF_TEXT = 1;
constexpr unsigned CF_BITMAP = 2;  // a picture (PNG bytes)
constexpr unsigned CF_SYLK = 4;
constexpr unsigned CF_UNICODETEXT = 13;

// A number for a named format ("HTML Format", ...); 0 for an empty name.
unsigned RegisterClipboardFormat(const std::string& Name);
// The name of a format ("" for CF_TEXT and unknown numbers).
std::string ClipboardFormatName(unsigned Format);

// Where the clipboard's contents are kept.
class TClipboardService {
public:
    virtual ~TClipboardService() = default;
    // Replaces the contents with these formats.
    virtual void SetData(const std::map<unsigned, std::string>& Data) = 0;
    // The present contents.
    virtual std::map<unsigned, std::string> GetData() = 0;
};
TClipboardService& ClipboardService();
// Installs a service (nullptr: the system clipboard); answers the old one.
TClipboardService* SetClipboardService(TClipboardService* Service);

class TClipboard : public TPersistent {
    TASKMOOR_CLASS(TClipboard, TPersistent)
public:
    void Open();
    void Close();
    void Clear();
    // CF_TEXT (UTF-8).
    std::string AsText();
    void SetAsText(const std::string& Value);
    bool HasFormat(unsigned Format);
    std::string GetFormatData(unsigned Format);
    void SetFormatData(unsigned Format, const std::string& Data);

private:
    void Put(unsigned Format, const std::string& Data);
    int FOpenCount = 0;
    bool FChanged = false;
    std::map<unsigned, std::string> FPending;
};

TClipboard* Clipboard();
