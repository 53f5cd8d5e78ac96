// Shared pieces of the report tests: a drawing surface with fixed metrics
// that records what is drawn, and a report whose Build is a lambda.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/report/norv_report.h"
#include "platform/core/text.h"

// Every character is CharW pixels wide, every text CharH pixels high.
class TFixedSurface : public TReportSurface {
public:
    static constexpr int CharW = 10;
    static constexpr int CharH = 20;

    struct TText {
        int X, Y;
        std::string Text;
    };
    struct TRule {
        int X1, Y1, X2, Y2;
    };
    std::vector<TText> Texts;
    std::vector<TRule> Rules;

    int TextWidth(const std::string& Text) override { return CharW * static_cast<int>(Utf8Length(Text)); }
    int TextHeight(const std::string&) override { return CharH; }
    void TextOut(int X, int Y, const std::string& Text) override { Texts.push_back({X, Y, Text}); }
    void Line(int X1, int Y1, int X2, int Y2) override { Rules.push_back({X1, Y1, X2, Y2}); }

    // The x of the first drawn text equal to Text; -1 when none.
    int XOf(const std::string& Text) const {
        for (const TText& t : Texts)
            if (t.Text == Text) return t.X;
        return -1;
    }
    void Clear() {
        Texts.clear();
        Rules.clear();
    }
};

class TScriptReport : public TNorvReport {
public:
    explicit TScriptReport(std::function<bool(TScriptReport&)> BuildFn = {}, uint8_t Width = 40)
        : TNorvReport(TReportArgs{}), FBuild(std::move(BuildFn)) {
        SetTitle("Script Report");
        SetLineWidth(Width);
    }
    void SetBuild(std::function<bool(TScriptReport&)> BuildFn) { FBuild = std::move(BuildFn); }
    int Headers = 0;
    int Footers = 0;

protected:
    bool Build() override { return FBuild ? FBuild(*this) : true; }
    void PageHeader() override {
        ++Headers;
        TNorvReport::PageHeader();
    }
    void PageFooter() override {
        ++Footers;
        TNorvReport::PageFooter();
    }

private:
    std::function<bool(TScriptReport&)> FBuild;
};
