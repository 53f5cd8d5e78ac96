// The help viewer for compiled HTML help files (".chm").
//
// Registered with the help manager, it answers for help requests while the
// application's help file has the extension ".chm" (letter case ignored) and
// hands them to the help engine as its commands: a topic, the table of
// contents, a context, a keyword look-up, and closing all help windows.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/help.h"

class TStringList;

class THTMLHelpViewer : public ICustomHelpViewer, public IExtendedHelpViewer {
public:
    THTMLHelpViewer() = default;

    // ---- ICustomHelpViewer
    std::string GetViewerName() override;
    int UnderstandsKeyword(const std::string& HelpString) override;
    TStringList* GetHelpStrings(const std::string& HelpString) override;
    bool CanShowTableOfContents() override;
    void ShowTableOfContents() override;
    void ShowHelp(const std::string& HelpString) override;
    void NotifyID(int ViewerID) override;
    // The help windows stay until ShutDown.
    void SoftShutDown() override {}
    void ShutDown() override;

    // ---- IExtendedHelpViewer
    bool UnderstandsTopic(const std::string& Topic) override;
    void DisplayTopic(const std::string& Topic) override;
    bool UnderstandsContext(int ContextID, const std::string& HelpFileName) override;
    void DisplayHelpByContext(int ContextID, const std::string& HelpFileName) override;

    // The manager's reference (given at registration; none after ShutDown)
    // and the identifier it assigned.
    IHelpManager* HelpManager() const { return FHelpManager; }
    void SetHelpManager(IHelpManager* Value) { FHelpManager = Value; }
    int ViewerID() const { return FViewerID; }

private:
    std::string HelpFile() const;
    bool HelpFileIsChm() const;
    IHelpManager* FHelpManager = nullptr;
    int FViewerID = 0;
};

// Creates the viewer and registers it with the help manager (once); answers it.
std::shared_ptr<THTMLHelpViewer> RegisterHTMLHelpViewer();
// At the end: closes every HTML help window.
void FinalizeHTMLHelpViewer();
