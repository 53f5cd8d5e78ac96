// Formatted text, edges, frame controls and system metrics.
#include "platform/ui/drawing.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <vector>

#include "platform/ui/qt_host.h"

// ---- DrawText ----------------------------------------------------------------------

namespace {

struct TTextLine {
    QString Text;
    int Underline = -1;  // index of the character with the accelerator underline
};

// Removes the "&" prefixes; answers the text and the underlined index.
QString StripPrefixes(const QString& s, int& underline) {
    QString out;
    underline = -1;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != '&' && underline < 0) underline = static_cast<int>(out.size());
        }
        out += s[i];
    }
    return out;
}

QString ExpandTabs(const QString& s) {
    QString out;
    for (QChar c : s) {
        if (c == '\t') {
            const int spaces = 8 - static_cast<int>(out.size() % 8);
            out += QString(spaces, ' ');
        } else {
            out += c;
        }
    }
    return out;
}

// Greedy word wrap of one paragraph to a width; blanks at a break vanish.
// A word wider than the width stays whole unless breakWords.
std::vector<QString> Wrap(const QString& paragraph, int width, const QFontMetrics& fm, bool breakWords) {
    std::vector<QString> lines;
    QString line;
    auto flushLong = [&]() {
        if (!breakWords) return;
        while (line.size() > 1 && fm.horizontalAdvance(line) > width) {
            int k = static_cast<int>(line.size()) - 1;
            while (k > 1 && fm.horizontalAdvance(line.left(k)) > width) --k;
            lines.push_back(line.left(k));
            line = line.mid(k);
        }
    };
    const int n = static_cast<int>(paragraph.size());
    int i = 0;
    while (i < n) {
        // The next word with the blanks before it.
        int j = i;
        while (j < n && paragraph[j] == ' ') ++j;
        while (j < n && paragraph[j] != ' ') ++j;
        const QString word = paragraph.mid(i, j - i);
        if (line.isEmpty() && lines.empty()) {
            line = word;
            flushLong();
        } else if (fm.horizontalAdvance(line + word) <= width) {
            line += word;
        } else {
            lines.push_back(line);
            line = word;
            while (line.startsWith(' ')) line.remove(0, 1);
            flushLong();
        }
        i = j;
    }
    lines.push_back(line);
    return lines;
}

QString Elide(const QString& s, int width, const QFontMetrics& fm) {
    if (fm.horizontalAdvance(s) <= width) return s;
    const QString dots = "...";
    for (int k = static_cast<int>(s.size()) - 1; k >= 0; --k) {
        const QString candidate = s.left(k) + dots;
        if (fm.horizontalAdvance(candidate) <= width) return candidate;
    }
    return dots;
}

}  // namespace

int DrawText(TCanvas* Canvas, const std::string& Text, TRect& Rect, unsigned Format) {
    if (!Canvas) return 0;
    const QFont font = ToQFont(Canvas->Font());
    const QFontMetrics fm(font);
    const int lineHeight = fm.height();
    QString text = ToQString(Text);
    if (Format & DT_EXPANDTABS)
        text = ExpandTabs(text);
    else
        text.replace('\t', ' ');

    // Lines and their accelerator marks.
    std::vector<TTextLine> lines;
    const bool prefixes = !(Format & DT_NOPREFIX);
    auto addLine = [&](const QString& raw) {
        TTextLine line;
        int underline = -1;
        line.Text = prefixes ? StripPrefixes(raw, underline) : raw;
        if (!(Format & DT_HIDEPREFIX)) line.Underline = underline;
        lines.push_back(line);
    };
    if (Format & DT_SINGLELINE) {
        QString single = text;
        single.remove('\r');
        single.remove('\n');
        addLine(single);
    } else {
        QString normal = text;
        normal.replace("\r\n", "\n");
        normal.replace('\r', '\n');
        const QStringList paragraphs = normal.split('\n');
        for (const QString& para : paragraphs) {
            if (Format & DT_WORDBREAK) {
                // Wrap the visible text; the accelerator is looked up again per line.
                for (const QString& l :
                     Wrap(para, std::max(1, Rect.Width()), fm, (Format & DT_EDITCONTROL) != 0))
                    addLine(l);
            } else {
                addLine(para);
            }
        }
    }
    if (Format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS))
        for (TTextLine& l : lines) {
            const QString elided = Elide(l.Text, Rect.Width(), fm);
            if (elided != l.Text) {
                l.Text = elided;
                if (l.Underline >= static_cast<int>(elided.size()) - 3) l.Underline = -1;
            }
        }

    int widest = 0;
    for (const TTextLine& l : lines) widest = std::max(widest, fm.horizontalAdvance(l.Text));
    const int height = static_cast<int>(lines.size()) * lineHeight;

    if (Format & DT_CALCRECT) {
        if ((Format & DT_WORDBREAK) && !(Format & DT_SINGLELINE))
            Rect.Right = Rect.Left + std::max(Rect.Width(), widest);
        else
            Rect.Right = Rect.Left + widest;
        Rect.Bottom = Rect.Top + height;
        return height;
    }

    QPainter* p = PrepareCanvas(Canvas);
    if (!p) return height;
    int y = Rect.Top;
    if (Format & DT_SINGLELINE) {
        if (Format & DT_VCENTER)
            y = Rect.Top + (Rect.Height() - lineHeight) / 2;
        else if (Format & DT_BOTTOM)
            y = Rect.Bottom - lineHeight;
    }
    if (!(Format & DT_NOCLIP)) p->setClipRect(ToQRect(Rect), Qt::IntersectClip);
    SetPainterFont(p, font);
    p->setPen(ToQColor(Canvas->Font()->Color()));
    if (Format & DT_RTLREADING) p->setLayoutDirection(Qt::RightToLeft);
    const bool opaque = Canvas->Brush()->Style() != bsClear;
    const QColor back = ToQColor(Canvas->Brush()->Color());
    for (const TTextLine& l : lines) {
        const int w = fm.horizontalAdvance(l.Text);
        int x = Rect.Left;
        if (Format & DT_CENTER)
            x = Rect.Left + (Rect.Width() - w) / 2;
        else if (Format & DT_RIGHT)
            x = Rect.Right - w;
        if (opaque) p->fillRect(QRect(x, y, w, lineHeight), back);
        DrawTextRun(p, Canvas->Impl(), x, y + fm.ascent(), l.Text, w);
        if (l.Underline >= 0 && l.Underline < l.Text.size()) {
            const int uw = fm.horizontalAdvance(l.Text.mid(l.Underline, 1));
            int ux = x + fm.horizontalAdvance(l.Text.left(l.Underline));
            // Under its letter, whose box is mirrored with the run's.
            if (Canvas->MirrorWidth() > 0) ux = x + w - (ux - x) - uw;
            p->fillRect(QRect(ux, y + fm.ascent() + 1, uw, 1), ToQColor(Canvas->Font()->Color()));
        }
        y += lineHeight;
    }
    p->setLayoutDirection(Qt::LeftToRight);
    return height;
}

// ---- Edges -------------------------------------------------------------------------

namespace {

// One border ring: top and left in tl, bottom and right in br.
void Ring(QPainter* p, const TRect& r, unsigned flags, const QColor& tl, const QColor& br) {
    const int w = r.Width(), h = r.Height();
    if (w <= 0 || h <= 0) return;
    if (flags & BF_TOP) p->fillRect(QRect(r.Left, r.Top, w - 1, 1), tl);
    if (flags & BF_LEFT) p->fillRect(QRect(r.Left, r.Top, 1, h - 1), tl);
    if (flags & BF_BOTTOM) p->fillRect(QRect(r.Left, r.Bottom - 1, w, 1), br);
    if (flags & BF_RIGHT) p->fillRect(QRect(r.Right - 1, r.Top, 1, h), br);
}

void Shrink(TRect& r, unsigned flags) {
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
}

QColor Sys(TColor c) { return ToQColor(c); }

}  // namespace

bool DrawEdge(TCanvas* Canvas, TRect& Rect, unsigned Edge, unsigned Flags) {
    if (!Canvas) return false;
    QPainter* p = PrepareCanvas(Canvas);
    TRect r = Rect;
    const unsigned outer = Edge & BDR_OUTER;
    const unsigned inner = Edge & BDR_INNER;
    auto ring = [&](unsigned bits, bool isOuter) {
        if (!bits) return;
        QColor tl, br;
        if (Flags & BF_MONO) {
            tl = br = isOuter ? QColor(Qt::black) : QColor(Qt::white);
        } else if (Flags & BF_FLAT) {
            tl = br = isOuter ? Sys(clBtnShadow) : Sys(clBtnFace);
        } else if (bits & (BDR_RAISEDOUTER | BDR_RAISEDINNER)) {
            tl = isOuter ? ((Flags & BF_SOFT) ? Sys(clBtnHighlight) : Sys(cl3DLight)) : Sys(clBtnHighlight);
            br = isOuter ? Sys(cl3DDkShadow) : Sys(clBtnShadow);
            if (!isOuter && (Flags & BF_SOFT)) tl = Sys(cl3DLight);
        } else {
            tl = isOuter ? Sys(clBtnShadow) : Sys(cl3DDkShadow);
            br = isOuter ? Sys(clBtnHighlight) : Sys(cl3DLight);
        }
        if (p) Ring(p, r, Flags, tl, br);
        Shrink(r, Flags);
    };
    ring(outer, true);
    ring(inner, false);
    if ((Flags & BF_MIDDLE) && p && !IsRectEmpty(r)) p->fillRect(ToQRect(r), Sys(clBtnFace));
    if (Flags & BF_ADJUST) Rect = r;
    return true;
}

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    if (!Canvas) return;
    QPainter* p = PrepareCanvas(Canvas);
    const QColor top = ToQColor(TopColor), bottom = ToQColor(BottomColor);
    for (int i = 0; i < Width; ++i) {
        const int w = Rect.Width(), h = Rect.Height();
        if (p && w > 0 && h > 0) {
            p->fillRect(QRect(Rect.Left, Rect.Top, 1, h), top);
            p->fillRect(QRect(Rect.Left, Rect.Top, std::max(0, w - 1), 1), top);
            p->fillRect(QRect(Rect.Right - 1, Rect.Top, 1, std::max(0, h - 1)), bottom);
            p->fillRect(QRect(Rect.Left + 1, Rect.Bottom - 1, std::max(0, w - 1), 1), bottom);
        }
        InflateRect(Rect, -1, -1);
    }
}

// ---- Frame controls ------------------------------------------------------------------

namespace {

void DrawArrow(QPainter* p, const TRect& r, unsigned kind, const QColor& color) {
    // Rows (or columns) of 1, 3, 5, ... pixels from the tip back.
    const int size = std::max(2, std::min(r.Width(), r.Height()) / 4);
    const int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
    const int top = cy - size / 2, left = cx - size / 2;
    for (int i = 0; i < size; ++i) {
        switch (kind) {
        case DFCS_SCROLLUP: p->fillRect(QRect(cx - i, top + i, 2 * i + 1, 1), color); break;
        case DFCS_SCROLLLEFT: p->fillRect(QRect(left + i, cy - i, 1, 2 * i + 1), color); break;
        case DFCS_SCROLLRIGHT: p->fillRect(QRect(left + size - 1 - i, cy - i, 1, 2 * i + 1), color); break;
        default:
            p->fillRect(QRect(cx - i, top + size - 1 - i, 2 * i + 1, 1), color);
            break;  // down, combo box
        }
    }
}

void DrawCheckMark(QPainter* p, const TRect& box, const QColor& color) {
    // The classic mark in a 7 x 7 cell, three pixels high, scaled to the box.
    const int side = std::min(box.Width(), box.Height());
    const double scale = side / 9.0;
    const int ox = box.Left + (box.Width() - side) / 2, oy = box.Top + (box.Height() - side) / 2;
    const int thick = std::max(3, static_cast<int>(3 * scale + 0.5));
    auto col = [&](double x, double y) {
        // Each column ends where the next begins: no gaps at fractional scales.
        const int px = ox + static_cast<int>((x + 1) * scale);
        const int next = ox + static_cast<int>((x + 2) * scale);
        const int py = oy + static_cast<int>((y + 1) * scale);
        p->fillRect(QRect(px, py, std::max(1, next - px), thick), color);
    };
    const double pts[][2] = {{0.5, 2.5}, {1.5, 3.5}, {2.5, 4.5}, {3.5, 3.5},
                             {4.5, 2.5}, {5.5, 1.5}, {6.5, 0.5}};
    for (const auto& pt : pts) col(pt[0], pt[1]);
}

}  // namespace

bool DrawFrameControl(TCanvas* Canvas, TRect& Rect, unsigned Type, unsigned State) {
    if (!Canvas) return false;
    QPainter* p = PrepareCanvas(Canvas);
    const bool inactive = State & DFCS_INACTIVE;
    const bool pushed = State & DFCS_PUSHED;
    if (Type == DFC_BUTTON) {
        const unsigned kind = State & 0x1F;
        if (kind == DFCS_BUTTONPUSH) {
            TRect r = Rect;
            if (State & DFCS_FLAT) {
                if (p) {
                    p->fillRect(ToQRect(r), ToQColor(clBtnFace));
                    Ring(p, r, BF_RECT, ToQColor(clBtnShadow), ToQColor(clBtnShadow));
                }
            } else {
                DrawEdge(Canvas, r, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
            }
            if (State & DFCS_ADJUSTRECT) Rect = r;
            return true;
        }
        // Check boxes and radio buttons: a square centred in the rectangle.
        const int side = std::min(Rect.Width(), Rect.Height());
        TRect box =
            Bounds(Rect.Left + (Rect.Width() - side) / 2, Rect.Top + (Rect.Height() - side) / 2, side, side);
        const QColor face = (inactive || pushed) ? ToQColor(clBtnFace) : ToQColor(clWindow);
        const QColor mark = inactive ? ToQColor(clGrayText) : ToQColor(clWindowText);
        if (!p) return true;
        if (kind == DFCS_BUTTONRADIO) {
            p->setRenderHint(QPainter::Antialiasing, true);
            p->setPen(QPen(ToQColor(clBtnShadow), 1));
            p->setBrush(face);
            p->drawEllipse(QRectF(box.Left + 0.5, box.Top + 0.5, side - 1, side - 1));
            if (State & DFCS_CHECKED) {
                p->setPen(Qt::NoPen);
                p->setBrush(mark);
                const double d = side / 3.0;
                p->drawEllipse(QRectF(box.Left + d, box.Top + d, side - 2 * d, side - 2 * d));
            }
            p->setRenderHint(QPainter::Antialiasing, false);
            return true;
        }
        // One frame line all round: dark on an enabled box, grey on an inactive one.
        TRect inner = box;
        QColor frame = ToQColor(inactive ? clBtnShadow : cl3DDkShadow);
        if (State & DFCS_MONO)
            frame = QColor(Qt::black);
        else if (State & DFCS_FLAT)
            frame = ToQColor(clBtnShadow);
        Ring(p, inner, BF_RECT, frame, frame);
        Shrink(inner, BF_RECT);
        p->fillRect(ToQRect(inner), face);
        if (State & (DFCS_CHECKED | DFCS_BUTTON3STATE)) {
            const QColor c =
                (kind == DFCS_BUTTON3STATE && !(State & DFCS_CHECKED)) ? ToQColor(clGrayText) : mark;
            if (State & DFCS_CHECKED || kind == DFCS_BUTTON3STATE) DrawCheckMark(p, inner, c);
        }
        return true;
    }
    if (Type == DFC_SCROLL) {
        TRect r = Rect;
        if (State & DFCS_FLAT) {
            if (p) {
                p->fillRect(ToQRect(r), ToQColor(clBtnFace));
                Ring(p, r, BF_RECT, ToQColor(clBtnShadow), ToQColor(clBtnShadow));
            }
            Shrink(r, BF_RECT);
        } else if (pushed) {
            if (p) {
                p->fillRect(ToQRect(r), ToQColor(clBtnFace));
                Ring(p, r, BF_RECT, ToQColor(clBtnShadow), ToQColor(clBtnShadow));
            }
            Shrink(r, BF_RECT);
            OffsetRect(r, 1, 1);
        } else {
            DrawEdge(Canvas, r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        }
        p = PrepareCanvas(Canvas);
        if (p) {
            const unsigned kind = State & 0x1F;
            if (kind == DFCS_SCROLLSIZEGRIP) return true;
            if (inactive) {
                TRect shadow = r;
                OffsetRect(shadow, 1, 1);
                DrawArrow(p, shadow, kind, ToQColor(clBtnHighlight));
            }
            DrawArrow(p, r, kind, inactive ? ToQColor(clBtnShadow) : ToQColor(clBtnText));
        }
        return true;
    }
    return false;
}

// ---- System metrics ---------------------------------------------------------------------

int GetSystemMetrics(int Index) {
    switch (Index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            if (QScreen* s = QGuiApplication::primaryScreen())
                return Index == SM_CXSCREEN ? s->geometry().width() : s->geometry().height();
        return Index == SM_CXSCREEN ? 1024 : 768;
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_SWAPBUTTON: return 0;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
    }
}

unsigned GetDoubleClickTime() { return 500; }
