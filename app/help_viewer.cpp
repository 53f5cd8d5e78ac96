// The viewer's answers for ".chm" help files: keywords, contents and topics handed to
// the help engine.
#include "app/help_viewer.h"

#include "platform/core/files.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"

std::string THTMLHelpViewer::HelpFile() const {
    return FHelpManager ? FHelpManager->GetHelpFile() : std::string();
}

bool THTMLHelpViewer::HelpFileIsChm() const { return SameText(ExtractFileExt(HelpFile()), ".chm"); }

std::string THTMLHelpViewer::GetViewerName() { return "HTMLHelp Viewer"; }

int THTMLHelpViewer::UnderstandsKeyword(const std::string&) { return HelpFileIsChm() ? 1 : 0; }

TStringList* THTMLHelpViewer::GetHelpStrings(const std::string& HelpString) {
    auto* list = new TStringList();
    if (HelpFileIsChm()) list->Add(HelpString);
    return list;
}

bool THTMLHelpViewer::CanShowTableOfContents() { return HelpFileIsChm(); }

void THTMLHelpViewer::ShowTableOfContents() { HelpEngine().Execute({hcTableOfContents, HelpFile(), 0, ""}); }

void THTMLHelpViewer::ShowHelp(const std::string& HelpString) {
    // The index shows when the keyword is not found.
    HelpEngine().Execute({hcKeywordLookup, HelpFile(), 0, HelpString});
}

void THTMLHelpViewer::NotifyID(int ViewerID) { FViewerID = ViewerID; }

void THTMLHelpViewer::ShutDown() {
    HelpEngine().Execute({hcCloseAll, "", 0, ""});
    if (FHelpManager) {
        IHelpManager* manager = FHelpManager;
        FHelpManager = nullptr;
        manager->Release(FViewerID);
    }
}

bool THTMLHelpViewer::UnderstandsTopic(const std::string&) { return HelpFileIsChm(); }

void THTMLHelpViewer::DisplayTopic(const std::string& Topic) {
    std::string target = HelpFile() + (!Topic.empty() && Topic[0] == '/' ? "::" : "::/") + Topic;
    HelpEngine().Execute({hcDisplayTopic, target, 0, ""});
}

bool THTMLHelpViewer::UnderstandsContext(int, const std::string&) { return HelpFileIsChm(); }

void THTMLHelpViewer::DisplayHelpByContext(int ContextID, const std::string&) {
    HelpEngine().Execute({hcContext, HelpFile(), ContextID, ""});
}

namespace {
std::weak_ptr<THTMLHelpViewer> GViewer;
}

std::shared_ptr<THTMLHelpViewer> RegisterHTMLHelpViewer() {
    std::shared_ptr<THTMLHelpViewer> viewer = GViewer.lock();
    if (viewer && viewer->HelpManager()) return viewer;
    viewer = std::make_shared<THTMLHelpViewer>();
    viewer->SetHelpManager(HelpManager().RegisterViewer(viewer));
    GViewer = viewer;
    return viewer;
}

void FinalizeHTMLHelpViewer() { HelpEngine().Execute({hcCloseAll, "", 0, ""}); }
