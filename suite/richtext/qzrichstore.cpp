// Writing and reading the "Data" property and loading the stored lines into the edit.
#include "suite/richtext/qzrichstore.h"

#include "platform/core/exceptions.h"
#include "platform/core/rtf.h"
#include "suite/richtext/qzriched.h"

bool TqzRichStoredForm::DataStored() const { return FRichEdit->GetField() == nullptr; }

std::string TqzRichStoredForm::WriteData() const {
    return RtfWriteDataBlock(FRichEdit->StreamOut(!FRichEdit->PlainText(), false));
}

void TqzRichStoredForm::ReadData(std::string_view Bytes, std::size_t& Pos) {
    FRichEdit->SetPlainText(false);
    std::string data;
    const bool whole = RtfReadDataBlock(Bytes, Pos, data);
    FDataRead = true;
    if (!whole) throw EReadError("Stored rich text is cut short");
    if (!data.empty() && FRichEdit->GetField() == nullptr) {
        TqzRichMemoryStream s;
        s.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        s.SetPosition(0);
        FRichEdit->Lines()->LoadFromStream(&s);
    }
}

void TqzRichStoredForm::LoadStoredLines(const std::string& Text) {
    if (FDataRead || FRichEdit->GetField() != nullptr) return;
    TqzRichMemoryStream s;
    if (!Text.empty()) s.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    s.SetPosition(0);
    FRichEdit->SetPlainText(false);
    FRichEdit->LoadFromStream(&s, false, 0);
}
