// The two memo fields on data-aware rich edits, shared by the rich-edit flow
// controls; the fields hold RTF and the flows compare their plain text.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/db/fields.h"
#include "platform/ui/testing.h"
#include "suite/base/qzrtftext.h"
#include "suite/richtext/qzdbrichedit.h"
#include "support/flows/user_flow.h"

class TRichEditFlowBase : public TFlowControl {
public:
    std::vector<std::string> Fields() const override { return {"Notes", "Details"}; }
    void Build(TForm* Form, TDataSource* Source) override {
        int top = 8;
        for (const std::string& f : Fields()) {
            auto* e = new TqzDBRichEdit(Form);
            e->SetParent(Form);
            e->SetBounds(8, top, 300, 60);
            // Enter leaves the text as it is: the flows' Enter is no new line.
            e->SetWantReturns(false);
            LoadLargeDocument(e);
            e->SetDataSource(Source);
            e->SetDataField(f);
            FEdits[f] = e;
            top += 80;
        }
    }
    void Focus(const std::string& Field) override {
        FEdits[Field]->SetFocus();
        ProcessEvents();
        FEdits[Field]->SelectAll();
    }
    // Ctrl+A.
    void Entered(const std::string&) override {
        SendKeyToFocus('A', {ssCtrl});
        ProcessEvents();
    }
    std::string Shown(const std::string& Field) override { return Plain(FEdits[Field]->Text()); }
    void Click(const std::string& Field, int) override {
        SendClick(FEdits[Field], 5, 5);
        ProcessEvents();
    }
    TWinControl* Control(const std::string& Field) override { return FEdits[Field]; }
    std::string Stored(TField* Field) override {
        const std::string s = Field->AsString();
        return Plain(qzLooksLikeRichText(s) ? qzRtfToPlainText(s) : s);
    }

protected:
    // A large document loads first (its layout goes on in steps from the event
    // loop); the field's text then takes its place.
    static void LoadLargeDocument(TqzDBRichEdit* e) {
        constexpr int kParagraphs = 2500;
        std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 ";
        for (int i = 0; i < kParagraphs; ++i)
            rtf += "\\pard\\li" + std::to_string(i % 3 * 240) + " Paragraph {\\b " + std::to_string(i) +
                   "} of a large document\\par ";
        rtf += "}";
        TqzRichMemoryStream s;
        s.WriteBuffer(rtf.data(), static_cast<int64_t>(rtf.size()));
        s.SetPosition(0);
        e->LoadFromStream(&s, false, 0);
        ProcessEvents();
        EXPECT_EQ(e->Line(kParagraphs - 1),
                  "Paragraph " + std::to_string(kParagraphs - 1) + " of a large document");
        const TRtfDocument d = e->Document();
        ASSERT_EQ(d.Paragraphs.size(), static_cast<std::size_t>(kParagraphs));
        ASSERT_EQ(d.Paragraphs[7].Runs.size(), 3u);
        EXPECT_TRUE(d.FormatOf(d.Paragraphs[7].Runs[1]).Bold);
        EXPECT_EQ(d.Paragraphs[7].Format.LeftIndent, 240);
    }
    // Without the line end closing the last paragraph.
    static std::string Plain(std::string Text) {
        while (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r')) Text.pop_back();
        return Text;
    }
    std::map<std::string, TqzDBRichEdit*> FEdits;
};
