// The help manager and the recording help engine.
#include "platform/ui/help.h"

#include <algorithm>

#include "platform/ui/application.h"

IHelpManager* THelpManager::RegisterViewer(std::shared_ptr<ICustomHelpViewer> Viewer) {
    if (!Viewer) return this;
    const int id = FNextID++;
    FViewers.push_back({id, Viewer});
    Viewer->NotifyID(id);
    return this;
}

void THelpManager::Release(int ViewerID) {
    FViewers.erase(std::remove_if(FViewers.begin(), FViewers.end(),
                                  [ViewerID](const TEntry& e) { return e.ID == ViewerID; }),
                   FViewers.end());
}

void THelpManager::ShutDownAll() {
    const std::vector<TEntry> viewers = std::move(FViewers);
    FViewers.clear();
    for (const auto& e : viewers) e.Viewer->ShutDown();
}

std::string THelpManager::GetHelpFile() { return Application ? Application->HelpFile() : std::string(); }

uintptr_t THelpManager::GetHandle() {
    if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
        return Application->MainForm()->Handle();
    return 0;
}

bool THelpManager::ContextHelp(int Context) {
    const std::string file = GetHelpFile();
    const std::vector<TEntry> viewers = FViewers;
    for (const auto& e : viewers)
        if (auto* ext = dynamic_cast<IExtendedHelpViewer*>(e.Viewer.get());
            ext && ext->UnderstandsContext(Context, file)) {
            ext->DisplayHelpByContext(Context, file);
            return true;
        }
    return false;
}

bool THelpManager::KeywordHelp(const std::string& Keyword) {
    const std::vector<TEntry> viewers = FViewers;
    for (const auto& e : viewers)
        if (e.Viewer->UnderstandsKeyword(Keyword) > 0) {
            e.Viewer->ShowHelp(Keyword);
            return true;
        }
    return false;
}

bool THelpManager::TopicHelp(const std::string& Topic) {
    const std::vector<TEntry> viewers = FViewers;
    for (const auto& e : viewers)
        if (auto* ext = dynamic_cast<IExtendedHelpViewer*>(e.Viewer.get());
            ext && ext->UnderstandsTopic(Topic)) {
            ext->DisplayTopic(Topic);
            return true;
        }
    return false;
}

bool THelpManager::ShowTableOfContents() {
    const std::vector<TEntry> viewers = FViewers;
    for (const auto& e : viewers)
        if (e.Viewer->CanShowTableOfContents()) {
            e.Viewer->ShowTableOfContents();
            return true;
        }
    return false;
}

THelpManager& HelpManager() {
    static THelpManager manager;
    return manager;
}

bool THelpRecorder::Execute(const THelpRequest& Request) {
    FRequests.push_back(Request);
    return true;
}

namespace {
THelpEngine* GEngine = nullptr;
}

THelpRecorder& DefaultHelpRecorder() {
    static THelpRecorder recorder;
    return recorder;
}

THelpEngine& HelpEngine() { return GEngine ? *GEngine : DefaultHelpRecorder(); }

THelpEngine* SetHelpEngine(THelpEngine* Engine) {
    THelpEngine* old = GEngine;
    GEngine = Engine;
    return old;
}
