// What a stored form holds of the rich edit besides its published
// properties: "RichEditVersion" and "Data" (the document as a 4-byte
// little-endian length, then the bytes), and the lines other writers stored.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class TqzCustomRichEdit;

class TqzRichStoredForm {
public:
    explicit TqzRichStoredForm(TqzCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {}
    TqzRichStoredForm(const TqzRichStoredForm&) = delete;
    TqzRichStoredForm& operator=(const TqzRichStoredForm&) = delete;

    int Version() const { return FVersion; }
    // Reading a stored form starts at version 1 (forms stored without it).
    void BeginRead() { FVersion = 1; }
    void ReadVersion(int Value) { FVersion = Value; }
    // Always stored: answers 2 and makes the control version 2.
    int WriteVersion() {
        FVersion = 2;
        return 2;
    }
    // "Data" is stored only for a control without a field.
    bool DataStored() const;
    // The stored bytes: a 4-byte little-endian length, then the document.
    std::string WriteData() const;
    // Reads "Data" from Bytes at Pos. A length past the bytes left raises
    // EReadError; the length's bytes are always consumed, loaded only
    // without a field.
    void ReadData(std::string_view Bytes, std::size_t& Pos);
    bool DataRead() const { return FDataRead; }
    // After a stored form was read: lines stored by other writers (when no
    // "Data" came and there is no field) are taken as RTF, else as text.
    void LoadStoredLines(const std::string& Text);

private:
    TqzCustomRichEdit* FRichEdit;
    int FVersion = 2;
    bool FDataRead = false;
};
