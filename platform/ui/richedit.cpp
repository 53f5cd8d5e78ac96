// The rich-edit control over the toolkit's text document. The document model
// (platform/core/rtf.h) is what goes in and out; formats keep their exact
// twips as user properties beside the toolkit's pixel values.
#include "platform/ui/richedit.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/core/streams.h"
#include "platform/core/text.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/graphics.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/stdctrls_qt.h"

namespace {

// Format properties of our own.
enum : int {
    kTwFirst = QTextFormat::UserProperty + 310,
    kTwLeft,
    kTwRight,
    kTwBefore,
    kTwAfter,
    kLineSpacing,
    kLineMultiple,
    kBullet,
    kTabs,
    kCharset,
    kPitch,
    kOffset,
    kRaw,
    kLinkStyled,
    kOrigUnderline,
    kOrigColor,
};

constexpr QChar kObjectChar(0xFFFC);

qreal Px(int twips, int dpi) { return twips * static_cast<qreal>(dpi) / 1440.0; }
int Tw(qreal px, int dpi) { return static_cast<int>(std::lround(px * 1440.0 / dpi)); }

// The twips kept in a property when they still match the toolkit's value.
int TwipsOf(const QTextFormat& f, int prop, qreal px, int dpi) {
    if (f.hasProperty(prop)) {
        const int tw = f.intProperty(prop);
        if (std::abs(Px(tw, dpi) - px) < 0.51) return tw;
    }
    return Tw(px, dpi);
}

QColor QColorOf(int c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
int ColorOf(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

QTextBlockFormat BlockFormatOf(const TRtfParaFormat& p, int dpi) {
    QTextBlockFormat b;
    switch (p.Alignment) {
    case TRtfAlign::Left: b.setAlignment(Qt::AlignLeft); break;
    case TRtfAlign::Right: b.setAlignment(Qt::AlignRight); break;
    case TRtfAlign::Center: b.setAlignment(Qt::AlignHCenter); break;
    case TRtfAlign::Justify: b.setAlignment(Qt::AlignJustify); break;
    }
    b.setLeftMargin(Px(p.LeftIndent, dpi));
    b.setTextIndent(Px(p.FirstIndent, dpi));
    b.setRightMargin(Px(p.RightIndent, dpi));
    b.setTopMargin(Px(p.SpaceBefore, dpi));
    b.setBottomMargin(Px(p.SpaceAfter, dpi));
    b.setProperty(kTwFirst, p.FirstIndent);
    b.setProperty(kTwLeft, p.LeftIndent);
    b.setProperty(kTwRight, p.RightIndent);
    b.setProperty(kTwBefore, p.SpaceBefore);
    b.setProperty(kTwAfter, p.SpaceAfter);
    b.setProperty(kLineSpacing, p.LineSpacing);
    b.setProperty(kLineMultiple, p.LineSpacingMultiple);
    b.setProperty(kBullet, p.Bullet);
    if (p.LineSpacingMultiple && p.LineSpacing > 0)
        b.setLineHeight(p.LineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (p.LineSpacing > 0 && !p.LineSpacingMultiple)
        b.setLineHeight(Px(p.LineSpacing, dpi), QTextBlockFormat::MinimumHeight);
    else if (p.LineSpacing < 0)
        b.setLineHeight(Px(-p.LineSpacing, dpi), QTextBlockFormat::FixedHeight);
    QList<QTextOption::Tab> tabs;
    QString tabText;
    for (const TRtfTab& t : p.Tabs) {
        QTextOption::Tab tab;
        tab.position = Px(t.Position, dpi);
        tab.type = t.Alignment == TRtfTabAlign::Center    ? QTextOption::CenterTab
                   : t.Alignment == TRtfTabAlign::Right   ? QTextOption::RightTab
                   : t.Alignment == TRtfTabAlign::Decimal ? QTextOption::DelimiterTab
                                                          : QTextOption::LeftTab;
        if (t.Alignment == TRtfTabAlign::Decimal) tab.delimiter = QChar('.');
        tabs.append(tab);
        tabText += QString::number(t.Position) + ':' + QString::number(static_cast<int>(t.Alignment)) + ';';
    }
    b.setTabPositions(tabs);
    b.setProperty(kTabs, tabText);
    return b;
}

TRtfParaFormat ParaOf(const QTextBlock& block, int dpi) {
    const QTextBlockFormat b = block.blockFormat();
    TRtfParaFormat p;
    const Qt::Alignment a = b.alignment() & Qt::AlignHorizontal_Mask;
    p.Alignment = (a & Qt::AlignJustify)   ? TRtfAlign::Justify
                  : (a & Qt::AlignHCenter) ? TRtfAlign::Center
                  : (a & Qt::AlignRight)   ? TRtfAlign::Right
                                           : TRtfAlign::Left;
    p.FirstIndent = TwipsOf(b, kTwFirst, b.textIndent(), dpi);
    p.LeftIndent = TwipsOf(b, kTwLeft, b.leftMargin(), dpi);
    p.RightIndent = TwipsOf(b, kTwRight, b.rightMargin(), dpi);
    p.SpaceBefore = TwipsOf(b, kTwBefore, b.topMargin(), dpi);
    p.SpaceAfter = TwipsOf(b, kTwAfter, b.bottomMargin(), dpi);
    switch (b.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        p.LineSpacingMultiple = true;
        p.LineSpacing = b.hasProperty(kLineSpacing) && b.boolProperty(kLineMultiple)
                            ? b.intProperty(kLineSpacing)
                            : static_cast<int>(std::lround(b.lineHeight() * 240.0 / 100.0));
        break;
    case QTextBlockFormat::MinimumHeight:
        p.LineSpacing = TwipsOf(b, kLineSpacing, b.lineHeight(), dpi);
        break;
    case QTextBlockFormat::FixedHeight:
        p.LineSpacing = -Tw(b.lineHeight(), dpi);
        if (b.hasProperty(kLineSpacing) &&
            std::abs(Px(-b.intProperty(kLineSpacing), dpi) - b.lineHeight()) < 0.51)
            p.LineSpacing = b.intProperty(kLineSpacing);
        break;
    default:
        if (b.boolProperty(kLineMultiple) && b.intProperty(kLineSpacing) == 0) p.LineSpacingMultiple = true;
        break;
    }
    const QList<QTextOption::Tab> tabs = b.tabPositions();
    const QStringList kept = b.stringProperty(kTabs).split(';', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        TRtfTab t;
        t.Position = Tw(tabs[i].position, dpi);
        t.Alignment = tabs[i].type == QTextOption::CenterTab      ? TRtfTabAlign::Center
                      : tabs[i].type == QTextOption::RightTab     ? TRtfTabAlign::Right
                      : tabs[i].type == QTextOption::DelimiterTab ? TRtfTabAlign::Decimal
                                                                  : TRtfTabAlign::Left;
        if (kept.size() == tabs.size()) {
            const int tw = kept[i].section(':', 0, 0).toInt();
            if (std::abs(Px(tw, dpi) - tabs[i].position) < 0.51) t.Position = tw;
        }
        p.Tabs.push_back(t);
    }
    const QTextList* list = block.textList();
    p.Bullet = list != nullptr;
    return p;
}

QTextCharFormat CharFormatOf(const TRtfCharFormat& f) {
    QTextCharFormat c;
    if (!f.FontName.empty()) c.setFontFamilies({ToQString(f.FontName)});
    c.setFontPointSize(f.Size / 2.0);
    c.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
    c.setFontItalic(f.Italic);
    c.setFontUnderline(f.Underline);
    c.setFontStrikeOut(f.StrikeOut);
    if (f.Charset) c.setProperty(kCharset, f.Charset);
    if (f.Pitch) c.setProperty(kPitch, f.Pitch);
    if (f.Offset) c.setProperty(kOffset, f.Offset);
    c.setVerticalAlignment(f.Offset > 0   ? QTextCharFormat::AlignSuperScript
                           : f.Offset < 0 ? QTextCharFormat::AlignSubScript
                                          : QTextCharFormat::AlignNormal);
    if (f.Color != kRtfNoColor) c.setForeground(QColorOf(f.Color));
    if (f.BackColor != kRtfNoColor) c.setBackground(QColorOf(f.BackColor));
    if (!f.Link.empty()) {
        // links show underlined in blue; what they had is kept
        c.setAnchor(true);
        c.setAnchorHref(ToQString(f.Link));
        c.setProperty(kLinkStyled, true);
        c.setProperty(kOrigUnderline, f.Underline);
        c.setProperty(kOrigColor, f.Color);
        c.setFontUnderline(true);
        c.setForeground(QColor(0, 0, 255));
    }
    return c;
}

TRtfCharFormat CharOf(const QTextCharFormat& c, int defaultHalfPoints) {
    TRtfCharFormat f;
    if (c.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList families = c.fontFamilies().toStringList();
        if (!families.isEmpty()) f.FontName = FromQString(families.first());
    }
    f.Size = c.hasProperty(QTextFormat::FontPointSize) ? static_cast<int>(std::lround(c.fontPointSize() * 2))
                                                       : defaultHalfPoints;
    f.Bold = c.fontWeight() >= QFont::DemiBold;
    f.Italic = c.fontItalic();
    f.Underline = c.fontUnderline();
    f.StrikeOut = c.fontStrikeOut();
    f.Charset = c.intProperty(kCharset);
    f.Pitch = c.intProperty(kPitch);
    f.Offset = c.intProperty(kOffset);
    if (!f.Offset && c.verticalAlignment() == QTextCharFormat::AlignSuperScript) f.Offset = 6;
    if (!f.Offset && c.verticalAlignment() == QTextCharFormat::AlignSubScript) f.Offset = -6;
    if (c.hasProperty(QTextFormat::ForegroundBrush) && c.foreground().style() != Qt::NoBrush)
        f.Color = ColorOf(c.foreground().color());
    if (c.hasProperty(QTextFormat::BackgroundBrush) && c.background().style() != Qt::NoBrush)
        f.BackColor = ColorOf(c.background().color());
    if (c.isAnchor() && !c.anchorHref().isEmpty()) f.Link = FromQString(c.anchorHref());
    if (c.boolProperty(kLinkStyled)) {
        f.Underline = c.boolProperty(kOrigUnderline);
        f.Color = c.hasProperty(kOrigColor) ? c.intProperty(kOrigColor) : kRtfNoColor;
        if (f.Link.empty()) {
            // the link was taken off: back to what it had
        }
    }
    return f;
}

// A picture for a raw group: its own PNG or JPEG picture, else a labelled box.
QImage ImageOfRaw(const std::string& raw, int dpi, qreal& w, qreal& h) {
    const TRtfPicture pic = RtfPictureOf(raw);
    QImage img;
    if (!pic.Kind.empty())
        img.loadFromData(reinterpret_cast<const uchar*>(pic.Bytes.data()), static_cast<int>(pic.Bytes.size()),
                         pic.Kind == "png" ? "PNG" : "JPEG");
    w = pic.WidthTwips > 0 ? Px(pic.WidthTwips, dpi) : (img.isNull() ? 96 : img.width());
    h = pic.HeightTwips > 0 ? Px(pic.HeightTwips, dpi) : (img.isNull() ? 32 : img.height());
    w = std::clamp<qreal>(w, 4, 4000);
    h = std::clamp<qreal>(h, 4, 4000);
    if (img.isNull()) {
        img = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
        img.fill(QColor(240, 240, 240));
        QPainter p(&img);
        p.setPen(Qt::darkGray);
        p.drawRect(0, 0, img.width() - 1, img.height() - 1);
        p.drawText(img.rect(), Qt::AlignCenter,
                   pic.IsObject ? QStringLiteral("Object") : QStringLiteral("Picture"));
    }
    return img;
}

QString QtText(const std::string& s) {
    QString q = ToQString(s);
    q.replace(QChar('\n'), QChar::LineSeparator);
    q.remove(QChar('\r'));
    return q;
}

// The toolkit formats of one document's format table, each converted once
// when a run first uses it; runs of one format share one object.
class TCharFormatCache {
public:
    explicit TCharFormatCache(const TRtfDocument& d) : FDoc(d), FFormats(d.Formats.size()) {}

    const QTextCharFormat& Of(const TRtfRun& r) {
        if (r.Format >= FFormats.size()) {
            FOther = CharFormatOf(FDoc.FormatOf(r));
            return FOther;
        }
        auto& f = FFormats[r.Format];
        if (!f) f = CharFormatOf(FDoc.Formats[r.Format]);
        return *f;
    }

private:
    const TRtfDocument& FDoc;
    std::vector<std::optional<QTextCharFormat>> FFormats;
    QTextCharFormat FOther;
};

// Inserts one paragraph at the cursor: the first (index 0) joins the cursor's
// block, every later one starts a block of its own.
void InsertParagraph(QTextCursor& cur, const TRtfParagraph& p, std::size_t index, bool setFirstFormat,
                     int dpi, TCharFormatCache& formats) {
    static int imageNumber = 0;
    QTextDocument* doc = cur.document();
    const QTextCharFormat first = p.Runs.empty() ? cur.charFormat() : formats.Of(p.Runs.front());
    if (index > 0)
        cur.insertBlock(BlockFormatOf(p.Format, dpi), first);
    else if (setFirstFormat)
        cur.setBlockFormat(BlockFormatOf(p.Format, dpi));
    if (p.Format.Bullet && (index > 0 || setFirstFormat)) {
        const QTextBlock prev = cur.block().previous();
        if (prev.isValid() && prev.textList())
            prev.textList()->add(cur.block());
        else {
            QTextListFormat lf;
            lf.setStyle(QTextListFormat::ListDisc);
            lf.setIndent(0);
            cur.createList(lf);
        }
    }
    for (const TRtfRun& r : p.Runs) {
        if (r.IsRaw()) {
            qreal w = 0, h = 0;
            const QImage img = ImageOfRaw(r.Raw, dpi, w, h);
            const QString name = QStringLiteral("rtfobject:%1").arg(++imageNumber);
            doc->addResource(QTextDocument::ImageResource, QUrl(name), img);
            QTextImageFormat f;
            f.merge(formats.Of(r));
            f.setName(name);
            f.setWidth(w);
            f.setHeight(h);
            f.setProperty(kRaw, QByteArray(r.Raw.data(), static_cast<qsizetype>(r.Raw.size())));
            cur.insertImage(f);
        } else {
            cur.insertText(QtText(r.Text), formats.Of(r));
        }
    }
}

// Inserts the document at the cursor; the first paragraph joins the cursor's block.
void InsertDocument(QTextCursor& cur, const TRtfDocument& d, bool setFirstFormat, int dpi) {
    TCharFormatCache formats(d);
    for (std::size_t i = 0; i < d.Paragraphs.size(); ++i)
        InsertParagraph(cur, d.Paragraphs[i], i, setFirstFormat, dpi, formats);
}

// Loads a whole document at the cursor of an empty document: one change
// (laid out once, not once per run, which for a long paragraph of many
// formats grows with the square of the runs) and no step to undo.
void LoadDocument(QTextCursor& cur, const TRtfDocument& d, int dpi) {
    QTextDocument* doc = cur.document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    cur.beginEditBlock();
    InsertDocument(cur, d, true, dpi);
    cur.endEditBlock();
    doc->setUndoRedoEnabled(undo);
}

// The edit's selection replaced by the document, as one undo step.
void ReplaceSelection(QTextEdit* Edit, const TRtfDocument& d, int dpi) {
    QTextCursor c = Edit->textCursor();
    c.beginEditBlock();
    c.removeSelectedText();
    InsertDocument(c, d, false, dpi);
    c.endEditBlock();
    Edit->setTextCursor(c);
}

// The model of the document's characters [from, to).
TRtfDocument DocumentOf(QTextDocument* doc, int from, int to, int dpi, int defaultHalfPoints) {
    TRtfDocument d;
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        TRtfParagraph p;
        p.Format = ParaOf(b, dpi);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            const int start = std::max(frag.position(), from);
            const int end = std::min(frag.position() + frag.length(), to);
            if (start >= end) continue;
            const QTextCharFormat cf = frag.charFormat();
            const QString text = frag.text().mid(start - frag.position(), end - start);
            if (cf.isImageFormat() && cf.hasProperty(kRaw)) {
                const QByteArray raw = cf.property(kRaw).toByteArray();
                for (QChar ch : text)
                    if (ch == kObjectChar) {
                        TRtfRun r;
                        r.Raw = std::string(raw.constData(), static_cast<std::size_t>(raw.size()));
                        r.Format = d.FormatIndex(CharOf(cf, defaultHalfPoints));
                        p.Runs.push_back(std::move(r));
                    }
                continue;
            }
            QString t = text;
            t.replace(QChar::LineSeparator, QChar('\n'));
            t.remove(kObjectChar);
            if (t.isEmpty()) continue;
            p.Runs.push_back(d.Run(FromQString(t), CharOf(cf, defaultHalfPoints)));
        }
        d.Paragraphs.push_back(std::move(p));
    }
    d.Normalize();
    return d;
}

// Cuts the document to the bytes its text takes in the control.
void CutDocument(TRtfDocument& d, std::size_t room) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < d.Paragraphs.size(); ++i) {
        if (i > 0) {
            if (used + 1 > room) {
                d.Paragraphs.resize(i);
                return;
            }
            ++used;
        }
        auto& runs = d.Paragraphs[i].Runs;
        for (std::size_t k = 0; k < runs.size(); ++k) {
            const std::size_t size = runs[k].IsRaw() ? 3 : runs[k].Text.size();
            if (used + size <= room) {
                used += size;
                continue;
            }
            if (!runs[k].IsRaw()) {
                runs[k].Text = Utf8Truncate(runs[k].Text, room - used);
                ++k;
            }
            runs.resize(k);
            d.Paragraphs.resize(i + 1);
            d.Normalize();
            return;
        }
    }
}

const QRegularExpression& WebAddressPattern() {
    static const QRegularExpression re(
        QStringLiteral(R"((?:https?://|ftp://|mailto:|file:|www\.)[^\s<>"\x{2028}\x{FFFC}]+)"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

}  // namespace

unsigned CF_RTF() {
    static const unsigned format = RegisterClipboardFormat("Rich Text Format");
    return format;
}

// ---- The adapter ----------------------------------------------------------------------

class TRichEditAdapter : public TEditAdapter {
public:
    TRichEditAdapter(TCustomRichEdit* Edit, const TCreateParams& Params) : TEditAdapter(Edit), FRich(Edit) {
        FWidget = new TQtScrollHost<QTextEdit>(Edit, ParentWidgetFor(Params));
        FWidget->setContextMenuPolicy(Qt::NoContextMenu);
        FWidget->setTabChangesFocus(false);
        FWidget->setAcceptRichText(false);
        FWidget->setAcceptDrops(false);
        ApplyFrame(FWidget, Params);
        FWidget->document()->setDocumentMargin(1);
        QObject::connect(FWidget, &QTextEdit::textChanged, [this] {
            if (Silent) return;
            if (FRich->AutoURLDetect()) MarkWebAddresses();
            NotifyChanged();
        });
        QObject::connect(FWidget->document(), &QTextDocument::contentsChange, [this] { ++Changes; });
        QObject::connect(FWidget, &QTextEdit::selectionChanged, [this] { SelectionMoved(); });
        QObject::connect(FWidget, &QTextEdit::cursorPositionChanged, [this] { SelectionMoved(); });
        ApplyWrap();
    }

    QTextEdit* Edit() const { return FWidget; }
    QTextDocument* Doc() const { return FWidget->document(); }
    QWidget* Widget() const override { return FWidget; }
    QString Text() const override {
        QString t = Doc()->toRawText();
        t.replace(QChar::ParagraphSeparator, QChar('\n'));
        t.replace(QChar::LineSeparator, QChar('\n'));
        return t;
    }
    void SetText(const QString& Value) override {
        Silent = true;
        FWidget->clear();
        QTextCursor c(Doc());
        c.insertText(Value, DefaultCharFormat());
        Doc()->clearUndoRedoStacks();
        Doc()->setModified(false);
        Silent = false;
        if (FRich->AutoURLDetect()) MarkWebAddresses();
    }
    int SelStart() const override { return FWidget->textCursor().selectionStart(); }
    int SelLength() const override {
        const QTextCursor c = FWidget->textCursor();
        return c.selectionEnd() - c.selectionStart();
    }
    void SetSelection(int Start, int Length) override {
        QTextCursor c = FWidget->textCursor();
        const int last = std::max(0, Doc()->characterCount() - 1);
        c.setPosition(std::clamp(Start, 0, last));
        if (Length > 0) c.setPosition(std::clamp(Start + Length, 0, last), QTextCursor::KeepAnchor);
        FWidget->setTextCursor(c);
    }
    void ReplaceSelection(const QString& Value) override {
        QString v = Value;
        v.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        v.replace(QChar('\r'), QChar('\n'));
        // An edit block of its own: one undo step, never merged with typing
        // or another paste next to it.
        QTextCursor c = FWidget->textCursor();
        c.beginEditBlock();
        c.insertText(v);
        c.endEditBlock();
        FWidget->setTextCursor(c);
    }
    bool Modified() const override { return Doc()->isModified(); }
    void SetModified(bool Value) override { Doc()->setModified(Value); }
    void SetReadOnly(bool Value) override {
        FWidget->setReadOnly(Value);
        if (Value) FWidget->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    void SetLimits(int, TEditCharCase) override {}
    void SetPasswordChar(char32_t) override {}
    void SetFrame(bool) override {}
    void SetAlignment(TAlignment) override {}
    bool CanUndo() const override { return Doc()->isUndoAvailable(); }
    void Undo() override { FWidget->undo(); }
    void ClearUndo() override { Doc()->clearUndoRedoStacks(); }

    void ApplyWrap() {
        FWidget->setLineWrapMode(FRich->WordWrap() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
        const TScrollStyle s = FRich->ScrollBars();
        FWidget->setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                           : Qt::ScrollBarAlwaysOff);
        FWidget->setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                               : Qt::ScrollBarAlwaysOff);
    }

    int DefaultHalfPoints() const {
        const QFont f = FWidget->font();
        return f.pointSizeF() > 0 ? static_cast<int>(std::lround(f.pointSizeF() * 2)) : 20;
    }
    QTextCharFormat DefaultCharFormat() const {
        QTextCharFormat c;
        c.setFontPointSize(DefaultHalfPoints() / 2.0);
        return c;
    }

    // Marks web addresses in the text (shown only: the document keeps no link).
    void MarkWebAddresses() {
        QList<QTextEdit::ExtraSelection> marks;
        if (FRich->AutoURLDetect()) {
            for (QTextBlock b = Doc()->begin(); b.isValid(); b = b.next()) {
                auto it = WebAddressPattern().globalMatch(b.text());
                while (it.hasNext()) {
                    const auto m = it.next();
                    QTextEdit::ExtraSelection s;
                    s.cursor = QTextCursor(Doc());
                    s.cursor.setPosition(b.position() + static_cast<int>(m.capturedStart()));
                    s.cursor.setPosition(b.position() + static_cast<int>(m.capturedEnd()),
                                         QTextCursor::KeepAnchor);
                    s.format.setFontUnderline(true);
                    s.format.setForeground(QColor(0, 0, 255));
                    marks.append(s);
                }
            }
        }
        FWidget->setExtraSelections(marks);
    }

    bool Silent = false;
    // Where the last typed character ended (-1: no typing run).
    int TypingEnd = -1;
    int Changes = 0;

private:
    void SelectionMoved() {
        if (Silent) return;
        GuardedCall(FRich, [this] { FRich->SelectionChange(); });
    }

    TCustomRichEdit* FRich;
    QTextEdit* FWidget;
};

// ---- The control --------------------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {}

TCustomRichEdit::~TCustomRichEdit() {
    Destroying();
    DestroyHandle();
}

std::unique_ptr<TEditAdapter> TCustomRichEdit::CreateAdapter(const TCreateParams& Params) {
    return std::make_unique<TRichEditAdapter>(this, Params);
}

void TCustomRichEdit::CreateWindowHandle(const TCreateParams& Params) {
    TCustomMemo::CreateWindowHandle(Params);
    if (auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get())) {
        FPixelsPerInch = a->Edit()->logicalDpiY() > 0 ? a->Edit()->logicalDpiY() : 96;
        if (FSaved) {
            const bool modified = a->Modified();
            a->Silent = true;
            QTextCursor c(a->Doc());
            a->Edit()->clear();
            InsertDocument(c, *FSaved, true, FPixelsPerInch);
            a->Doc()->clearUndoRedoStacks();
            a->Doc()->setModified(modified);
            a->Silent = false;
            FSaved.reset();
        }
    }
}

void TCustomRichEdit::DestroyWnd() {
    if (FAdapter && !ComponentState().Contains(csDestroying))
        FSaved = std::make_unique<TRtfDocument>(Document());
    TCustomMemo::DestroyWnd();
}

int TCustomRichEdit::DocumentChanges() {
    if (auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get())) return a->Changes;
    return 0;
}

TRichEditAdapter* TCustomRichEdit::Rich() {
    HandleNeeded();
    return static_cast<TRichEditAdapter*>(FAdapter.get());
}

TRtfDocument TCustomRichEdit::Document() {
    TRichEditAdapter* a = Rich();
    return DocumentOf(a->Doc(), 0, a->Doc()->characterCount() - 1, FPixelsPerInch, a->DefaultHalfPoints());
}

void TCustomRichEdit::SetDocument(const TRtfDocument& Document) {
    TRichEditAdapter* a = Rich();
    a->Silent = true;
    a->Edit()->clear();
    QTextCursor c(a->Doc());
    c.setCharFormat(a->DefaultCharFormat());
    LoadDocument(c, Document, FPixelsPerInch);
    a->Doc()->clearUndoRedoStacks();
    a->Doc()->setModified(false);
    a->Edit()->moveCursor(QTextCursor::Start);
    a->Silent = false;
    a->MarkWebAddresses();
    GuardedCall(this, [this] { Change(); });
}

namespace {

// The busy cursor while a long text loads (the window cannot answer meanwhile).
constexpr std::size_t kBusyLoadBytes = 256 * 1024;

class TBusyCursor {
public:
    explicit TBusyCursor(bool Busy) : FBusy(Busy && Screen), FSaved(FBusy ? Screen->Cursor() : crDefault) {
        if (FBusy) Screen->SetCursor(crHourGlass);
    }
    ~TBusyCursor() {
        if (FBusy && Screen) Screen->SetCursor(FSaved);
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    bool FBusy;
    TCursor FSaved;
};

}  // namespace

bool TCustomRichEdit::StreamIn(const std::string& Data, bool Rtf, bool Selection) {
    TRichEditAdapter* a = Rich();
    TBusyCursor busy(Data.size() >= kBusyLoadBytes);
    TRtfDocument d;
    const std::size_t limit = Selection || FLoadLimit == 0 ? SIZE_MAX : FLoadLimit;
    // a control word read at the end of cut data may read differently whole
    constexpr std::size_t kLookahead = 64;
    if (!Selection) FLoadStoppedEarly = false;
    if (Rtf) {
        if (!RtfLooksLikeRtf(Data)) return false;
        const TRtfReadResult res = RtfRead(Data, d, limit);
        if (!res.Ok) return false;
        if (!Selection) FLoadStoppedEarly = res.Stopped && res.Used + kLookahead <= Data.size();
    } else {
        TRtfCharFormat f;
        f.Size = a->DefaultHalfPoints();
        // (RTF that did not read is not cut here: its start may read whole)
        if (!Selection)
            FLoadStoppedEarly =
                limit != SIZE_MAX && limit + kLookahead <= Data.size() && !RtfLooksLikeRtf(Data);
        std::size_t cut = std::min(limit, Data.size());
        while (cut < Data.size() && cut > 0 && (static_cast<unsigned char>(Data[cut]) & 0xC0) == 0x80) --cut;
        d = TRtfDocument::FromPlainText(std::string_view(Data).substr(0, cut), f);
    }
    if (!Selection) {
        SetDocument(d);
        return true;
    }
    a->Silent = true;
    ReplaceSelection(a->Edit(), d, FPixelsPerInch);
    a->Silent = false;
    a->MarkWebAddresses();
    GuardedCall(this, [this] { Change(); });
    return true;
}

std::string TCustomRichEdit::StreamOut(bool Rtf, bool Selection) {
    TRichEditAdapter* a = Rich();
    int from = 0, to = a->Doc()->characterCount() - 1;
    if (Selection) {
        const QTextCursor c = a->Edit()->textCursor();
        from = c.selectionStart();
        to = c.selectionEnd();
    }
    const TRtfDocument d = DocumentOf(a->Doc(), from, to, FPixelsPerInch, a->DefaultHalfPoints());
    return Rtf ? RtfWrite(d) : d.PlainText();
}

bool TCustomRichEdit::LoadFromStream(TStream* Stream) {
    std::string data(static_cast<std::size_t>(std::max<int64_t>(0, Stream->Size() - Stream->Position())),
                     '\0');
    if (!data.empty()) Stream->ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    return StreamIn(data, !FPlainText, false);
}

void TCustomRichEdit::SaveToStream(TStream* Stream) {
    const std::string data = StreamOut(!FPlainText, false);
    if (!data.empty()) Stream->WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
}

// ---- Formats

namespace {

unsigned SameCharMask(const TRtfCharFormat& a, const TRtfCharFormat& b) {
    unsigned m = 0;
    if (a.FontName == b.FontName && a.Charset == b.Charset && a.Pitch == b.Pitch) m |= cfmFace;
    if (a.Size == b.Size) m |= cfmSize;
    if (a.Bold == b.Bold) m |= cfmBold;
    if (a.Italic == b.Italic) m |= cfmItalic;
    if (a.Underline == b.Underline) m |= cfmUnderline;
    if (a.StrikeOut == b.StrikeOut) m |= cfmStrikeOut;
    if (a.Offset == b.Offset) m |= cfmOffset;
    if (a.Color == b.Color) m |= cfmColor;
    if (a.BackColor == b.BackColor) m |= cfmBackColor;
    if (a.Link == b.Link) m |= cfmLink;
    return m;
}

void MergeChar(TRtfCharFormat& into, const TRtfCharFormat& f, unsigned mask) {
    if (mask & cfmFace) {
        into.FontName = f.FontName;
        into.Charset = f.Charset;
        into.Pitch = f.Pitch;
    }
    if (mask & cfmSize) into.Size = f.Size;
    if (mask & cfmBold) into.Bold = f.Bold;
    if (mask & cfmItalic) into.Italic = f.Italic;
    if (mask & cfmUnderline) into.Underline = f.Underline;
    if (mask & cfmStrikeOut) into.StrikeOut = f.StrikeOut;
    if (mask & cfmOffset) into.Offset = f.Offset;
    if (mask & cfmColor) into.Color = f.Color;
    if (mask & cfmBackColor) into.BackColor = f.BackColor;
    if (mask & cfmLink) into.Link = f.Link;
}

unsigned SameParaMask(const TRtfParaFormat& a, const TRtfParaFormat& b) {
    unsigned m = 0;
    if (a.Alignment == b.Alignment) m |= pfmAlignment;
    if (a.FirstIndent == b.FirstIndent) m |= pfmFirstIndent;
    if (a.LeftIndent == b.LeftIndent) m |= pfmLeftIndent;
    if (a.RightIndent == b.RightIndent) m |= pfmRightIndent;
    if (a.SpaceBefore == b.SpaceBefore) m |= pfmSpaceBefore;
    if (a.SpaceAfter == b.SpaceAfter) m |= pfmSpaceAfter;
    if (a.LineSpacing == b.LineSpacing && a.LineSpacingMultiple == b.LineSpacingMultiple) m |= pfmLineSpacing;
    if (a.Tabs == b.Tabs) m |= pfmTabs;
    if (a.Bullet == b.Bullet) m |= pfmBullet;
    return m;
}

void MergePara(TRtfParaFormat& into, const TRtfParaFormat& f, unsigned mask) {
    if (mask & pfmAlignment) into.Alignment = f.Alignment;
    if (mask & pfmFirstIndent) into.FirstIndent = f.FirstIndent;
    if (mask & pfmLeftIndent) into.LeftIndent = f.LeftIndent;
    if (mask & pfmRightIndent) into.RightIndent = f.RightIndent;
    if (mask & pfmSpaceBefore) into.SpaceBefore = f.SpaceBefore;
    if (mask & pfmSpaceAfter) into.SpaceAfter = f.SpaceAfter;
    if (mask & pfmLineSpacing) {
        into.LineSpacing = f.LineSpacing;
        into.LineSpacingMultiple = f.LineSpacingMultiple;
    }
    if (mask & pfmTabs) into.Tabs = f.Tabs;
    if (mask & pfmBullet) into.Bullet = f.Bullet;
}

// The fragments (start, end, format) of [from, to).
template <class F>
void ForEachFragment(QTextDocument* doc, int from, int to, F&& f) {
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int start = std::max(frag.position(), from);
            const int end = std::min(frag.position() + frag.length(), to);
            if (start < end) f(start, end, frag.charFormat());
        }
}

}  // namespace

TRtfCharFormat TCustomRichEdit::SelAttributes(unsigned* Mask) {
    TRichEditAdapter* a = Rich();
    const QTextCursor c = a->Edit()->textCursor();
    const int halfPoints = a->DefaultHalfPoints();
    if (!c.hasSelection()) {
        if (Mask) *Mask = cfmAll;
        return CharOf(a->Edit()->currentCharFormat(), halfPoints);
    }
    bool first = true;
    TRtfCharFormat result;
    unsigned mask = cfmAll;
    ForEachFragment(a->Doc(), c.selectionStart(), c.selectionEnd(), [&](int, int, const QTextCharFormat& cf) {
        const TRtfCharFormat f = CharOf(cf, halfPoints);
        if (first) {
            result = f;
            first = false;
        } else {
            mask &= SameCharMask(result, f);
        }
    });
    if (Mask) *Mask = mask;
    return result;
}

void TCustomRichEdit::SetSelAttributes(const TRtfCharFormat& Format, unsigned Mask) {
    TRichEditAdapter* a = Rich();
    QTextCursor c = a->Edit()->textCursor();
    const int halfPoints = a->DefaultHalfPoints();
    if (!c.hasSelection()) {
        TRtfCharFormat f = CharOf(a->Edit()->currentCharFormat(), halfPoints);
        MergeChar(f, Format, Mask);
        a->Edit()->setCurrentCharFormat(CharFormatOf(f));
        return;
    }
    struct TPiece {
        int Start, End;
        QTextCharFormat Format;
    };
    std::vector<TPiece> pieces;
    ForEachFragment(a->Doc(), c.selectionStart(), c.selectionEnd(),
                    [&](int s, int e, const QTextCharFormat& cf) {
                        pieces.push_back({s, e, cf});
                    });
    c.beginEditBlock();
    for (const TPiece& p : pieces) {
        TRtfCharFormat f = CharOf(p.Format, halfPoints);
        MergeChar(f, Format, Mask);
        QTextCharFormat q = CharFormatOf(f);
        if (p.Format.isImageFormat()) {
            QTextImageFormat img = p.Format.toImageFormat();
            img.merge(q);
            q = img;
        }
        QTextCursor r(a->Doc());
        r.setPosition(p.Start);
        r.setPosition(p.End, QTextCursor::KeepAnchor);
        r.setCharFormat(q);
    }
    c.endEditBlock();
}

TRtfParaFormat TCustomRichEdit::Paragraph(unsigned* Mask) {
    TRichEditAdapter* a = Rich();
    const QTextCursor c = a->Edit()->textCursor();
    TRtfParaFormat result;
    unsigned mask = pfmAll;
    bool first = true;
    const QTextBlock last = a->Doc()->findBlock(c.selectionEnd());
    for (QTextBlock b = a->Doc()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
        const TRtfParaFormat f = ParaOf(b, FPixelsPerInch);
        if (first) {
            result = f;
            first = false;
        } else {
            mask &= SameParaMask(result, f);
        }
        if (b == last) break;
    }
    if (Mask) *Mask = mask;
    return result;
}

void TCustomRichEdit::SetParagraph(const TRtfParaFormat& Format, unsigned Mask) {
    TRichEditAdapter* a = Rich();
    QTextCursor c = a->Edit()->textCursor();
    const QTextBlock last = a->Doc()->findBlock(c.selectionEnd());
    c.beginEditBlock();
    for (QTextBlock b = a->Doc()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
        TRtfParaFormat f = ParaOf(b, FPixelsPerInch);
        MergePara(f, Format, Mask);
        QTextCursor r(b);
        r.setBlockFormat(BlockFormatOf(f, FPixelsPerInch));
        QTextList* list = b.textList();
        if (f.Bullet && !list) {
            const QTextBlock prev = b.previous();
            if (prev.isValid() && prev.textList()) {
                prev.textList()->add(b);
            } else {
                QTextListFormat lf;
                lf.setStyle(QTextListFormat::ListDisc);
                lf.setIndent(0);
                r.createList(lf);
            }
        } else if (!f.Bullet && list) {
            list->remove(b);
            r.setBlockFormat(BlockFormatOf(f, FPixelsPerInch));
        }
        if (b == last) break;
    }
    c.endEditBlock();
}

// ---- Lines and queries

namespace {
int BytePos(TRichEditAdapter* a, int QtPos) { return ByteOfUtf16(a->Text(), QtPos); }
int QtPos(TRichEditAdapter* a, int BytePos) { return Utf16OfByte(a->Text(), BytePos); }
}  // namespace

int TCustomRichEdit::LineCount() { return Rich()->Doc()->blockCount(); }

std::string TCustomRichEdit::Line(int Index) {
    const QTextBlock b = Rich()->Doc()->findBlockByNumber(Index);
    if (!b.isValid()) return {};
    QString t = b.text();
    t.replace(QChar::LineSeparator, QChar('\n'));
    return FromQString(t);
}

int TCustomRichEdit::LineIndex(int Index) {
    TRichEditAdapter* a = Rich();
    const QTextBlock b = a->Doc()->findBlockByNumber(Index);
    if (Index < 0 || !b.isValid()) return -1;
    return BytePos(a, b.position());
}

int TCustomRichEdit::LineFromChar(int Pos) {
    TRichEditAdapter* a = Rich();
    const QTextBlock b = a->Doc()->findBlock(QtPos(a, std::max(0, Pos)));
    return b.isValid() ? b.blockNumber() : a->Doc()->blockCount() - 1;
}

unsigned TCustomRichEdit::SelectionType() {
    TRichEditAdapter* a = Rich();
    const QTextCursor c = a->Edit()->textCursor();
    if (!c.hasSelection()) return 0;
    int chars = 0, objects = 0;
    const QString t = a->Text().mid(c.selectionStart(), c.selectionEnd() - c.selectionStart());
    for (QChar ch : t) {
        if (ch == kObjectChar)
            ++objects;
        else
            ++chars;
    }
    unsigned r = 0;
    if (chars) r |= selText;
    if (chars > 1) r |= selMultiChar;
    if (objects) r |= selObject;
    if (objects > 1) r |= selMultiObject;
    return r;
}

namespace {
QPoint DocPoint(QTextEdit* e, const TPoint& P) {
    const QPoint vp = QPoint(P.X, P.Y) - e->viewport()->pos();
    return vp + QPoint(e->horizontalScrollBar()->value(), e->verticalScrollBar()->value());
}
}  // namespace

int TCustomRichEdit::CharFromPos(const TPoint& P) {
    TRichEditAdapter* a = Rich();
    const QPoint vp = QPoint(P.X, P.Y) - a->Edit()->viewport()->pos();
    return BytePos(a, a->Edit()->cursorForPosition(vp).position());
}

TPoint TCustomRichEdit::PosFromChar(int Pos) {
    TRichEditAdapter* a = Rich();
    QTextCursor c(a->Doc());
    c.setPosition(std::clamp(QtPos(a, Pos), 0, a->Doc()->characterCount() - 1));
    const QRect r = a->Edit()->cursorRect(c);
    const QPoint p = r.topLeft() + a->Edit()->viewport()->pos();
    return {p.x(), p.y()};
}

int TCustomRichEdit::FindText(const std::string& Text, int Start, int Length, unsigned Options) {
    TRichEditAdapter* a = Rich();
    const QString all = a->Text();
    const QString what = ToQString(Text);
    if (what.isEmpty()) return -1;
    const int from = std::clamp(QtPos(a, std::max(0, Start)), 0, static_cast<int>(all.size()));
    const int to = Length < 0 ? static_cast<int>(all.size())
                              : std::clamp(QtPos(a, Start + Length), from, static_cast<int>(all.size()));
    const Qt::CaseSensitivity cs = (Options & frMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    auto isWord = [](QChar ch) { return ch.isLetterOrNumber() || ch == '_'; };
    auto whole = [&](qsizetype at) {
        if (!(Options & frWholeWord)) return true;
        const qsizetype end = at + what.size();
        return (at == 0 || !isWord(all[at - 1])) && (end >= all.size() || !isWord(all[end]));
    };
    if (Options & frBackward) {
        for (qsizetype at = to - what.size(); at >= from; --at) {
            at = all.lastIndexOf(what, at, cs);
            if (at < from) break;
            if (whole(at)) return BytePos(a, static_cast<int>(at));
        }
        return -1;
    }
    for (qsizetype at = from; at + what.size() <= to; ++at) {
        at = all.indexOf(what, at, cs);
        if (at < 0 || at + what.size() > to) break;
        if (whole(at)) return BytePos(a, static_cast<int>(at));
    }
    return -1;
}

bool TCustomRichEdit::CanRedo() { return Rich()->Doc()->isRedoAvailable(); }
void TCustomRichEdit::Redo() {
    if (!ReadOnly()) Rich()->Edit()->redo();
}

std::string TCustomRichEdit::LinkAt(const TPoint& P) {
    TRichEditAdapter* a = Rich();
    QTextEdit* e = a->Edit();
    const QPointF dp = DocPoint(e, P);
    const int pos = a->Doc()->documentLayout()->hitTest(dp, Qt::ExactHit);
    if (pos < 0) return {};
    const QTextBlock b = a->Doc()->findBlock(pos);
    if (!b.isValid()) return {};
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (pos >= f.position() && pos < f.position() + f.length()) {
            const QTextCharFormat cf = f.charFormat();
            if (cf.isAnchor() && !cf.anchorHref().isEmpty()) return FromQString(cf.anchorHref());
        }
    }
    if (!FAutoURLDetect) return {};
    auto it = WebAddressPattern().globalMatch(b.text());
    const int inBlock = pos - b.position();
    while (it.hasNext()) {
        const auto m = it.next();
        if (inBlock >= m.capturedStart() && inBlock < m.capturedEnd()) return FromQString(m.captured());
    }
    return {};
}

void TCustomRichEdit::SetAutoURLDetect(bool Value) {
    if (Value == FAutoURLDetect) return;
    FAutoURLDetect = Value;
    if (auto* a = dynamic_cast<TRichEditAdapter*>(FAdapter.get())) a->MarkWebAddresses();
}

// ---- Drawing

int TCustomRichEdit::FormatRange(TCanvas* Canvas, int PixelsPerInch, int From, const TRect& TwipsRect,
                                 bool Render) {
    TRichEditAdapter* a = Rich();
    const int ppi = PixelsPerInch > 0 ? PixelsPerInch : 96;
    const int qtFrom = std::clamp(QtPos(a, std::max(0, From)), 0, a->Doc()->characterCount() - 1);
    const int qtEnd = a->Doc()->characterCount() - 1;
    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setUndoRedoEnabled(false);
    QFont font = a->Edit()->font();
    doc.setDefaultFont(font);
    QPainter* painter = Canvas ? PrepareCanvas(Canvas) : nullptr;
    if (painter && painter->device()) doc.documentLayout()->setPaintDevice(painter->device());
    const qreal left = Px(TwipsRect.Left, ppi), top = Px(TwipsRect.Top, ppi);
    const qreal width = std::max<qreal>(1, Px(TwipsRect.Right - TwipsRect.Left, ppi));
    const qreal height = std::max<qreal>(0, Px(TwipsRect.Bottom - TwipsRect.Top, ppi));
    doc.setTextWidth(width);
    // The paragraphs are copied one at a time, each as one change, until one
    // reaches below the rectangle: what follows cannot show.
    QTextCursor c(&doc);
    std::size_t index = 0;
    for (QTextBlock b = a->Doc()->findBlock(qtFrom); b.isValid() && b.position() <= qtEnd; b = b.next()) {
        const int start = std::max(b.position(), qtFrom);
        const int end = std::min(b.position() + b.length() - 1, qtEnd);
        TRtfDocument part = DocumentOf(a->Doc(), start, end, ppi, a->DefaultHalfPoints());
        if (part.Paragraphs.empty()) part.Paragraphs.emplace_back();
        TCharFormatCache formats(part);
        c.beginEditBlock();
        InsertParagraph(c, part.Paragraphs.front(), index++, true, ppi, formats);
        c.endEditBlock();
        if (doc.documentLayout()->blockBoundingRect(c.block()).bottom() > height + 0.01) break;
    }
    // the lines that fit
    int next = -1;
    qreal fitted = 0;
    for (QTextBlock b = doc.begin(); b.isValid() && next < 0; b = b.next()) {
        const QRectF br = doc.documentLayout()->blockBoundingRect(b);
        const QTextLayout* layout = b.layout();
        for (int i = 0; layout && i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal bottom = br.top() + line.y() + line.height();
            if (bottom > height + 0.01) {
                next = b.position() + line.textStart();
                break;
            }
            fitted = bottom;
        }
    }
    if (Render && painter) {
        painter->save();
        painter->translate(left, top);
        painter->setClipRect(QRectF(0, 0, width, fitted), Qt::IntersectClip);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(0, 0, width, fitted);
        ctx.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(painter, ctx);
        painter->restore();
    }
    if (next < 0) return BytePos(a, qtEnd);
    // positions of the part map one to one onto the control's from qtFrom
    return BytePos(a, qtFrom + next);
}

// ---- Events and messages

void TCustomRichEdit::Change() {
    if (FEventMask & enmChange) TCustomMemo::Change();
}

void TCustomRichEdit::SelectionChange() {
    if (FEventMask & enmSelChange) FOnSelectionChange(this);
}

void TCustomRichEdit::LinkClick(const std::string& Link) {
    if (FEventMask & enmLink) FOnLinkClick(this, Link);
}

void TCustomRichEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) FArmedLink = HandleAllocated() ? LinkAt({X, Y}) : std::string();
    TCustomMemo::MouseDown(Button, Shift, X, Y);
}

void TCustomRichEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomMemo::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || FArmedLink.empty()) return;
    const std::string armed = std::move(FArmedLink);
    FArmedLink.clear();
    if (HandleAllocated() && LinkAt({X, Y}) == armed) LinkClick(armed);
}

void TCustomRichEdit::PasteFromClipboardRich() {
    if (ReadOnly()) return;
    TRichEditAdapter* a = Rich();
    const std::map<unsigned, std::string> data = ClipboardService().GetData();
    const int room = MaxLength() > 0 ? MaxLength() - static_cast<int>(Text().size()) + SelLength() : -1;
    if (auto it = data.find(CF_RTF()); it != data.end()) {
        TRtfDocument d;
        if (RtfLooksLikeRtf(it->second) && RtfRead(it->second, d).Ok) {
            if (room >= 0) CutDocument(d, static_cast<std::size_t>(room));
            ReplaceSelection(a->Edit(), d, FPixelsPerInch);
            return;
        }
    }
    auto text = data.find(CF_TEXT);
    if (text == data.end()) return;
    std::string t = text->second;
    if (room >= 0) t = Utf8Truncate(t, static_cast<std::size_t>(std::max(0, room)));
    a->ReplaceSelection(ToQString(t));
}

void TCustomRichEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_COPY:
    case WM_CUT:
        if (SelLength() > 0 && FAdapter) {
            Clipboard()->Open();
            Clipboard()->SetAsText(StreamOut(false, true));
            Clipboard()->SetFormatData(CF_RTF(), StreamOut(true, true));
            Clipboard()->Close();
            if (Message.Msg == WM_CUT && !ReadOnly()) Rich()->ReplaceSelection(QString());
        }
        return;
    case WM_PASTE: PasteFromClipboardRich(); return;
    default: break;
    }
    TCustomMemo::Dispatch(Message);
}

void TCustomRichEdit::WMChar(TMessage& Message) {
    if (DoKeyPress(Message)) return;
    switch (Message.WParam) {
    case 3: Perform(WM_COPY, 0, 0); return;
    case 22: Perform(WM_PASTE, 0, 0); return;
    case 24: Perform(WM_CUT, 0, 0); return;
    case 25: Redo(); return;
    case 26: Perform(WM_UNDO, 0, 0); return;
    default: break;
    }
    if (ReadOnly()) return;
    const auto ch = static_cast<char32_t>(Message.WParam);
    if (ch == 9 && !WantTabs()) return;
    if (ch == 13 && !WantReturns()) return;
    if (MaxLength() > 0 && (ch >= 32 || ch == 9 || ch == 13)) {
        // the typing limit counts the text's bytes
        const std::size_t add = ch == 13 ? 1 : Utf8Of(ch).size();
        if (static_cast<int>(Text().size()) - SelLength() + static_cast<int>(add) > MaxLength()) return;
    }
    // A typing run is one undo step: its first character opens an edit block
    // that the next ones join, so that it never joins a paste before it.
    TRichEditAdapter* a = Rich();
    if (a && (SelLength() > 0 || SelStart() != a->TypingEnd)) {
        QTextCursor c = a->Edit()->textCursor();
        c.beginEditBlock();
        DefaultHandler(Message);
        c.endEditBlock();
    } else {
        DefaultHandler(Message);
    }
    if ((a = Rich())) a->TypingEnd = SelStart();
}
