// The document model in the toolkit's text document: formats both ways,
// a document inserted at a cursor, and the model of a range read back.
#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QResizeEvent>
#include <QTextLayout>
#include <QTextList>
#include <QTimer>

#include <list>

#include "platform/core/memory.h"
#include "platform/ui/richedit_qt.h"

namespace richedit_detail {

namespace {

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

}  // namespace

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
    if (f.Protected) c.setProperty(kProtected, true);
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
    f.Protected = c.boolProperty(kProtected);
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

namespace {

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

}  // namespace

namespace {

// The height in pixels below which a paragraph's layout is safe: the layout
// keeps its lines' positions in fixed point and ends a paragraph of more
// than about 8.4 million pixels never.
constexpr double kMaxParagraphHeight = 4.0e6;
// The height a paragraph too tall to wrap is wrapped wide for (room for
// characters three times wider than estimated).
constexpr double kWideParagraphHeight = 2.5e6;
// Characters without a break from which a word is long.
constexpr std::size_t kLongWord = 16 * 1024;

}  // namespace

qreal WideWrapWidth(std::size_t Chars, int HalfPoints, int dpi) {
    // wrapped at 100 pixels (narrower than an edit is made), a character about
    // half the font wide and a line 1.2 times its size high
    const double font = std::max(HalfPoints, 16) / 2.0 * dpi / 72.0;
    const double perLine = std::max(1.0, std::floor(100.0 / (font * 0.55)));
    if (static_cast<double>(Chars) / perLine * font * 1.2 <= kMaxParagraphHeight) return 0;
    return std::min(1e6,
                    std::ceil(static_cast<double>(Chars) * font * 0.55 * font * 1.2 / kWideParagraphHeight));
}

qreal WideWrapWidth(const TRtfParagraph& p, const TRtfDocument& d, int dpi) {
    std::size_t chars = 0;
    int halfPoints = 0;
    for (const TRtfRun& r : p.Runs) {
        chars += r.IsRaw() ? 1 : r.Text.size();
        halfPoints = std::max(halfPoints, d.FormatOf(r).Size);
    }
    return WideWrapWidth(chars, halfPoints, dpi);
}

qreal WideWrapWidth(const TRtfDocument& d, int dpi) {
    qreal w = 0;
    for (const TRtfParagraph& p : d.Paragraphs) w = std::max(w, WideWrapWidth(p, d, dpi));
    return w;
}

qreal WideWrapWidth(QTextDocument* doc, int from, int to, int defaultHalfPoints, int dpi) {
    auto halfPointsOf = [&](const QTextFormat& f) {
        return f.hasProperty(QTextFormat::FontPointSize)
                   ? static_cast<int>(std::lround(f.doubleProperty(QTextFormat::FontPointSize) * 2))
                   : defaultHalfPoints;
    };
    // the largest font a size can name, then the document's largest: a
    // paragraph that cannot be too tall at it is not looked into
    constexpr int kLargestHalfPoints = 2 * 1638;
    int largest = -1;
    qreal w = 0;
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        const auto chars = static_cast<std::size_t>(b.length());
        if (WideWrapWidth(chars, kLargestHalfPoints, dpi) <= 0) continue;
        if (largest < 0) {
            largest = defaultHalfPoints;
            for (const QTextFormat& f : doc->allFormats())
                if (f.isCharFormat()) largest = std::max(largest, halfPointsOf(f));
        }
        const qreal most = WideWrapWidth(chars, largest, dpi);
        if (most <= std::max(w, WideWrap(doc))) continue;
        int halfPoints = 0;
        for (auto it = b.begin(); !it.atEnd(); ++it)
            halfPoints = std::max(halfPoints, halfPointsOf(it.fragment().charFormat()));
        w = std::max(w, WideWrapWidth(chars, halfPoints, dpi));
    }
    return w;
}

std::size_t LongestLine(const QString& Text) {
    std::size_t longest = 0, line = 0;
    for (const QChar ch : Text) {
        if (ch == QChar('\n') || ch == QChar('\r') || ch == QChar::ParagraphSeparator)
            line = 0;
        else
            longest = std::max(longest, ++line);
    }
    return longest;
}

qreal WideWrap(const QTextDocument* doc) { return doc->property("wideWrap").toReal(); }

void WrapWide(QTextEdit* Edit, qreal Width, bool Replace) {
    QTextDocument* doc = Edit->document();
    const qreal old = WideWrap(doc);
    const qreal w = Replace ? Width : std::max(old, Width);
    if (w == old) return;
    doc->setProperty("wideWrap", w);
    if (auto* e = dynamic_cast<TRichTextEdit*>(Edit); e && e->Adapter) e->Adapter->ApplyWrap();
}

bool HasLongWord(const TRtfDocument& d) {
    for (const TRtfParagraph& p : d.Paragraphs) {
        std::size_t run = 0;
        for (const TRtfRun& r : p.Runs) {
            if (r.IsRaw()) {
                run = 0;
                continue;
            }
            for (const char ch : r.Text) {
                if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '-')
                    run = 0;
                else if (++run >= kLongWord)
                    return true;
            }
        }
    }
    return false;
}

void SetWordBreaks(QTextEdit* Edit, const TRtfDocument& d) {
    const QTextOption::WrapMode mode =
        HasLongWord(d) ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (Edit->wordWrapMode() != mode) Edit->setWordWrapMode(mode);
}

void HideParagraphsNotLaidOut(QTextDocument* doc) {
    QTextBlock b = doc->lastBlock();
    while (b.isValid() && b.isVisible() && !(b.layout() && b.layout()->lineCount() > 0)) b = b.previous();
    const QTextBlock first = b.isValid() ? b.next() : doc->firstBlock();
    if (!first.isValid()) return;
    for (QTextBlock h = first; h.isValid(); h = h.next()) h.setVisible(false);
    doc->markContentsDirty(first.position(), doc->characterCount() - first.position());
}

void BoundPage(QTextDocument* doc) {
    const QSizeF page = doc->pageSize();
    if (page.height() < 0) doc->setPageSize(QSizeF(page.width(), kPageHeight));
}

void GuardLayoutHeight(QTextDocument* doc) {
    QObject::connect(doc->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, doc,
                     [doc](const QSizeF& Size) {
                         if (Size.height() <= kMaxDocumentHeight || doc->property("hidingRest").toBool())
                             return;
                         // after the layout's step, not inside it
                         doc->setProperty("hidingRest", true);
                         QTimer::singleShot(0, doc, [doc] {
                             doc->setProperty("hidingRest", false);
                             HideParagraphsNotLaidOut(doc);
                         });
                     });
}

bool LaidOut(QTextDocument* doc) {
    QTextBlock b = doc->lastBlock();
    while (b.isValid() && !b.isVisible()) b = b.previous();
    return !b.isValid() || (b.layout() && b.layout()->lineCount() > 0);
}

// Inserts one paragraph at the cursor: the first (index 0) joins the cursor's
// block, every later one starts a block of its own.
void InsertParagraph(QTextCursor& cur, const TRtfParagraph& p, std::size_t index, bool setFirstFormat,
                     int dpi, TCharFormatCache& formats) {
    static int imageNumber = 0;
    QTextDocument* doc = cur.document();
    const QTextCharFormat first = p.Runs.empty() ? cur.charFormat() : formats.Of(p.Runs.front());
    if (index > 0 || setFirstFormat) {
        const QTextBlockFormat& bf = formats.BlockOf(p.Format);
        if (index > 0)
            cur.insertBlock(bf, first);
        else
            cur.setBlockFormat(bf);
    }
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

namespace {

// Bytes a character's shaped glyphs take in a layout that keeps them (about
// 38 measured: glyphs, advances, offsets, attributes, clusters).
constexpr std::size_t kGlyphBytesPerChar = TCustomRichEdit::GlyphBytesPerChar;

std::size_t DefaultGlyphBudget() { return std::max(std::size_t{256} << 20, PhysicalMemoryBytes() / 16); }

class TShapedMark;

// The paragraphs that keep their glyphs, shown last first.
struct TShaped {
    std::list<TShapedMark*> Marks;
    std::size_t Chars = 0;
    std::size_t Budget = DefaultGlyphBudget();
    // The paint pass: the paragraphs one pass shows never make room for each other.
    unsigned Pass = 0;
    std::size_t BudgetChars() const { return Budget / kGlyphBytesPerChar; }
};

// Never destroyed: documents may go during the exit.
TShaped& Shaped() {
    static auto* shaped = new TShaped;
    return *shaped;
}

// Marks a paragraph that keeps its glyphs; the document deletes it with the
// paragraph.
class TShapedMark : public QTextBlockUserData {
public:
    explicit TShapedMark(const QTextBlock& b)
        : Block(b), Chars(static_cast<std::size_t>(b.length())), Pass(Shaped().Pass) {
        TShaped& s = Shaped();
        s.Marks.push_front(this);
        Self = s.Marks.begin();
        s.Chars += Chars;
    }
    ~TShapedMark() override {
        TShaped& s = Shaped();
        s.Chars -= Chars;
        s.Marks.erase(Self);
    }
    TShapedMark(const TShapedMark&) = delete;
    TShapedMark& operator=(const TShapedMark&) = delete;

    void Touch() {
        TShaped& s = Shaped();
        s.Marks.splice(s.Marks.begin(), s.Marks, Self);
        const auto now = static_cast<std::size_t>(Block.length());
        s.Chars = s.Chars - Chars + now;
        Chars = now;
        Pass = s.Pass;
    }

    QTextBlock Block;
    std::size_t Chars;
    unsigned Pass;
    std::list<TShapedMark*>::iterator Self;
};

// The paragraph gives its glyphs up now (the toolkit frees them after a
// paint: one that draws none of its lines).
void Forget(TShapedMark* mark) {
    QTextBlock b = mark->Block;
    b.setUserData(nullptr);
    QTextLayout* layout = b.layout();
    if (!layout) return;
    layout->setCacheEnabled(false);
    if (layout->lineCount() == 0) return;
    QImage img(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    layout->draw(&p, QPointF(0, 0), {}, QRectF(0, layout->position().y() - 1e5, 1, 1));
}

// The long paragraph keeps its glyphs. One shown (Evict) has room made from
// those shown longest ago, and keeps them even when it alone passes the
// budget: shaped again at each paint (the caret's blink, a key) it would hold
// the window for seconds. Otherwise it keeps them while the budget has room,
// or when no paragraph keeps any.
void KeepShaped(QTextBlock b, bool Evict) {
    if (b.length() < kLongParagraph || !b.layout()) return;
    TShaped& s = Shaped();
    auto* mark = dynamic_cast<TShapedMark*>(b.userData());
    const auto chars = static_cast<std::size_t>(b.length());
    if (mark)
        mark->Touch();
    else if (!Evict && !s.Marks.empty() && s.Chars + chars > s.BudgetChars())
        return;
    while (s.Chars + (mark ? 0 : chars) > s.BudgetChars() && !s.Marks.empty() && s.Marks.back() != mark &&
           !(Evict && s.Marks.back()->Pass == s.Pass))
        Forget(s.Marks.back());
    if (mark) return;
    b.layout()->setCacheEnabled(true);
    b.setUserData(new TShapedMark(b));
}

}  // namespace

void KeepLongParagraphsShaped(QTextDocument* doc, int from, int to) {
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next())
        KeepShaped(b, false);
}

namespace {

// The laid-out paragraph at the height Y of the document (the first one
// above it), found by halving: the toolkit's own hit test walks every
// paragraph before it.
QTextBlock BlockAtY(QTextDocument* doc, qreal Y) {
    int low = 0, high = doc->blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        const QTextBlock b = doc->findBlockByNumber(mid);
        // the paragraphs not laid out yet (or hidden till then) come last
        const QTextLayout* layout = b.layout();
        if (b.isVisible() && layout && layout->lineCount() > 0 && layout->position().y() <= Y)
            low = mid;
        else
            high = mid - 1;
    }
    return doc->findBlockByNumber(low);
}

}  // namespace

void KeepShownParagraphsShaped(QTextEdit* Edit) {
    QTextDocument* doc = Edit->document();
    if (doc->characterCount() < kLongParagraph) return;
    ++Shaped().Pass;
    const qreal top = Edit->verticalScrollBar()->value();
    const QTextBlock last = BlockAtY(doc, top + Edit->viewport()->height());
    for (QTextBlock b = BlockAtY(doc, top); b.isValid() && b.blockNumber() <= last.blockNumber();
         b = b.next())
        KeepShaped(b, true);
    KeepShaped(Edit->textCursor().block(), true);
}

void KeepHash(const QTextFormat& f) {
    // comparing with an equal format of its own data hashes both
    QTextFormat other = f;
    other.setProperty(kHashProbe, true);
    other.clearProperty(kHashProbe);
    (void)(f == other);
}

namespace {

// A paragraph that goes in as text after the one before: one text run (or
// none) in the format of Text, and the paragraph format of Para.
bool JoinsAsText(const TRtfParagraph& q, const TRtfRun& Text, const TRtfParaFormat& Para,
                 const TRtfDocument& d, int dpi) {
    if (q.Runs.size() > 1 || !(q.Format == Para)) return false;
    if (q.Runs.size() == 1 && (q.Runs[0].IsRaw() || q.Runs[0].Format != Text.Format ||
                               q.Runs[0].Text.size() >= static_cast<std::size_t>(kLongParagraph)))
        return false;
    return !TooTallToWrap(q, d, dpi);
}

}  // namespace

// Inserts the document at the cursor; the first paragraph joins the cursor's block.
// Long paragraphs keep their shaped glyphs. Plain paragraphs of one format in
// a row go in as one text (the toolkit starts a block at each paragraph
// separator, in the block's format).
void InsertDocument(QTextCursor& cur, const TRtfDocument& d, bool setFirstFormat, int dpi) {
    TCharFormatCache formats(d, dpi);
    QTextDocument* doc = cur.document();
    const std::size_t n = d.Paragraphs.size();
    std::string text;
    for (std::size_t i = 0; i < n;) {
        const TRtfParagraph& p = d.Paragraphs[i];
        InsertParagraph(cur, p, i, setFirstFormat, dpi, formats);
        if (cur.block().length() >= kLongParagraph)
            KeepLongParagraphsShaped(doc, cur.position(), cur.position());
        std::size_t j = i + 1;
        if ((i > 0 || setFirstFormat) && p.Runs.size() == 1 && !p.Runs[0].IsRaw() && !p.Format.Bullet &&
            !TooTallToWrap(p, d, dpi)) {
            text.clear();
            for (; j < n && JoinsAsText(d.Paragraphs[j], p.Runs[0], p.Format, d, dpi); ++j) {
                text += "\u2029";
                if (!d.Paragraphs[j].Runs.empty()) text += d.Paragraphs[j].Runs[0].Text;
            }
            if (j > i + 1) cur.insertText(QtText(text), formats.Of(p.Runs[0]));
        }
        i = j;
    }
}

// Loads a whole document at the cursor of an empty document: one change and
// no step to undo. The text goes in with no page to lay out on (the layout
// only forgets what changed); giving the page back lays the document out
// from the start in steps: the first lines at once, the rest from the event
// loop, and what comes into view when it is shown.
void LoadDocument(QTextCursor& cur, const TRtfDocument& d, int dpi, QTextEdit* Edit) {
    QTextDocument* doc = cur.document();
    if (Edit) WrapWide(Edit, WideWrapWidth(d, dpi), true);
    const bool undo = doc->isUndoRedoEnabled();
    const QSizeF page = doc->pageSize();
    doc->setUndoRedoEnabled(false);
    doc->setPageSize(QSizeF(0, 0));
    cur.beginEditBlock();
    InsertDocument(cur, d, true, dpi);
    cur.endEditBlock();
    // the edit's caret to the start while nothing is laid out (from the end,
    // where the load pushed it, it would have the whole document laid out)
    if (Edit) Edit->setTextCursor(QTextCursor(doc));
    doc->setPageSize(page.height() < 0 ? QSizeF(page.width(), kPageHeight) : page);
    doc->setUndoRedoEnabled(undo);
}

// The edit's selection replaced by the document, as one undo step.
void ReplaceSelection(QTextEdit* Edit, const TRtfDocument& d, int dpi) {
    WrapWide(Edit, WideWrapWidth(d, dpi), false);
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

TRtfDocument PartOf(QTextDocument* doc, const QTextBlock& b, int from, int to, int dpi,
                    int defaultHalfPoints) {
    if (b.length() < kLongParagraph) return DocumentOf(doc, from, to, dpi, defaultHalfPoints);
    QTextCursor c(doc);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    QTextDocument part;
    QTextCursor(&part).insertFragment(c.selection());
    TRtfDocument d = DocumentOf(&part, 0, part.characterCount() - 1, dpi, defaultHalfPoints);
    if (!d.Paragraphs.empty()) d.Paragraphs.front().Format = ParaOf(b, dpi);
    return d;
}

}  // namespace richedit_detail

// ---- Byte positions

namespace {

// Documents shorter than this convert positions by reading their text.
constexpr int kMarkedLength = 64 * 1024;
constexpr int kMarkStep = 4096;

// The bytes the character at i takes in the text (a paragraph or line end:
// one) and the toolkit's characters it takes (a surrogate pair: two).
int Utf8Bytes(const QString& S, int i, int& Units) {
    char32_t cp = S[i].unicode();
    Units = 1;
    if (S[i].isHighSurrogate() && i + 1 < S.size() && S[i + 1].isLowSurrogate()) {
        cp = QChar::surrogateToUcs4(S[i], S[i + 1]);
        Units = 2;
    }
    if (cp == QChar::ParagraphSeparator || cp == QChar::LineSeparator) return 1;
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

}  // namespace

// Read from the paragraphs, not through a cursor: a cursor put at a position
// has the toolkit lay the text out up to it.
QString TRichEditAdapter::TextBetween(int From, int To) const {
    QString t;
    if (To <= From) return t;
    t.reserve(To - From);
    for (QTextBlock b = Doc()->findBlock(From); b.isValid() && b.position() < To; b = b.next()) {
        const int start = std::max(From, b.position()) - b.position();
        const int end = std::min(To, b.position() + b.length()) - b.position();
        const int inText = std::min(end, b.length() - 1);
        // a long paragraph's part by characters, not by a copy of all of it
        if (inText - start >= (b.length() - 1) / 4)
            t += QStringView(b.text()).mid(start, inText - start);
        else
            for (int i = b.position() + start; i < b.position() + inText; ++i) t += Doc()->characterAt(i);
        if (end > inText) t += QChar(QChar::ParagraphSeparator);
    }
    return t;
}

const TRichEditAdapter::TPositionMarks& TRichEditAdapter::Marks() {
    if (FMarks.Changes == Changes) return FMarks;
    FMarks.Changes = Changes;
    FMarks.Pos.clear();
    FMarks.Bytes.clear();
    const QString t = Doc()->toRawText();
    int bytes = 0, units = 1;
    for (int i = 0; i < t.size(); i += units) {
        if (i >= static_cast<int>(FMarks.Pos.size()) * kMarkStep) {
            FMarks.Pos.push_back(i);
            FMarks.Bytes.push_back(bytes);
        }
        bytes += Utf8Bytes(t, i, units);
    }
    FMarks.Pos.push_back(static_cast<int>(t.size()));
    FMarks.Bytes.push_back(bytes);
    return FMarks;
}

// A change of Removed characters at Pos by Added: the marks before it stay,
// those after it move, and the changed part is read again; what does not
// add up leaves them to be set again at their next use.
void TRichEditAdapter::MarksChanged(int Pos, int Removed, int Added) {
    TPositionMarks& m = FMarks;
    if (m.Changes != Changes || m.Pos.empty()) return;
    const int oldLength = m.Pos.back(), length = Doc()->characterCount() - 1;
    if (Pos < 0 || Removed < 0 || Added < 0 || Pos + Removed > oldLength ||
        length != oldLength - Removed + Added)
        return;
    const auto first =
        static_cast<std::size_t>(std::upper_bound(m.Pos.begin(), m.Pos.end(), Pos) - m.Pos.begin() - 1);
    // the first mark after the change, and where it lies now
    const auto after =
        static_cast<std::size_t>(std::upper_bound(m.Pos.begin(), m.Pos.end(), Pos + Removed) - m.Pos.begin());
    const int shift = Added - Removed;
    const int until = after < m.Pos.size() ? m.Pos[after] + shift : length;
    // a character made of the change's end and what follows: read it all again
    if (until > 0 && Doc()->characterAt(until - 1).isHighSurrogate()) return;
    std::vector<int> pos{m.Pos[first]}, bytes{m.Bytes[first]};
    const QString t = TextBetween(m.Pos[first], until);
    int count = m.Bytes[first], units = 1;
    for (int i = 0; i < t.size(); i += units) {
        if (m.Pos[first] + i - pos.back() >= kMarkStep) {
            pos.push_back(m.Pos[first] + i);
            bytes.push_back(count);
        }
        count += Utf8Bytes(t, i, units);
    }
    if (after < m.Pos.size()) {
        const int delta = count - m.Bytes[after];
        for (std::size_t k = after; k < m.Pos.size(); ++k) {
            m.Pos[k] += shift;
            m.Bytes[k] += delta;
        }
    } else if (pos.back() != length) {
        pos.push_back(length);
        bytes.push_back(count);
    }
    m.Pos.erase(m.Pos.begin() + static_cast<std::ptrdiff_t>(first),
                m.Pos.begin() + static_cast<std::ptrdiff_t>(after));
    m.Bytes.erase(m.Bytes.begin() + static_cast<std::ptrdiff_t>(first),
                  m.Bytes.begin() + static_cast<std::ptrdiff_t>(after));
    m.Pos.insert(m.Pos.begin() + static_cast<std::ptrdiff_t>(first), pos.begin(), pos.end());
    m.Bytes.insert(m.Bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.begin(), bytes.end());
    m.Changes = Changes + 1;
}

int TRichEditAdapter::BytePos(int Pos) {
    if (Doc()->characterCount() < kMarkedLength) return ByteOfUtf16(Text(), Pos);
    const TPositionMarks& m = Marks();
    Pos = std::clamp(Pos, 0, m.Pos.back());
    const auto k =
        static_cast<std::size_t>(std::upper_bound(m.Pos.begin(), m.Pos.end(), Pos) - m.Pos.begin() - 1);
    // a position between a surrogate pair's halves counts as the pair's start
    const QString t = TextBetween(m.Pos[k], std::min(Pos + 1, m.Pos.back()));
    int bytes = m.Bytes[k], units = 1;
    for (int i = 0; m.Pos[k] + i < Pos; i += units) {
        const int len = Utf8Bytes(t, i, units);
        if (m.Pos[k] + i + units > Pos) break;
        bytes += len;
    }
    return bytes;
}

int TRichEditAdapter::QtPos(int Byte) {
    if (Doc()->characterCount() < kMarkedLength) return Utf16OfByte(Text(), Byte);
    if (Byte <= 0) return 0;
    const TPositionMarks& m = Marks();
    const auto k = static_cast<std::size_t>(std::upper_bound(m.Bytes.begin(), m.Bytes.end(), Byte) -
                                            m.Bytes.begin() - 1);
    if (k + 1 >= m.Pos.size()) return m.Pos.back();
    const QString t = TextBetween(m.Pos[k], m.Pos[k + 1]);
    int bytes = m.Bytes[k], i = 0, units = 1;
    for (; i < t.size(); i += units) {
        const int len = Utf8Bytes(t, i, units);
        if (bytes + len > Byte) break;
        bytes += len;
    }
    return m.Pos[k] + i;
}

void TRichTextEdit::resizeEvent(QResizeEvent* Event) {
    using namespace richedit_detail;
    const bool newWidth = Event->oldSize().width() != Event->size().width();
    if (newWidth && lineWrapMode() == QTextEdit::WidgetWidth) {
        document()->setPageSize(QSizeF(viewport()->width(), kPageHeight));
        return;
    }
    if (newWidth && Adapter && Adapter->FollowsWindow() && WideWrap(document()) > 0) {
        // wrapped wide: as the window when that is wider
        const qreal w = std::max<qreal>(viewport()->width(), std::ceil(WideWrap(document())));
        if (document()->pageSize().width() != w) document()->setPageSize(QSizeF(w, kPageHeight));
    }
    QTextEdit::resizeEvent(Event);
    BoundPage(document());
}

void TRichTextEdit::paintEvent(QPaintEvent* Event) {
    richedit_detail::KeepShownParagraphsShaped(this);
    QTextEdit::paintEvent(Event);
}

std::size_t TCustomRichEdit::GlyphBudget() { return richedit_detail::Shaped().Budget; }

void TCustomRichEdit::SetGlyphBudget(std::size_t Bytes) {
    richedit_detail::TShaped& s = richedit_detail::Shaped();
    s.Budget = Bytes ? Bytes : richedit_detail::DefaultGlyphBudget();
    while (s.Chars > s.BudgetChars() && !s.Marks.empty()) richedit_detail::Forget(s.Marks.back());
}
