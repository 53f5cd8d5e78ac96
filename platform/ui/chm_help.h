// Compiled help files (".chm") and the help window that shows them.
//
// TChmFile reads a compiled help file: its pages and other objects, its
// title and default topic, the context map (context number -> page), the
// table of contents and the keyword index. A file that is missing or that
// cannot be read as a compiled help file raises EInOutError with a message
// naming the file; a reader never crashes on a damaged file.
//
// TChmHelpEngine is the help engine of the program (help.h): one help window
// with the table of contents and the keyword index beside a browser for the
// pages. It shows a topic, a context's topic, the table of contents, the
// result of a keyword look-up, and closes. A request it cannot carry out
// shows an error box with the reason and answers false.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/geometry.h"
#include "platform/ui/help.h"

// One line of the table of contents.
struct TChmTocEntry {
    std::string Name;
    std::string Local;  // the page (an object path, with an optional "#anchor"); may be empty
    std::vector<TChmTocEntry> Children;
};

// One keyword of the index.
struct TChmIndexEntry {
    std::string Keyword;
    int Level = 0;                    // 0 for a keyword, 1 for a sub-keyword, ...
    std::vector<std::string> Locals;  // its pages, as object paths
};

class TChmFile {
public:
    // Opens and checks the file; raises EInOutError when it is missing or damaged.
    explicit TChmFile(const std::string& FileName);
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    const std::string& FileName() const { return FFileName; }
    // The title of the help file (empty when it has none).
    const std::string& Title() const { return FTitle; }
    // The page shown first, as an object path ("/intro.htm").
    const std::string& DefaultTopic() const { return FDefaultTopic; }

    // Names of the file's own objects (pages, pictures, style sheets, ...),
    // each beginning with "/".
    std::vector<std::string> ObjectNames() const;
    // The object path that Path names in the file ("" when none): exact, then
    // without regard to letter case. Any "#anchor" is dropped.
    std::string FindObject(const std::string& Path) const;
    // The object's bytes; false when the file has no such object. Raises
    // EInOutError when the object cannot be read.
    bool ReadObject(const std::string& Path, std::string& Data) const;

    // Joins a link to the page it appears on: "/a/b.htm" and "c.htm#x" give
    // "/a/c.htm#x". "..", "." and a "file.chm::" prefix are dealt with.
    static std::string ResolveLink(const std::string& Base, const std::string& Link);

    // The page of a context number (object path with an optional anchor);
    // empty when the file maps no page to it.
    std::string TopicOfContext(int Context) const;
    const std::map<uint32_t, std::string>& ContextMap() const { return FContextMap; }

    const std::vector<TChmTocEntry>& Contents() const { return FContents; }
    const std::vector<TChmIndexEntry>& Index() const { return FIndex; }
    // The index entry of a keyword (compared without regard to case; several
    // keywords may be given separated by ";", the first one found counts);
    // -1 when the index has none.
    int FindKeyword(const std::string& Keyword) const;
    // The first entry whose keyword begins with Text (case ignored); -1 for none.
    int FindKeywordPrefix(const std::string& Text) const;

    // Messages of the reader.
    static std::string MissingMessage(const std::string& FileName);
    static std::string DamagedMessage(const std::string& FileName);

private:
    struct TImpl;
    void ReadSystem();
    void ReadContextMap();
    void ReadSitemaps();
    [[noreturn]] void Damaged() const;

    std::string FFileName;
    std::unique_ptr<TImpl> FImpl;
    std::string FTitle;
    std::string FDefaultTopic;
    std::string FContentsFile;
    std::string FIndexFile;
    std::map<uint32_t, std::string> FContextMap;
    std::vector<TChmTocEntry> FContents;
    std::vector<TChmIndexEntry> FIndex;
};

// Parses an HTML sitemap (a table of contents or an index file): nested
// lists of objects of type "text/sitemap" with "Name" and "Local" params.
// Tolerant of any text; never raises.
std::vector<TChmTocEntry> ParseChmSitemap(const std::string& Html);

// How the reader waits for its unpacking process: Wait(Fd, TimeoutMs) returns
// when Fd has something to read or is closed, or when TimeoutMs have passed
// (it may return earlier; the reader then waits again). None installed: a
// plain wait that blocks the calling thread. The help window installs one that
// runs the event loop meanwhile.
using TChmWaitFunc = std::function<void(int Fd, int TimeoutMs)>;
void SetChmWaitFunc(TChmWaitFunc Func);
// Runs Hook in the unpacking process before it reads the file (nullptr: none).
void SetChmUnpackChildHookForTesting(void (*Hook)());

// ---- The help engine ------------------------------------------------------------------
enum TChmHelpPane { hpContents, hpIndex };

class TChmHelpEngine : public THelpEngine {
public:
    TChmHelpEngine();
    ~TChmHelpEngine() override;

    // While a help file is read (the program's event loop runs meanwhile, under
    // the busy cursor) another request is refused: false, and no message.
    bool Execute(const THelpRequest& Request) override;
    bool Reading() const;

    // ---- What the window shows (for the program's tests)
    bool WindowShowing() const;
    // The help file open in the window ("" when none).
    std::string CurrentFile() const;
    // The page shown, as an object path with an optional "#anchor".
    std::string CurrentTopic() const;
    // The shown page's title and plain text.
    std::string PageTitle() const;
    std::string PageText() const;
    std::string WindowCaption() const;
    // The window's place and size on the screen, frame excluded.
    TRect WindowBounds() const;
    TChmHelpPane ActivePane() const;
    // The text in the index's search box and the keyword selected below it.
    std::string IndexSearchText() const;
    std::string SelectedKeyword() const;
    // The contents entry selected ("" when none).
    std::string SelectedContentsEntry() const;
    // The message of the last request that failed ("" after one that worked).
    const std::string& LastError() const { return FLastError; }
    // Paints the help window into a PNG file; false when none shows or the
    // file cannot be written.
    bool SaveWindowImage(const std::string& FileName) const;
    // Follows a link of the shown page, as a click on it would.
    void FollowLink(const std::string& Href);
    // Types into the index's search box; Display shows the selected keyword's page.
    void TypeIndexText(const std::string& Text);
    void DisplaySelectedKeyword();

    // Closes the help window and the file.
    void CloseAll();

private:
    struct TImpl;
    bool Run(const THelpRequest& Request);
    std::unique_ptr<TImpl> FImpl;
    std::string FLastError;
};

// The program's help engine (made on first use).
TChmHelpEngine& ChmHelpEngine();
// Makes it the engine of the help system (SetHelpEngine).
void InstallChmHelpEngine();
