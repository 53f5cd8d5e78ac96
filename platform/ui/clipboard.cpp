// The clipboard over the system clipboard (formats become MIME types).
#include "platform/ui/clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <vector>

#include "platform/core/sysutils.h"
#include "platform/ui/clipboard_html.h"
#include "platform/ui/qt_host.h"

namespace {

struct TFormatName {
    unsigned Id;
    std::string Name;
};

std::vector<TFormatName>& Formats() {
    static std::vector<TFormatName> formats;
    return formats;
}

constexpr unsigned kFirstRegistered = 0xC000;

QString MimeOf(unsigned format) {
    switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return "text/plain";
    case CF_SYLK: return "application/x-sylk";
    case CF_BITMAP: return "image/png";
    default: break;
    }
    const std::string name = ClipboardFormatName(format);
    if (SameText(name, "HTML Format")) return "text/html";
    if (SameText(name, "Rich Text Format")) return "text/rtf";
    if (name.empty()) return {};
    return "application/x-taskmoor-" + ToQString(name);
}

class TSystemClipboard : public TClipboardService {
public:
    void SetData(const std::map<unsigned, std::string>& Data) override {
        EnsureToolkit();
        auto* mime = new QMimeData();
        for (const auto& [format, bytes] : Data) {
            const QString type = MimeOf(format);
            if (type.isEmpty()) continue;
            if (type == "text/plain") {
                mime->setText(ToQString(bytes));
            } else if (type == "text/html") {
                // "HTML Format" carries a header; the system takes the document.
                const std::string document = ClipboardHTMLDocument(bytes);
                mime->setData(type, QByteArray(document.data(), static_cast<qsizetype>(document.size())));
            } else {
                mime->setData(type, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
            }
        }
        QApplication::clipboard()->setMimeData(mime);
    }

    std::map<unsigned, std::string> GetData() override {
        EnsureToolkit();
        std::map<unsigned, std::string> result;
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        if (!mime) return result;
        for (const QString& type : mime->formats()) {
            const QByteArray bytes = mime->data(type);
            const std::string data(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            if (type == "text/plain")
                result[CF_TEXT] = FromQString(mime->text());
            else if (type == "application/x-sylk")
                result[CF_SYLK] = data;
            else if (type == "text/html")
                result[RegisterClipboardFormat("HTML Format")] = BuildClipboardHTML(data);
            else if (type == "text/rtf")
                result[RegisterClipboardFormat("Rich Text Format")] = data;
            else if (type == "image/png")
                result[CF_BITMAP] = data;
            else if (type.startsWith("application/x-taskmoor-"))
                result[RegisterClipboardFormat(FromQString(type.mid(23)))] = data;
        }
        return result;
    }
};

TSystemClipboard GSystemClipboard;
TClipboardService* GClipboard = &GSystemClipboard;

}  // namespace

unsigned RegisterClipboardFormat(const std::string& Name) {
    if (Name.empty()) return 0;
    auto& formats = Formats();
    for (const auto& f : formats)
        if (SameText(f.Name, Name)) return f.Id;
    const unsigned id = kFirstRegistered + static_cast<unsigned>(formats.size());
    formats.push_back({id, Name});
    return id;
}

std::string ClipboardFormatName(unsigned Format) {
    for (const auto& f : Formats())
        if (f.Id == Format) return f.Name;
    return {};
}

TClipboardService& ClipboardService() { return *GClipboard; }

TClipboardService* SetClipboardService(TClipboardService* Service) {
    TClipboardService* old = GClipboard;
    GClipboard = Service ? Service : &GSystemClipboard;
    return old == &GSystemClipboard ? nullptr : old;
}

// ---- TClipboard ----------------------------------------------------------------------------

void TClipboard::Open() {
    if (FOpenCount++ == 0) {
        FPending.clear();
        FChanged = false;
    }
}

void TClipboard::Close() {
    if (FOpenCount == 0) return;
    if (--FOpenCount == 0 && FChanged) {
        ClipboardService().SetData(FPending);
        FPending.clear();
        FChanged = false;
    }
}

void TClipboard::Clear() {
    if (FOpenCount > 0) {
        FPending.clear();
        FChanged = true;
    } else {
        ClipboardService().SetData({});
    }
}

void TClipboard::Put(unsigned Format, const std::string& Data) {
    if (FOpenCount > 0) {
        FPending[Format] = Data;
        FChanged = true;
    } else {
        ClipboardService().SetData({{Format, Data}});
    }
}

std::string TClipboard::AsText() {
    const auto data = ClipboardService().GetData();
    auto it = data.find(CF_TEXT);
    if (it == data.end()) it = data.find(CF_UNICODETEXT);
    return it == data.end() ? std::string() : it->second;
}

void TClipboard::SetAsText(const std::string& Value) { Put(CF_TEXT, Value); }

bool TClipboard::HasFormat(unsigned Format) {
    const auto data = ClipboardService().GetData();
    if (Format == CF_TEXT || Format == CF_UNICODETEXT)
        return data.count(CF_TEXT) || data.count(CF_UNICODETEXT);
    return data.count(Format) != 0;
}

std::string TClipboard::GetFormatData(unsigned Format) {
    const auto data = ClipboardService().GetData();
    auto it = data.find(Format);
    return it == data.end() ? std::string() : it->second;
}

void TClipboard::SetFormatData(unsigned Format, const std::string& Data) { Put(Format, Data); }

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}
