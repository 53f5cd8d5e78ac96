// The help window: contents and index on the left, the page on the right.
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <sys/stat.h>

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/text.h"
#include "platform/ui/application.h"
#include "platform/ui/chm_help.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/qt_window_frame.h"

namespace {

constexpr const char* kScheme = "chm";
constexpr int kLocalRole = Qt::UserRole + 1;

QUrl UrlOfTopic(const std::string& Topic) {
    QUrl url;
    url.setScheme(kScheme);
    size_t hash = Topic.find('#');
    url.setPath(QString::fromStdString(Topic.substr(0, hash)));
    if (hash != std::string::npos) url.setFragment(QString::fromStdString(Topic.substr(hash + 1)));
    return url;
}

std::string HtmlEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

// A relative help file name is looked for in the current folder, then in
// the program's folder.
std::string LocateHelpFile(const std::string& Name) {
    if (Name.empty() || Name[0] == '/') return Name;
    if (FileExists(Name)) return ExpandFileName(Name);
    std::string beside = ExtractFilePath(ApplicationExeName()) + Name;
    if (!ExtractFilePath(ApplicationExeName()).empty() && FileExists(beside)) return beside;
    return Name;
}

// Waits for the unpacking process in the event loop: the program repaints and
// answers meanwhile.
void WaitInEventLoop(int Fd, int TimeoutMs) {
    QEventLoop loop;
    QSocketNotifier notifier(Fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(TimeoutMs);
    loop.exec();
}

// While a help file is read: the busy cursor, the event-loop wait, and the
// flag that refuses another request.
class TReadingScope {
public:
    explicit TReadingScope(bool& Reading) : FReading(Reading) {
        FReading = true;
        if (QCoreApplication::instance()) SetChmWaitFunc(WaitInEventLoop);
    }
    ~TReadingScope() {
        SetChmWaitFunc(nullptr);
        FReading = false;
    }
    TReadingScope(const TReadingScope&) = delete;
    TReadingScope& operator=(const TReadingScope&) = delete;

private:
    bool& FReading;
    TCursorScope FCursor{crHourGlass};
};

class TChmBrowser : public QTextBrowser {
public:
    explicit TChmBrowser(QWidget* Parent) : QTextBrowser(Parent) {}
    const TChmFile* File = nullptr;

    QVariant loadResource(int Type, const QUrl& Name) override {
        if (!File || Name.scheme() != kScheme) return {};
        std::string data;
        if (!File->ReadObject(Name.path().toStdString(), data)) {
            if (Type == QTextDocument::HtmlResource)
                return QString::fromStdString("<html><body><p>The page \"" +
                                              HtmlEscape(Name.path().toStdString()) +
                                              "\" is not in this help file.</p></body></html>");
            return {};
        }
        if (Type == QTextDocument::HtmlResource || Type == QTextDocument::StyleSheetResource)
            return QString::fromStdString(EnsureUtf8(data));
        return QByteArray(data.data(), static_cast<qsizetype>(data.size()));
    }
};

// The help window: Escape closes it, from any of its parts that leaves the
// key to it.
class THelpWindow : public QWidget {
public:
    THelpWindow() : QWidget(nullptr, Qt::Window) {}

protected:
    void keyPressEvent(QKeyEvent* Event) override {
        if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
            hide();
            return;
        }
        QWidget::keyPressEvent(Event);
    }
};

}  // namespace

struct TChmHelpEngine::TImpl {
    std::unique_ptr<TChmFile> File;
    std::string OpenPath;  // the file open, as located
    time_t OpenTime = 0;
    off_t OpenSize = 0;
    QPointer<QWidget> Window;
    bool Placed = false;
    QTabWidget* Tabs = nullptr;
    QTreeWidget* Tree = nullptr;
    QLineEdit* Search = nullptr;
    QListWidget* List = nullptr;
    TChmBrowser* Browser = nullptr;
    std::string Topic;
    bool Reading = false;  // a help file is being read (the event loop runs meanwhile)

    ~TImpl() {
        // Widgets can only go while the toolkit is up.
        if (Window && QCoreApplication::instance()) delete Window.data();
    }

    void OpenFile(const std::string& Name) {
        std::string path = LocateHelpFile(Name);
        struct stat st {};
        bool have = ::stat(path.c_str(), &st) == 0;
        if (File && path == OpenPath && have && st.st_mtime == OpenTime && st.st_size == OpenSize) return;
        // Reading may fail: the window keeps the old file until the new one is in.
        std::unique_ptr<TChmFile> file;
        {
            TReadingScope reading(Reading);
            file = std::make_unique<TChmFile>(path);
        }
        File = std::move(file);
        OpenPath = path;
        OpenTime = have ? st.st_mtime : 0;
        OpenSize = have ? st.st_size : 0;
        Topic.clear();
        if (Window) {
            Browser->File = File.get();
            FillPanes();
            Browser->clear();
        }
    }

    void EnsureWindow() {
        if (Window) return;
        EnsureToolkit();
        auto* w = new THelpWindow();
        w->setAttribute(Qt::WA_QuitOnClose, false);
        w->resize(820, 560);
        auto* split = new QSplitter(Qt::Horizontal, w);
        auto* layout = new QHBoxLayout(w);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(split);

        Tabs = new QTabWidget(split);
        Tree = new QTreeWidget(Tabs);
        Tree->setHeaderHidden(true);
        Tabs->addTab(Tree, QStringLiteral("Contents"));
        auto* indexPage = new QWidget(Tabs);
        auto* indexLayout = new QVBoxLayout(indexPage);
        Search = new QLineEdit(indexPage);
        List = new QListWidget(indexPage);
        auto* display = new QPushButton(QStringLiteral("Display"), indexPage);
        indexLayout->addWidget(Search);
        indexLayout->addWidget(List);
        indexLayout->addWidget(display, 0, Qt::AlignRight);
        Tabs->addTab(indexPage, QStringLiteral("Index"));

        Browser = new TChmBrowser(split);
        Browser->setOpenLinks(false);
        Browser->setOpenExternalLinks(false);
        Browser->File = File.get();
        split->addWidget(Tabs);
        split->addWidget(Browser);
        split->setStretchFactor(0, 0);
        split->setStretchFactor(1, 1);
        split->setSizes({240, 580});

        // The browser gives a link resolved against the page shown: one of
        // this file by its path.
        QObject::connect(Browser, &QTextBrowser::anchorClicked, w, [this](const QUrl& url) {
            if (url.scheme() != QLatin1String(kScheme)) return Follow(url.toString().toStdString());
            std::string topic = url.path(QUrl::FullyEncoded).toStdString();
            if (url.hasFragment()) topic += "#" + url.fragment(QUrl::FullyEncoded).toStdString();
            Follow(topic);
        });
        // A click, or Enter on the entry reached with the arrow keys.
        const auto showEntry = [this](QTreeWidgetItem* item, int) {
            std::string local = item->data(0, kLocalRole).toString().toStdString();
            if (!local.empty()) Guarded([&] { ShowTopic(local); });
        };
        QObject::connect(Tree, &QTreeWidget::itemClicked, w, showEntry);
        QObject::connect(Tree, &QTreeWidget::itemActivated, w, showEntry);
        QObject::connect(Search, &QLineEdit::textEdited, w,
                         [this](const QString& text) { SelectPrefix(text.toStdString()); });
        QObject::connect(Search, &QLineEdit::returnPressed, w,
                         [this] { Guarded([&] { DisplaySelected(); }); });
        QObject::connect(List, &QListWidget::itemActivated, w,
                         [this](QListWidgetItem*) { Guarded([&] { DisplaySelected(); }); });
        QObject::connect(display, &QPushButton::clicked, w, [this] { Guarded([&] { DisplaySelected(); }); });
        Window = w;
        Placed = false;
        FillPanes();
    }

    // Errors raised inside the window's own handlers become an error box.
    template <class F>
    void Guarded(F&& Func) {
        try {
            Func();
        } catch (const Exception& e) {
            MessageDlg(e.Message(), mtError, TMsgDlgButtons{mbOK}, 0);
        }
    }

    void AddTocItems(QTreeWidgetItem* Parent, const std::vector<TChmTocEntry>& Entries) {
        for (const TChmTocEntry& e : Entries) {
            auto* item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Tree);
            item->setText(0, QString::fromStdString(e.Name));
            item->setData(0, kLocalRole, QString::fromStdString(e.Local));
            AddTocItems(item, e.Children);
        }
    }

    void FillPanes() {
        Tree->clear();
        List->clear();
        Search->clear();
        if (!File) return;
        AddTocItems(nullptr, File->Contents());
        Tree->expandAll();
        for (const TChmIndexEntry& e : File->Index())
            List->addItem(QString(e.Level * 4, QLatin1Char(' ')) + QString::fromStdString(e.Keyword));
        std::string caption = File->Title().empty() ? ExtractFileName(File->FileName()) : File->Title();
        Window->setWindowTitle(QString::fromStdString(caption));
    }

    void ShowTopic(const std::string& Topic) {
        std::string page = File->FindObject(Topic);
        if (page.empty())
            throw EInOutError("The help file \"" + File->FileName() + "\" has no topic \"" + Topic + "\".");
        size_t hash = Topic.find('#');
        this->Topic = page + (hash == std::string::npos ? std::string() : Topic.substr(hash));
        Browser->setSource(UrlOfTopic(this->Topic));
        SyncContents();
    }

    void ShowWindow() {
        if (Topic.empty()) ShowTopic(File->DefaultTopic());
        // A window that opens gives the keys to its pane's list or search field.
        if (!Window->isVisible())
            (Tabs->currentIndex() == 1 ? static_cast<QWidget*>(Search) : Tree)->setFocus();
        const bool place = !Placed;
        if (place) PlaceWindow();
        Window->show();
        if (place) FitOnceFramed(Window);
        Window->raise();
    }

    // The first showing centres the window on the program's main window
    // (on the screen when none shows), its caption on the screen.
    void PlaceWindow() {
        Placed = true;
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        QPoint centre;
        if (main && main->Visible()) {
            centre = QPoint(main->Left() + main->Width() / 2, main->Top() + main->Height() / 2);
        } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
            centre = screen->availableGeometry().center();
        } else {
            return;
        }
        Window->move(std::max(0, centre.x() - Window->width() / 2),
                     std::max(0, centre.y() - Window->height() / 2));
        FitOnScreen();
    }

    // On the screen's work area, frame and caption included, as every form
    // opens: smaller when the screen is, moved onto it when partly off it.
    void FitOnScreen() {
        if (!Screen) return;
        const int frame = GetSystemMetrics(SM_CXFRAME), caption = GetSystemMetrics(SM_CYCAPTION);
        const QPoint at = Window->pos();
        const TRect outer = Rect(at.x(), at.y(), at.x() + Window->width() + 2 * frame,
                                 at.y() + Window->height() + 2 * frame + caption);
        const TRect fitted = Screen->FitToWorkArea(outer, false);
        if (fitted == outer) return;
        Window->resize(std::max(1, fitted.Right - fitted.Left - 2 * frame),
                       std::max(1, fitted.Bottom - fitted.Top - 2 * frame - caption));
        Window->move(fitted.Left, fitted.Top);
    }

    // Selects the contents line of the page shown.
    void SyncContents() {
        std::string page = Topic.substr(0, Topic.find('#'));
        QTreeWidgetItem* best = nullptr;
        for (QTreeWidgetItemIterator it(Tree); *it; ++it) {
            std::string local = (*it)->data(0, kLocalRole).toString().toStdString();
            if (local == Topic) {
                best = *it;
                break;
            }
            if (!best && File->FindObject(local) == page) best = *it;
        }
        Tree->setCurrentItem(best);
        if (!best) Tree->clearSelection();
    }

    void SelectPrefix(const std::string& Text) {
        int i = Text.empty() ? -1 : File->FindKeywordPrefix(Text);
        if (i >= 0)
            List->setCurrentRow(i);
        else
            List->setCurrentRow(-1);
    }

    void DisplaySelected() {
        int row = List->currentRow();
        if (row < 0 || row >= static_cast<int>(File->Index().size())) return;
        const TChmIndexEntry& e = File->Index()[static_cast<size_t>(row)];
        if (!e.Locals.empty()) ShowTopic(e.Locals.front());
    }

    void Follow(const std::string& Href) {
        std::string target = TChmFile::ResolveLink(Topic, Href);
        if (target.empty() || target[0] != '/') return;  // not a page of this file
        if (target.rfind("/#", 0) == 0 || target == "/")
            target = Topic.substr(0, Topic.find('#')) + target.substr(1);
        Guarded([&] { ShowTopic(target); });
    }
};

TChmHelpEngine::TChmHelpEngine() : FImpl(std::make_unique<TImpl>()) {}

TChmHelpEngine::~TChmHelpEngine() = default;

bool TChmHelpEngine::Execute(const THelpRequest& Request) {
    // While a file is read the event loop runs: another request waits for the user
    // to ask again once the busy cursor has gone.
    if (FImpl->Reading) return false;
    try {
        bool done = Run(Request);
        FLastError.clear();
        return done;
    } catch (const Exception& e) {
        FLastError = e.Message();
        MessageDlg(e.Message(), mtError, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
}

bool TChmHelpEngine::Run(const THelpRequest& Request) {
    if (Request.Command == hcCloseAll) {
        CloseAll();
        return true;
    }
    std::string file = Request.HelpFile;
    std::string topic;
    if (Request.Command == hcDisplayTopic) {
        size_t sep = file.find("::");
        if (sep != std::string::npos) {
            topic = file.substr(sep + 2);
            file = file.substr(0, sep);
        } else {
            topic = Request.Text;
        }
    }
    if (file.empty()) throw EInOutError("No help file is given.");
    TImpl& d = *FImpl;
    d.OpenFile(file);
    d.EnsureWindow();
    switch (Request.Command) {
    case hcDisplayTopic:
        d.ShowTopic(topic.empty() ? d.File->DefaultTopic() : TChmFile::ResolveLink("/", topic));
        break;
    case hcContext: {
        std::string page = d.File->TopicOfContext(Request.Context);
        if (page.empty())
            throw EInOutError("The help file \"" + d.File->FileName() + "\" has no topic for help context " +
                              std::to_string(Request.Context) + ".");
        d.ShowTopic(page);
        break;
    }
    case hcTableOfContents: d.Tabs->setCurrentIndex(0); break;
    case hcKeywordLookup: {
        d.Tabs->setCurrentIndex(1);
        int i = d.File->FindKeyword(Request.Text);
        d.Search->setText(
            QString::fromStdString(i >= 0 ? d.File->Index()[static_cast<size_t>(i)].Keyword : Request.Text));
        if (i >= 0) {
            d.List->setCurrentRow(i);
            d.DisplaySelected();
        } else {
            // Not found: the index shows, open at the nearest keyword.
            d.SelectPrefix(Request.Text);
        }
        break;
    }
    case hcCloseAll: break;
    }
    d.ShowWindow();
    return true;
}

void TChmHelpEngine::CloseAll() {
    TImpl& d = *FImpl;
    if (d.Window) {
        d.Window->hide();
        delete d.Window.data();
    }
    d.File.reset();
    d.OpenPath.clear();
    d.Topic.clear();
    d.Tabs = nullptr;
    d.Tree = nullptr;
    d.Search = nullptr;
    d.List = nullptr;
    d.Browser = nullptr;
}

bool TChmHelpEngine::Reading() const { return FImpl->Reading; }

bool TChmHelpEngine::WindowShowing() const { return FImpl->Window && FImpl->Window->isVisible(); }

std::string TChmHelpEngine::CurrentFile() const {
    return FImpl->File ? FImpl->File->FileName() : std::string();
}

std::string TChmHelpEngine::CurrentTopic() const { return FImpl->Window ? FImpl->Topic : std::string(); }

std::string TChmHelpEngine::PageTitle() const {
    return FImpl->Window ? FImpl->Browser->documentTitle().toStdString() : std::string();
}

std::string TChmHelpEngine::PageText() const {
    return FImpl->Window ? FImpl->Browser->toPlainText().toStdString() : std::string();
}

std::string TChmHelpEngine::WindowCaption() const {
    return FImpl->Window ? FImpl->Window->windowTitle().toStdString() : std::string();
}

TChmHelpPane TChmHelpEngine::ActivePane() const {
    return FImpl->Window && FImpl->Tabs->currentIndex() == 1 ? hpIndex : hpContents;
}

std::string TChmHelpEngine::IndexSearchText() const {
    return FImpl->Window ? FImpl->Search->text().toStdString() : std::string();
}

std::string TChmHelpEngine::SelectedKeyword() const {
    if (!FImpl->Window || !FImpl->File) return {};
    int row = FImpl->List->currentRow();
    if (row < 0 || row >= static_cast<int>(FImpl->File->Index().size())) return {};
    return FImpl->File->Index()[static_cast<size_t>(row)].Keyword;
}

std::string TChmHelpEngine::SelectedContentsEntry() const {
    if (!FImpl->Window) return {};
    QTreeWidgetItem* item = FImpl->Tree->currentItem();
    return item ? item->text(0).toStdString() : std::string();
}

TRect TChmHelpEngine::WindowBounds() const {
    if (!FImpl->Window) return {};
    const QRect r = FImpl->Window->geometry();
    return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool TChmHelpEngine::SaveWindowImage(const std::string& FileName) const {
    if (!FImpl->Window) return false;
    return FImpl->Window->grab().save(QString::fromStdString(FileName), "PNG");
}

void TChmHelpEngine::FollowLink(const std::string& Href) {
    if (FImpl->Window && FImpl->File) FImpl->Follow(Href);
}

void TChmHelpEngine::TypeIndexText(const std::string& Text) {
    if (!FImpl->Window || !FImpl->File) return;
    FImpl->Tabs->setCurrentIndex(1);
    FImpl->Search->setText(QString::fromStdString(Text));
    FImpl->SelectPrefix(Text);
}

void TChmHelpEngine::DisplaySelectedKeyword() {
    if (FImpl->Window && FImpl->File) FImpl->Guarded([&] { FImpl->DisplaySelected(); });
}

TChmHelpEngine& ChmHelpEngine() {
    static TChmHelpEngine engine;
    return engine;
}

void InstallChmHelpEngine() { SetHelpEngine(&ChmHelpEngine()); }
