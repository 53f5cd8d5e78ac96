// The incremental search edit: while the user types, the dataset of its data
// source moves, after a short pause, to the nearest record whose search field
// starts with the text.
#pragma once

#include <memory>
#include <string>

#include "platform/core/enums.h"
#include "platform/ui/stdctrls.h"

class TDataLink;
class TDataSet;
class TDataSource;
class TField;
class TTimer;
class TqzController;
class TqzEditFrame;
class TqzIncrementalSearch;
class TqzQuery;
class TTable;

TASKMOOR_ENUM(TqzSearchCaseSensitivity, qzcsAutoDetect, qzcsCaseSensitive, qzcsCaseInsensitive)

// (Sender, MatchFound)
using TqzAfterSearchEvent = TEvent<TqzIncrementalSearch*, bool>;
// (Sender, LookupTable, SearchField, SearchValue, PerformLookup, var Found)
using TqzPerformCustomSearchEvent =
    TEvent<TObject*, TDataSet*, const std::string&, const std::string&, bool, bool&>;

// Like the suite's edits it draws an edit frame (its own, or its
// controller's copy), by focus, over the platform's edit.
//
// Roads: OnPerformCustomSearch when assigned; else, with the suite's
// UseLocateMethodForSearch, the dataset's Locate (partial key); else the
// suite's field search at the start of the text. The engine's tables search
// their active index (a nearest key) or several fields at once.
class TqzIncrementalSearch : public TCustomEdit {
    TASKMOOR_CLASS(TqzIncrementalSearch, TCustomEdit)
public:
    explicit TqzIncrementalSearch(TComponent* AOwner);
    ~TqzIncrementalSearch() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    const std::string& SearchField() const { return FSearchField; }
    void SetSearchField(const std::string& Value) { FSearchField = Value; }
    int SearchDelay() const { return FSearchDelay; }
    void SetSearchDelay(int Value) { FSearchDelay = Value; }
    TqzSearchCaseSensitivity CaseSensitivity() const { return FCaseSensitivity; }
    void SetCaseSensitivity(TqzSearchCaseSensitivity Value) { FCaseSensitivity = Value; }
    bool ShowMatchText() const { return FShowMatchText; }
    void SetShowMatchText(bool Value) { FShowMatchText = Value; }
    const std::string& PictureMask() const { return FPictureMask; }
    void SetPictureMask(const std::string& Value) { FPictureMask = Value; }
    bool PictureMaskAutoFill() const { return FPictureMaskAutoFill; }
    void SetPictureMaskAutoFill(bool Value) { FPictureMaskAutoFill = Value; }
    bool PictureMaskFromField() const { return FPictureMaskFromField; }
    void SetPictureMaskFromField(bool Value) { FPictureMaskFromField = Value; }
    TqzAfterSearchEvent OnAfterSearch() const { return FOnAfterSearch; }
    void SetOnAfterSearch(TqzAfterSearchEvent Value) { FOnAfterSearch = Value; }
    TqzPerformCustomSearchEvent OnPerformCustomSearch() const { return FOnPerformCustomSearch; }
    void SetOnPerformCustomSearch(TqzPerformCustomSearchEvent Value) { FOnPerformCustomSearch = Value; }
    TqzEditFrame* Frame() const { return FFrame.get(); }
    void SetFrame(TqzEditFrame* Value);
    TqzController* Controller() const { return FController; }
    // Joins the controller's list and takes a copy of its frame.
    void SetController(TqzController* Value);
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value) { FDisableThemes = Value; }

    // Empties the text and forgets the last searched text.
    void Clear();
    TTimer* SearchTimer() const { return FTimer; }
    // The field the search uses (see the roads above); nullptr when none.
    TField* GetSearchField() const;
    // Searches for the text now; answers whether a record matched.
    bool DoSearch();

    static void Publish(TPublisher<TqzIncrementalSearch>& p);

protected:
    virtual void DoPerformCustomSearch(const std::string& Field, const std::string& Value, bool PerformLookup,
                                       bool& Found);
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // With the frame enabled: the text rectangle inside the frame, reaching
    // to the client width less 1 and the client height plus 1.
    virtual void SetEditRect();
    void CreateWindowHandle(const TCreateParams& Params) override;
    void BoundsChanged() override;
    void DoEnter() override;
    void DoExit() override;
    void PaintOverWidget(TCanvas* Canvas) override;

private:
    void DoDelayedSearch(TObject* Sender);
    bool SearchTable(TTable* Table, const std::string& Text);
    bool SearchQuery(TqzQuery* Query, TField* Field, const std::string& Text);
    TDataSet* DataSet() const;
    std::unique_ptr<TDataLink> FDataLink;
    TTimer* FTimer;
    std::string FLastSearch;
    std::string FSearchField;
    int FSearchDelay = 0;
    TqzSearchCaseSensitivity FCaseSensitivity = qzcsAutoDetect;
    bool FShowMatchText = false;
    std::string FPictureMask;
    bool FPictureMaskAutoFill = true;
    bool FPictureMaskFromField = false;
    TqzAfterSearchEvent FOnAfterSearch;
    TqzPerformCustomSearchEvent FOnPerformCustomSearch;
    std::unique_ptr<TqzEditFrame> FFrame;
    TqzController* FController = nullptr;
    bool FDisableThemes = false;
};
