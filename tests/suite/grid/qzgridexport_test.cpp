// The export writers byte for byte, the export run over a grid (files, the
// clipboard, selected rows, a failing file) and HTML escaping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>

#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/properties.h"
#include "platform/core/streams.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/clipboard_html.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/testing.h"
#include "suite/grid/qzdbgrid.h"
#include "suite/grid/qzgridexport.h"
#include "suite/grid/qzgridselection.h"
#include "support/environment.h"

namespace {

TqzExportModel TwoColumns() {
    TqzExportModel m;
    TqzExportColumn a;
    a.FieldName = "Name";
    a.Title = "Full~Name";
    a.WidthChars = 6;
    a.PixelWidth = 50;
    TqzExportColumn b;
    b.FieldName = "Qty";
    b.Title = "Qty";
    b.WidthChars = 4;
    b.PixelWidth = 30;
    b.Alignment = taRightJustify;
    b.DataType = ftInteger;
    m.Columns = {a, b};
    m.GridFont = {"Arial", 10, clBlack};
    m.TitleFont = {"Arial", 10, clBlack};
    m.GridColor = clWhite;
    m.TitleColor = clSilver;
    return m;
}

std::vector<TqzExportCell> Cells(const std::string& A, const std::string& B, long long N) {
    TqzExportCell a{A};
    TqzExportCell b{B};
    b.IntValue = N;
    return {a, b};
}

TEST(QzExportWriters, DelimitedAndFixedWidthText) {
    TqzExportSettings s;
    const TqzExportModel m = TwoColumns();
    EXPECT_EQ(qzTextHeader(s, m) + qzTextRow(s, m, 1, Cells("Ann \"A\"", "7", 7)),
              "\"Full Name\",\"Qty\"\r\n\"Ann \"\"A\"\"\",\"7\"\r\n");
    s.Delimiter.clear();
    s.Options = s.Options + esoShowRecordNo;
    // Fixed width: titles padded to width + 2; data to the larger of that and the title.
    EXPECT_EQ(qzTextHeader(s, m), "       # \"Full Name\"  \"Qty\"\r\n");
    EXPECT_EQ(qzTextRow(s, m, 12, Cells("", "7", 7)), "    \"12\" \"\"             \"7\"\r\n");
}

TEST(QzExportWriters, HtmlEscapesDataAndClosesInOrder) {
    TqzExportSettings s;
    s.FileName = "a<b>.htm";
    s.TitleName = "Q&A \"list\"";
    TqzExportModel m = TwoColumns();
    m.Columns[0].Title = "<i>";
    m.Columns[1].Footer = "Sum > 3";
    m.ShowFooter = true;
    s.Options = s.Options + esoShowFooter;
    const std::string head = qzHTMLHeader(s, m);
    EXPECT_NE(head.find("<TITLE>a&lt;b&gt;.htm</TITLE>"), std::string::npos);
    EXPECT_NE(head.find("scope=\"colgroup\">Q&amp;A &quot;list&quot;</TH>"), std::string::npos);
    EXPECT_NE(head.find("&lt;i&gt;</TD>"), std::string::npos);
    EXPECT_NE(head.find(">Sum &gt; 3</TD>"), std::string::npos);
    TqzExportState st;
    const std::string row = qzHTMLRow(s, m, st, 1, Cells("a&b", "", 0));
    EXPECT_NE(row.find(">a&amp;b</TD>"), std::string::npos);
    EXPECT_NE(row.find(">&nbsp;</TD>"), std::string::npos);
    EXPECT_EQ(qzHTMLTrailer(), "</TBODY>\r\n</TABLE>\r\n</BODY>\r\n</HTML>\r\n");
}

TEST(QzExportWriters, HtmlRowsWholeAndAlternatingOnlyWhenSet) {
    TqzExportSettings s;
    TqzExportModel m = TwoColumns();
    TqzExportState st;
    const std::string expected =
        "<TR VALIGN=\"TOP\" STYLE=\"font-family: Arial;font-size: 10 pt;color:#000000;\">\r\n"
        "<TD NOWRAP ALIGN=\"left\" WIDTH=\"50\" SCOPE=\"row\">x</TD>\r\n"
        "<TD NOWRAP ALIGN=\"right\" WIDTH=\"30\" SCOPE=\"row\">2</TD>\r\n"
        "</TR>\r\n";
    // No alternating colour set: even rows look like odd ones.
    EXPECT_EQ(qzHTMLRow(s, m, st, 2, Cells("x", "2", 2)), expected);
    m.AlternatingColor = static_cast<TColor>(0x00FF0000);
    EXPECT_NE(qzHTMLRow(s, m, st, 2, Cells("x", "2", 2)).find("BGCOLOR=#0000ff"), std::string::npos);
    EXPECT_EQ(qzHTMLRow(s, m, st, 3, Cells("x", "2", 2)), expected);
}

TEST(QzExportWriters, HtmlGroupsMakeTwoHeaderRows) {
    TqzExportSettings s;
    s.Options = {esoShowHeader};
    TqzExportModel m = TwoColumns();
    for (auto& c : m.Columns) {
        c.Group = "G";
        c.GroupFirst = 0;
        c.GroupLast = 1;
    }
    const std::string head = qzHTMLHeader(s, m);
    EXPECT_NE(head.find("ALIGN=CENTER ColSpan=\"2\">G</TD>"), std::string::npos);
    EXPECT_NE(head.find(" >Full<BR>Name</TD>"), std::string::npos);
    EXPECT_EQ(head.find("<TR></TR>"), std::string::npos);
}

TEST(QzExportWriters, SylkWholeWithTitleRowsInTheBound) {
    TqzExportSettings s;
    s.Options = {esoShowHeader};
    TqzExportModel m = TwoColumns();
    m.TitleLines = 2;
    TqzExportState st;
    std::string out = qzSYLKHeader(s, m, st);
    out += qzSYLKRow(s, m, st, 1, Cells("a;b", "7", 7));
    qzSYLKFinish(s, m, st, 1, out);
    EXPECT_EQ(out,
              "ID;PW2W 3000;N;E\r\n"
              "P;PGeneral\r\n"
              "P;FArial;M200\r\n"
              "B;Y3;X2\r\n"
              "F;G;M255\r\n"
              "F;W1 1 6\r\n"
              "F;W2 2 4\r\n"
              "F;SLRTM0;FG0L;Y1;X1\r\n"
              "C;K\"Full\"\r\n"
              "F;SLRTM0;FG0L;Y1;X2\r\n"
              "C;K\"Qty\"\r\n"
              "F;SLRBM0;FG0L;Y2;X1\r\n"
              "C;K\"Name\"\r\n"
              "F;SLRBM0;FG0L;Y2;X2\r\n"
              "F;SLTRBM0;FG0L;Y3;X1\r\n"
              "C;K\"a;;b\"\r\n"
              "F;SLTRBM0;FG0R;Y3;X2\r\n"
              "C;K7\r\n"
              "E");
}

TEST(QzExportWriters, SylkCutsTextBeforeDoublingSemicolons) {
    TqzExportSettings s;
    s.Options = {};
    TqzExportModel m = TwoColumns();
    TqzExportState st;
    qzSYLKHeader(s, m, st);
    const std::string text = std::string(254, 'x') + ";";
    const std::string row = qzSYLKRow(s, m, st, 1, Cells(text, "1", 1));
    EXPECT_NE(row.find("C;K\"" + std::string(254, 'x') + ";;\"\r\n"), std::string::npos);
    TqzExportFont bold{"Arial", 10, clBlack, true, false, false, true};
    m.TitleFont = bold;
    TqzExportState st2;
    const std::string head = qzSYLKHeader(s, m, st2);
    (void)head;
    EXPECT_EQ(st2.Fonts[0], "P;FArial;M200;SBS");
}

// A memo's lines end in LF here (CR LF or CR from elsewhere): a SYLK value
// stays one record, an HTML cell breaks its lines.
TEST(QzExportWriters, LineBreaksOfEveryKindInSylkAndHtml) {
    TqzExportSettings s;
    TqzExportModel m = TwoColumns();
    TqzExportState st;
    qzSYLKHeader(s, m, st);
    const std::string row = qzSYLKRow(s, m, st, 1, Cells("a\nb\r\nc\rd", "1", 1));
    EXPECT_NE(row.find("C;K\"a b c d\"\r\n"), std::string::npos) << row;
    // Every line of the row is a record.
    for (size_t at = 0, end; (end = row.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string line = row.substr(at, end - at);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        EXPECT_TRUE(line.rfind("F;", 0) == 0 || line.rfind("C;", 0) == 0) << line;
    }
    const std::string html = qzHTMLRow(s, m, st, 1, Cells("a\nb\r\nc\rd", "1", 1));
    EXPECT_NE(html.find(">a<BR>b<BR>c<BR>d</TD>"), std::string::npos) << html;
}

TEST(QzExportWriters, ClipboardHtmlOffsetsAreByteOffsets) {
    const std::string doc = "<P>\xC3\xA9</P>";
    const std::string text = BuildClipboardHTML(doc);
    auto field = [&](const std::string& name) {
        const size_t at = text.find(name + ":");
        return std::stoul(text.substr(at + name.size() + 1, 10));
    };
    const size_t start = text.find("<!--StartFragment-->") + std::string("<!--StartFragment-->").size();
    EXPECT_EQ(field("StartFragment"), start);
    EXPECT_EQ(field("StartSelection"), start);
    EXPECT_EQ(field("EndFragment"), text.find("<!--EndFragment-->"));
    EXPECT_EQ(field("EndSelection"), text.find("<!--EndFragment-->"));
    EXPECT_EQ(field("StartHTML"), text.find("<!--StartFragment-->"));
    EXPECT_EQ(field("EndHTML"), text.size());
    EXPECT_EQ(ClipboardHTMLDocument(text), doc);
}

class QzExportRun : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 500, 240);
        Table = new TOstraTable(Form);
        Table->FieldDefs()->Add("Name", ftString, 10);
        Table->FieldDefs()->Add("Qty", ftInteger);
        Table->Open();
        for (int i = 1; i <= 5; ++i) Table->AppendRecord({Variant("N" + std::to_string(i)), Variant(i)});
        Table->First();
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TqzDBGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 400, 200);
        Grid->SetDataSource(Source);
        Form->Show();
        ProcessEvents();
        Dir = TestRunPath("qzexport");
        ForceDirectories(Dir);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    std::string Read(const std::string& File) {
        TFileStream f(File, fmOpenRead);
        std::string s(static_cast<size_t>(f.Size()), '\0');
        f.Read(s.data(), f.Size());
        return s;
    }
    TForm* Form = nullptr;
    TOstraTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TqzDBGrid* Grid = nullptr;
    std::string Dir;
};

TEST_F(QzExportRun, AllRowsAndSelectedRowsToFileAndClipboard) {
    TqzExportOptions* e = Grid->ExportOptions();
    e->SetFileName(Dir + "/all.txt");
    Table->MoveBy(2);
    const TBookmark at = Table->Bookmark();
    e->Save();
    std::string expected = "\"Name\",\"Qty\"\r\n";
    for (int i = 1; i <= 5; ++i)
        expected += "\"N" + std::to_string(i) + "\",\"" + std::to_string(i) + "\"\r\n";
    EXPECT_EQ(Read(Dir + "/all.txt"), expected);
    EXPECT_EQ(Table->CompareBookmarks(Table->Bookmark(), at), 0);

    // Selected rows, in bookmark order, through the clipboard double.
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Table->First();
    Table->MoveBy(3);
    Grid->SelectRecordHook();
    Table->First();
    Grid->SelectRecordHook();
    TTestClipboard clip;
    e->SetOptions(e->Options() + esoSaveSelectedOnly + esoClipboard);
    e->Save();
    EXPECT_EQ(Clipboard()->AsText(), "\"Name\",\"Qty\"\r\n\"N1\",\"1\"\r\n\"N4\",\"4\"\r\n");
    e->SetExportType(qzgetSYLK);
    e->Save();
    EXPECT_EQ(Clipboard()->GetFormatData(CF_SYLK).substr(0, 16), "ID;PW2W 3000;N;E");
    e->SetExportType(qzgetHTML);
    e->Save();
    const std::string html = Clipboard()->GetFormatData(RegisterClipboardFormat("HTML Format"));
    EXPECT_EQ(html.substr(0, 11), "Version:0.9");
    EXPECT_NE(html.find("</TBODY>\r\n</TABLE>\r\n</BODY>\r\n</HTML>\r\n<!--EndFragment-->"),
              std::string::npos);
}

TEST_F(QzExportRun, KindAndOptionsSetByNameThroughTheGrid) {
    TObject* e = GetObjectProp(Grid, "ExportOptions");
    ASSERT_NE(nullptr, e);
    EXPECT_EQ("qzgetTxt", GetEnumProp(e, "ExportType"));
    SetStrProp(e, "FileName", Dir + "/named.txt");
    // Without the header row, the rows alone.
    SetSetProp(e, "Options", "[esoDblQuoteFields]");
    EXPECT_EQ("TqzExportSaveOptions", GetPropInfo(e, "Options")->TypeName);
    Grid->ExportOptions()->Save();
    std::string rows;
    for (int i = 1; i <= 5; ++i) rows += "\"N" + std::to_string(i) + "\",\"" + std::to_string(i) + "\"\r\n";
    EXPECT_EQ(Read(Dir + "/named.txt"), rows);
    SetEnumProp(e, "ExportType", "qzgetHTML");
    EXPECT_EQ(qzgetHTML, Grid->ExportOptions()->ExportType());
    SetStrProp(e, "FileName", Dir + "/named.html");
    Grid->ExportOptions()->Save();
    EXPECT_NE(Read(Dir + "/named.html").find("<TABLE"), std::string::npos);
    EXPECT_THROW(SetEnumProp(e, "ExportType", "qzgetPdf"), EPropertyError);
}

TEST_F(QzExportRun, AFailingExportRestoresTheDataset) {
    TqzExportOptions* e = Grid->ExportOptions();
    e->SetFileName(Dir + "/fails.txt");
    Table->MoveBy(1);
    const TBookmark at = Table->Bookmark();
    Grid->SetOnExportField(TqzExportFieldEvent([](TqzDBGrid*, TField* F, bool&) {
        if (F->FieldName() == "Qty") throw EInvalidOperation("refused");
    }));
    EXPECT_THROW(e->Save(), EInvalidOperation);
    EXPECT_FALSE(Table->ControlsDisabled());
    EXPECT_EQ(Table->CompareBookmarks(Table->Bookmark(), at), 0);
    // A failed export leaves no file behind.
    EXPECT_FALSE(FileExists(Dir + "/fails.txt"));
}

// The names in Dir that start with Prefix: the file and any temporaries.
std::vector<std::string> QzExportNames(const std::string& Dir, const std::string& Prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Dir)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(Prefix, 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// An export replaces the file only when it is finished: a full disk, a
// failing handler or nothing to export keep the old file whole, with no
// temporary file left; the error names the file.
TEST_F(QzExportRun, AFailedExportKeepsTheOldFile) {
    TqzExportOptions* e = Grid->ExportOptions();
    const std::string file = Dir + "/keep.txt";
    e->SetFileName(file);
    WriteFileAtomically(file, "good data", 9);
    SimulateWriteFailure(0);
    try {
        e->Save();
        ADD_FAILURE() << "a full disk raised nothing";
    } catch (const EFCreateError& x) {
        EXPECT_EQ(x.Message().rfind("Cannot create file \"" + file + "\".", 0), 0u) << x.Message();
    }
    ResetWriteFaults();
    EXPECT_EQ(Read(file), "good data");
    EXPECT_EQ(QzExportNames(Dir, "keep.txt"), std::vector<std::string>{"keep.txt"});

    Grid->SetOnExportField(TqzExportFieldEvent([](TqzDBGrid*, TField* F, bool&) {
        if (F->FieldName() == "Qty") throw EInvalidOperation("refused");
    }));
    EXPECT_THROW(e->Save(), EInvalidOperation);
    Grid->SetOnExportField(TqzExportFieldEvent());
    EXPECT_EQ(Read(file), "good data");

    Table->Close();
    e->Save();
    EXPECT_EQ(Read(file), "good data");
    EXPECT_EQ(QzExportNames(Dir, "keep.txt"), std::vector<std::string>{"keep.txt"});
    Table->Open();

    // A finished export replaces the file and keeps its permissions; through
    // a symbolic link the link stays and its target is replaced.
    namespace fs = std::filesystem;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::remove(Dir + "/keep.txt.link");
    fs::create_symlink("keep.txt", Dir + "/keep.txt.link");
    e->SetFileName(Dir + "/keep.txt.link");
    e->Save();
    EXPECT_EQ(Read(file).substr(0, 14), "\"Name\",\"Qty\"\r\n");
    EXPECT_TRUE(fs::is_symlink(Dir + "/keep.txt.link"));
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(QzExportNames(Dir, "keep.txt"), (std::vector<std::string>{"keep.txt", "keep.txt.link"}));
}

// A form that frees a control when it hears a message posted to it.
constexpr unsigned WM_FREE_CONTROL = WM_USER + 71;
class TFreeingForm : public TForm {
public:
    using TForm::TForm;
    TControl* Victim = nullptr;
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == WM_FREE_CONTROL && Victim) {
            delete Victim;
            Victim = nullptr;
            return;
        }
        TForm::Dispatch(Message);
    }
};

TEST_F(QzExportRun, AGridDestroyedDuringTheExportEndsItCleanly) {
    auto* form = CreateForm<TFreeingForm>(Application);
    auto* grid = new TqzDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 150);
    grid->SetDataSource(Source);
    form->Show();
    ProcessEvents();
    form->Victim = grid;
    grid->ExportOptions()->SetFileName(Dir + "/gone.txt");
    grid->SetOnExportField(TqzExportFieldEvent(
        [form](TqzDBGrid*, TField*, bool&) { PostMessage(form, WM_FREE_CONTROL, 0, 0); }));
    grid->ExportOptions()->Save();
    EXPECT_EQ(form->Victim, nullptr);
    EXPECT_FALSE(Table->ControlsDisabled());
    // Unfinished: no file is made of the header and first row written so far.
    EXPECT_FALSE(FileExists(Dir + "/gone.txt"));
    delete form;
}

}  // namespace

// ---- Well-formed HTML and memory of large exports ------------------------------------------

// Checks markup for well-formedness: tags balanced and properly nested
// (void elements aside), attributes as name, name=value or name="value",
// and text and values free of raw "<", ">", "&" that starts no entity and,
// in quoted values, of '"'. Returns the first problem, empty when none.
std::string MarkupProblem(const std::string& Doc) {
    static const std::set<std::string> kVoid = {"BR", "INPUT", "META", "HR", "IMG", "COL"};
    std::vector<std::string> open;
    auto entityAt = [&](size_t At) {
        const size_t semi = Doc.find(';', At);
        if (semi == std::string::npos || semi - At > 10) return false;
        const std::string name = Doc.substr(At + 1, semi - At - 1);
        if (name.size() > 1 && name[0] == '#')
            return std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; });
        return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "nbsp";
    };
    auto upper = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    size_t i = 0;
    while (i < Doc.size()) {
        const char ch = Doc[i];
        if (ch == '>') return "raw > at " + std::to_string(i);
        if (ch == '&') {
            if (!entityAt(i)) return "raw & at " + std::to_string(i);
            ++i;
            continue;
        }
        if (ch != '<') {
            ++i;
            continue;
        }
        if (Doc.compare(i, 4, "<!--") == 0) {
            const size_t end = Doc.find("-->", i + 4);
            if (end == std::string::npos) return "open comment";
            i = end + 3;
            continue;
        }
        const bool closing = i + 1 < Doc.size() && Doc[i + 1] == '/';
        size_t p = i + (closing ? 2 : 1);
        const size_t nameStart = p;
        while (p < Doc.size() && std::isalnum(static_cast<unsigned char>(Doc[p]))) ++p;
        const std::string name = upper(Doc.substr(nameStart, p - nameStart));
        if (name.empty()) return "raw < at " + std::to_string(i);
        // Attributes.
        for (;;) {
            while (p < Doc.size() && std::isspace(static_cast<unsigned char>(Doc[p]))) ++p;
            if (p >= Doc.size()) return "unterminated tag " + name;
            if (Doc[p] == '>') break;
            if (closing) return "attributes on </" + name + ">";
            const size_t a = p;
            while (p < Doc.size() && (std::isalnum(static_cast<unsigned char>(Doc[p])) || Doc[p] == '-')) ++p;
            if (p == a) return "bad attribute in " + name + " at " + std::to_string(p);
            if (p < Doc.size() && Doc[p] == '=') {
                ++p;
                if (p < Doc.size() && Doc[p] == '"') {
                    const size_t end = Doc.find('"', p + 1);
                    if (end == std::string::npos) return "open quote in " + name;
                    for (size_t k = p + 1; k < end; ++k) {
                        if (Doc[k] == '<' || Doc[k] == '>') return "raw </> in a value of " + name;
                        if (Doc[k] == '&' && !entityAt(k)) return "raw & in a value of " + name;
                    }
                    p = end + 1;
                } else {
                    const size_t v = p;
                    while (p < Doc.size() && !std::isspace(static_cast<unsigned char>(Doc[p])) &&
                           Doc[p] != '>') {
                        if (std::string("\"'<=`&").find(Doc[p]) != std::string::npos)
                            return "bad unquoted value in " + name;
                        ++p;
                    }
                    if (p == v) return "empty value in " + name;
                }
            }
        }
        if (closing) {
            if (open.empty() || open.back() != name)
                return "</" + name + "> closes " + (open.empty() ? std::string("nothing") : open.back());
            open.pop_back();
        } else if (!kVoid.count(name)) {
            open.push_back(name);
        }
        i = p + 1;
    }
    if (!open.empty()) return "unclosed " + open.back();
    return {};
}

TEST(QzExportWriters, TheMarkupCheckerFindsFaults) {
    EXPECT_EQ(MarkupProblem("<HTML><BODY A=1 B=\"x\">a &amp; b<BR></BODY></HTML>"), "");
    EXPECT_NE(MarkupProblem("<TD>a & b</TD>"), "");
    EXPECT_NE(MarkupProblem("<TD>a<b</TD>"), "");
    EXPECT_NE(MarkupProblem("<TD>a>b</TD>"), "");
    EXPECT_NE(MarkupProblem("<TR><TD></TR></TD>"), "");
    EXPECT_NE(MarkupProblem("<TD X=\"a\"b\">"), "");
    EXPECT_NE(MarkupProblem("<TABLE><TBODY></TABLE>"), "");
}

// Selected rows go out in the order the grid shows them, whatever order
// they were picked in and however the records were added.
TEST_F(QzExportRun, SelectedRowsGoOutInTheOrderShown) {
    Table->AppendRecord({Variant("A0"), Variant(0)});
    Table->SetIndexFieldNames("Name");
    Table->First();
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    Grid->SetFocus();
    ProcessEvents();
    // Shown: A0 N1 N2 N3 N4 N5; picked: N5, A0, N2.
    for (int row : {6, 1, 3}) {
        const TRect r = Grid->CellRect(1, row);
        SendClick(Grid, r.Left + 3, r.Top + 3, mbLeft, {ssCtrl});
        ProcessEvents();
    }
    ASSERT_EQ(Grid->Selection()->Count(), 3);
    TqzExportOptions* e = Grid->ExportOptions();
    e->SetOptions(e->Options() + esoSaveSelectedOnly);
    e->SetFileName(Dir + "/shown.txt");
    e->Save();
    EXPECT_EQ(Read(Dir + "/shown.txt"),
              "\"Name\",\"Qty\"\r\n\"A0\",\"0\"\r\n\"N2\",\"2\"\r\n\"N5\",\"5\"\r\n");
    // Nothing selected: the HTML table says so.
    Grid->UnselectAll();
    e->SetExportType(qzgetHTML);
    e->SetFileName(Dir + "/none.html");
    e->Save();
    EXPECT_EQ(MarkupProblem(Read(Dir + "/none.html")), "");
    EXPECT_EQ(Read(Dir + "/none.html").find(">A0<"), std::string::npos);
}

TEST_F(QzExportRun, HtmlWithGroupsFootersAndMarkupInTheDataIsWellFormed) {
    Table->AppendRecord({Variant("<b>&\"x\""), Variant(6)});
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t10\tFull~<Name> & \"Co\"\tF\tG&<1>\nQty\t4\tQ>\"ty\tF\tG&<1>\n");
    Grid->SetOptions(Grid->Options() + dgShowFooter);
    Grid->Columns(0)->SetFooterValue("<sum> & \"all\"");
    ProcessEvents();
    TqzExportOptions* e = Grid->ExportOptions();
    e->SetExportType(qzgetHTML);
    e->SetTitleName("Tasks & <more> \"q\"");
    e->SetOptions(TqzExportSaveOptions{esoShowHeader, esoShowFooter, esoShowTitle, esoShowRecordNo,
                                       esoShowAlternating});
    const std::string file = Dir + "/a&b<c>.html";
    e->SetFileName(file);
    e->Save();
    const std::string html = Read(file);
    EXPECT_EQ(MarkupProblem(html), "") << html;
    // The data arrive escaped, the groups and the footer are there.
    EXPECT_NE(html.find("&lt;b&gt;&amp;&quot;x&quot;"), std::string::npos);
    EXPECT_NE(html.find("ColSpan=\"2\""), std::string::npos);
    EXPECT_NE(html.find("&lt;sum&gt; &amp; &quot;all&quot;"), std::string::npos);
    EXPECT_NE(html.find("Tasks &amp; &lt;more&gt; &quot;q&quot;"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);

    // The clipboard's document is the same markup, whole.
    TTestClipboard clip;
    e->SetOptions(e->Options() + esoClipboard);
    e->Save();
    const std::string wrapped = Clipboard()->GetFormatData(RegisterClipboardFormat("HTML Format"));
    EXPECT_EQ(MarkupProblem(ClipboardHTMLDocument(wrapped)), "");
}

// A browser reads a saved page without a declared character set in a legacy
// encoding (the declaration counts within the first 1024 bytes): the export
// says it is UTF-8 before any letter beyond ASCII.
TEST_F(QzExportRun, HtmlDeclaresItsCharacterSet) {
    Table->First();
    Table->Edit();
    Table->FieldByName("Name")->SetAsString("Zoë «ß");
    Table->Post();
    TqzExportOptions* e = Grid->ExportOptions();
    e->SetExportType(qzgetHTML);
    e->SetTitleName("Äpfel");
    const std::string file = Dir + "/charset.html";
    e->SetFileName(file);
    e->Save();
    const std::string html = Read(file);
    EXPECT_EQ(MarkupProblem(html), "");
    const size_t declared =
        html.find("<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
    ASSERT_NE(declared, std::string::npos) << html.substr(0, 300);
    EXPECT_LT(declared, 1024u);
    const auto firstWide =
        std::find_if(html.begin(), html.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    EXPECT_LT(declared, static_cast<size_t>(firstWide - html.begin()));
    EXPECT_NE(html.find(">Zoë «ß</TD>"), std::string::npos);
}

// Characters (code points) in a line.
size_t CharCount(const std::string& Line) {
    return static_cast<size_t>(std::count_if(
        Line.begin(), Line.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

TEST_F(QzExportRun, FixedWidthColumnsLineUpWithLettersBeyondAscii) {
    Table->First();
    Table->Edit();
    Table->FieldByName("Name")->SetAsString("Zoë «ß");
    Table->Post();
    Table->Next();
    Table->Edit();
    Table->FieldByName("Name")->SetAsString("日本語");
    Table->Post();
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t10\tNäme\nQty\t4\tQty\n");
    Grid->LayoutChanged();
    ProcessEvents();
    TqzExportOptions* e = Grid->ExportOptions();
    e->SetDelimiter("");
    e->SetOptions(e->Options() - esoDblQuoteFields);
    const std::string file = Dir + "/fixed.txt";
    e->SetFileName(file);
    e->Save();
    const std::string text = Read(file);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    ASSERT_EQ(lines.size(), 6u) << text;
    // The quantity is right-aligned in the last column: every line ends at the same character.
    for (const std::string& line : lines) EXPECT_EQ(CharCount(line), CharCount(lines[5])) << text;
    EXPECT_EQ(lines[1].rfind("Zoë «ß ", 0), 0u) << text;
    EXPECT_EQ(lines[2].rfind("日本語 ", 0), 0u) << text;
}

// Records the writes made to it, keeping only their count, sizes and the tail.
class TWriteRecorder : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* Buffer, int64_t Count) override {
        ++Writes;
        Total += Count;
        Largest = std::max(Largest, Count);
        Tail.append(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
        if (Tail.size() > 256) Tail.erase(0, Tail.size() - 256);
        return Count;
    }
    int64_t Seek(int64_t, int) override { return Total; }
    int64_t Writes = 0, Total = 0, Largest = 0;
    std::string Tail;
};

// Each write stays row-sized whatever the row count, so a million rows are never held either.
TEST(QzExportLarge, ManyRowsGoOutOneRowAtATime) {
    constexpr int kRows = 100000;
    TForm* form = CreateForm<TForm>(Application);
    auto* table = new TOstraTable(form);
    table->FieldDefs()->Add("Name", ftString, 10);
    table->FieldDefs()->Add("Qty", ftInteger);
    table->Open();
    for (int i = 0; i < kRows; ++i) table->AppendRecord({Variant("Row"), Variant(i)});
    auto* source = new TDataSource(form);
    source->SetDataSet(table);
    auto* grid = new TqzDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 150);
    grid->SetDataSource(source);
    form->Show();
    ProcessEvents();
    for (TqzGridExportType type : {qzgetTxt, qzgetHTML}) {
        SCOPED_TRACE(static_cast<int>(type));
        grid->ExportOptions()->SetExportType(type);
        TWriteRecorder out;
        grid->ExportOptions()->SaveToStream(&out);
        // Every row was written, each by itself: nothing held them all.
        EXPECT_GT(out.Writes, kRows);
        EXPECT_GT(out.Total, int64_t{kRows} * 10);
        EXPECT_LT(out.Largest, 2048);
        EXPECT_NE(out.Tail.find(std::to_string(kRows - 1)), std::string::npos);
    }
    EXPECT_THROW(grid->ExportOptions()->SaveToStream(nullptr), EInvalidOperation);
    delete form;
    ProcessEvents();
}
