// Version information of program files.
//
// The program carries its version data compiled in, as a version block: a
// tree of named nodes whose root "VS_VERSION_INFO" holds the fixed file
// information, with "StringFileInfo\<translation>\<name>" text values and
// "VarFileInfo\Translation" (language and code-page pairs). The version API
// below finds such a block in any file; a file without one has no version
// information. TZkVersionInfo reads a file's block through that API.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/core/component.h"

// The fixed part of a version block (13 words).
struct TVSFixedFileInfo {
    uint32_t dwSignature;  // 0xFEEF04BD
    uint32_t dwStrucVersion;
    uint32_t dwFileVersionMS;
    uint32_t dwFileVersionLS;
    uint32_t dwProductVersionMS;
    uint32_t dwProductVersionLS;
    uint32_t dwFileFlagsMask;
    uint32_t dwFileFlags;
    uint32_t dwFileOS;
    uint32_t dwFileType;
    uint32_t dwFileSubtype;
    uint32_t dwFileDateMS;
    uint32_t dwFileDateLS;
};
static_assert(sizeof(TVSFixedFileInfo) == 52);

constexpr uint32_t VS_FFI_SIGNATURE = 0xFEEF04BD;

// What a version block holds, for building one.
struct TVersionData {
    TVSFixedFileInfo Fixed{};
    std::vector<std::pair<uint16_t, uint16_t>> Translations;  // language, code page
    // Per translation string ("040904E4"): name -> value.
    std::map<std::string, std::map<std::string, std::string>> Strings;
};
// The block's bytes.
std::vector<uint8_t> BuildVersionBlock(const TVersionData& Data);
// The block compiled into this program.
std::span<const uint8_t> ProgramVersionBlock();

// ---- The version API ----------------------------------------------------------------------
// The size of the file's version block; 0 when the file has none or cannot
// be read. A name without a folder is looked for in the program's folder,
// then in the current folder.
uint32_t GetFileVersionInfoSize(const std::string& FileName);
// Copies the file's version block into Data (Len bytes at least); false when
// there is none or it does not fit.
bool GetFileVersionInfo(const std::string& FileName, uint32_t Handle, uint32_t Len, void* Data);
// A value of a block got with GetFileVersionInfo: "\" (the fixed part),
// "\VarFileInfo\Translation", "\StringFileInfo\040904e4\FileVersion", ...
// (names compared without regard to case). Buffer points into the block;
// Len is the value's size in bytes (for a text, its length without the
// final zero). False when there is no such value.
bool VerQueryValue(const void* Block, const std::string& SubBlock, const void*& Buffer, uint32_t& Len);
// The same over a block of known size (a block claiming more is rejected).
bool VerQueryValue(const void* Block, size_t BlockSize, const std::string& SubBlock, const void*& Buffer,
                   uint32_t& Len);

// ---- TZkVersionInfo -----------------------------------------------------------------------
class TZkVersionInfo : public TComponent {
    TASKMOOR_CLASS(TZkVersionInfo, TComponent)
public:
    explicit TZkVersionInfo(TComponent* AOwner);
    ~TZkVersionInfo() override;

    // The file read; an empty name selects the running program.
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& Value);

    bool HaveInfo() const { return FHaveInfo; }
    int TranslationCount() const { return FTranslationCount; }
    int CurrentTranslation() const { return FCurrentTranslation; }
    const TVSFixedFileInfo& FixedFileInfo() const { return FFixedFileInfo; }

    int GetTranslationIndex() const;
    void SetTranslationIndex(int Index);
    // Language and code page of the current translation as eight lower-case
    // hexadecimal digits ("040904e4"); empty without one.
    std::string GetTranslationString() const;
    // A text value of the current translation; empty when absent.
    std::string GetStringFileInfo(const std::string& Name) const;
    // The text value of one of the twelve standard names (0 "Comments" ...
    // 11 "SpecialBuild"); empty for another index.
    std::string GetStringByIndex(int Index) const;
    static std::string StringName(int Index);

    static void Publish(TPublisher<TZkVersionInfo>& p);

protected:
    virtual void ClearProperties();
    virtual void ReadVersionInfo();

private:
    std::string FFileName;
    bool FHaveInfo = false;
    int FTranslationCount = 0;
    int FCurrentTranslation = -1;
    TVSFixedFileInfo FFixedFileInfo{};
    std::vector<uint8_t> FInfoBuffer;
    std::vector<uint32_t> FTranslations;  // language in the low word, code page in the high
};
