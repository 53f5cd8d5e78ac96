// The help system: viewers register with the help manager; a help request
// (context, keyword, topic, table of contents) goes to the first viewer that
// says it understands it. Application->HelpContext and friends come here
// after their OnHelp event.
//
// The help engine is what a viewer drives to show a help file. The one
// installed by default records the requests (THelpRecorder) until a real
// engine is installed with SetHelpEngine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStringList;

// The help manager as a viewer sees it.
class IHelpManager {
public:
    virtual ~IHelpManager() = default;
    virtual std::string GetHelpFile() = 0;
    // The application's window identity (for help engines that want one).
    virtual uintptr_t GetHandle() = 0;
    // The viewer leaves the manager.
    virtual void Release(int ViewerID) = 0;
};

class ICustomHelpViewer {
public:
    virtual ~ICustomHelpViewer() = default;
    virtual std::string GetViewerName() = 0;
    // How many topics the keyword has here (0: not understood).
    virtual int UnderstandsKeyword(const std::string& HelpString) = 0;
    // A new list (the caller frees it) of the keyword's topics.
    virtual TStringList* GetHelpStrings(const std::string& HelpString) = 0;
    virtual bool CanShowTableOfContents() = 0;
    virtual void ShowTableOfContents() = 0;
    virtual void ShowHelp(const std::string& HelpString) = 0;
    virtual void NotifyID(int ViewerID) = 0;
    virtual void SoftShutDown() = 0;
    virtual void ShutDown() = 0;
};

class IExtendedHelpViewer {
public:
    virtual ~IExtendedHelpViewer() = default;
    virtual bool UnderstandsTopic(const std::string& Topic) = 0;
    virtual void DisplayTopic(const std::string& Topic) = 0;
    virtual bool UnderstandsContext(int ContextID, const std::string& HelpFileName) = 0;
    virtual void DisplayHelpByContext(int ContextID, const std::string& HelpFileName) = 0;
};

class THelpManager : public IHelpManager {
public:
    // Takes a viewer in; it is told its identifier (NotifyID). Answers the
    // manager for the viewer to keep.
    IHelpManager* RegisterViewer(std::shared_ptr<ICustomHelpViewer> Viewer);
    // Every viewer is told to shut down and leaves.
    void ShutDownAll();
    int ViewerCount() const { return static_cast<int>(FViewers.size()); }

    // The requests; false when no viewer understood.
    bool ContextHelp(int Context);
    bool KeywordHelp(const std::string& Keyword);
    bool TopicHelp(const std::string& Topic);
    bool ShowTableOfContents();

    std::string GetHelpFile() override;
    uintptr_t GetHandle() override;
    void Release(int ViewerID) override;

private:
    struct TEntry {
        int ID;
        std::shared_ptr<ICustomHelpViewer> Viewer;
    };
    std::vector<TEntry> FViewers;
    int FNextID = 1;
};

THelpManager& HelpManager();

// ---- Help engine ------------------------------------------------------------------
enum THelpCommand { hcDisplayTopic, hcTableOfContents, hcKeywordLookup, hcContext, hcCloseAll };

struct THelpRequest {
    THelpCommand Command = hcContext;
    std::string HelpFile;
    int Context = 0;
    std::string Text;  // keyword or topic
};

class THelpEngine {
public:
    virtual ~THelpEngine() = default;
    // Shows what the request asks for; false when it could not.
    virtual bool Execute(const THelpRequest& Request) = 0;
};

// Records every request and shows nothing.
class THelpRecorder : public THelpEngine {
public:
    bool Execute(const THelpRequest& Request) override;
    const std::vector<THelpRequest>& Requests() const { return FRequests; }
    void Clear() { FRequests.clear(); }

private:
    std::vector<THelpRequest> FRequests;
};

THelpEngine& HelpEngine();
// Installs an engine (nullptr: the recorder); answers the old one.
THelpEngine* SetHelpEngine(THelpEngine* Engine);
// The recorder installed by default.
THelpRecorder& DefaultHelpRecorder();
