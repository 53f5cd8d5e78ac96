// The search edit's data source and frame, the timer after each key, and the move to the
// nearest record by the typed letters.
#include "suite/data/qzkeycb.h"

#include "platform/core/case_fold.h"
#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/messages.h"
#include "platform/ui/timer.h"
#include "suite/base/picture_validator.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzeditframe.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/data/qzdbtables.h"

namespace {

constexpr unsigned kDefaultDelay = 200;

// The byte offset in S after its first Letters characters (edit positions
// count bytes).
int ByteOffsetOfLetters(const std::string& S, std::size_t Letters) {
    std::size_t at = 0;
    for (; at < S.size() && Letters > 0; --Letters) {
        ++at;
        while (at < S.size() && (static_cast<unsigned char>(S[at]) & 0xC0) == 0x80) ++at;
    }
    return static_cast<int>(at);
}

// The search edit seen with positions in characters, as the picture mask
// routine counts them; the edit itself counts bytes.
struct TLetterPositions {
    TCustomEdit* Edit;
    std::string Text() const { return Edit->Text(); }
    void SetText(const std::string& Value) { Edit->SetText(Value); }
    int SelStart() const {
        return static_cast<int>(
            Utf8Length(Edit->Text().substr(0, static_cast<std::size_t>(Edit->SelStart()))));
    }
    int SelLength() const {
        const std::string text = Edit->Text();
        const auto start = static_cast<std::size_t>(Edit->SelStart());
        return static_cast<int>(Utf8Length(text.substr(start, static_cast<std::size_t>(Edit->SelLength()))));
    }
    void SetSelStart(int Letters) {
        Edit->SetSelStart(ByteOffsetOfLetters(Edit->Text(), static_cast<std::size_t>(Letters)));
    }
    void SetSelLength(int Letters) {
        const std::string text = Edit->Text();
        const int start = Edit->SelStart();
        const std::string rest = text.substr(static_cast<std::size_t>(start));
        Edit->SetSelLength(ByteOffsetOfLetters(rest, static_cast<std::size_t>(Letters)));
    }
};

std::string FirstPart(const std::string& List) {
    const size_t p = List.find(';');
    return Trim(p == std::string::npos ? List : List.substr(0, p));
}

}  // namespace

TqzIncrementalSearch::TqzIncrementalSearch(TComponent* AOwner)
    : TCustomEdit(AOwner),
      FDataLink(std::make_unique<TDataLink>()),
      FTimer(new TTimer(this)),
      FFrame(std::make_unique<TqzEditFrame>(this)) {
    FTimer->SetEnabled(false);
    FTimer->SetInterval(kDefaultDelay);
    FTimer->SetOnTimer(TNotifyEvent(this, &TqzIncrementalSearch::DoDelayedSearch));
}

TqzIncrementalSearch::~TqzIncrementalSearch() {
    qzSetController(FController, nullptr, this);
    FDataLink->SetDataSource(nullptr);
}

TDataSource* TqzIncrementalSearch::DataSource() const { return FDataLink->DataSource(); }

void TqzIncrementalSearch::SetDataSource(TDataSource* Value) {
    if (Value) Value->FreeNotification(this);
    FDataLink->SetDataSource(Value);
}

void TqzIncrementalSearch::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomEdit::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == DataSource()) FDataLink->SetDataSource(nullptr);
    if (Operation == opRemove && AComponent == FController) FController = nullptr;
}

// ---- Frame --------------------------------------------------------------------------------

void TqzIncrementalSearch::SetFrame(TqzEditFrame* Value) {
    FFrame->Assign(Value);
    SetEditRect();
    Invalidate();
}

void TqzIncrementalSearch::SetController(TqzController* Value) {
    qzSetController(FController, Value, this);
    SetEditRect();
    Invalidate();
}

void TqzIncrementalSearch::SetEditRect() {
    if (!HandleAllocated() || !qzEditFrameIsActive(FFrame.get())) return;
    TqzFrameTextOffsets o;
    qzGetFrameTextOffsets(FFrame.get(), o);
    const TRect c = ClientRect();
    SetEditTextRect(this, Rect(o.Left, o.Top, c.Right - 1, c.Bottom + 1));
}

void TqzIncrementalSearch::CreateWindowHandle(const TCreateParams& Params) {
    TCustomEdit::CreateWindowHandle(Params);
    SetEditRect();
}

void TqzIncrementalSearch::BoundsChanged() {
    TCustomEdit::BoundsChanged();
    SetEditRect();
}

void TqzIncrementalSearch::DoEnter() {
    TCustomEdit::DoEnter();
    if (qzEditFrameIsActive(FFrame.get())) Invalidate();
}

void TqzIncrementalSearch::DoExit() {
    if (!RunWhileAlive(this, [this] { TCustomEdit::DoExit(); })) return;  // OnExit
    if (qzEditFrameIsActive(FFrame.get())) Invalidate();
}

void TqzIncrementalSearch::PaintOverWidget(TCanvas* Canvas) {
    TCustomEdit::PaintOverWidget(Canvas);
    if (qzEditFrameIsActive(FFrame.get())) qzDrawEditFrame(this, FFrame.get(), Canvas, Focused());
}

TDataSet* TqzIncrementalSearch::DataSet() const { return DataSource() ? DataSource()->DataSet() : nullptr; }

void TqzIncrementalSearch::Clear() {
    SetText("");
    FLastSearch.clear();
}

TField* TqzIncrementalSearch::GetSearchField() const {
    TDataSet* ds = DataSet();
    if (!ds) return nullptr;
    if (!FSearchField.empty()) return ds->FindField(FirstPart(FSearchField));
    if (auto* table = dynamic_cast<TTable*>(ds)) {
        auto* suite = dynamic_cast<TqzTable*>(table);
        const bool query = suite && suite->Query()->Count() > 0;
        if (!query && table->IndexFieldCount() > 0) return table->IndexFields(0);
        return ds->Fields()->Count() > 0 ? ds->Fields()->Fields(0) : nullptr;
    }
    if (IsPublishedProp(ds, "IndexFieldNames")) {
        const std::string names = GetStrProp(ds, "IndexFieldNames");
        if (!names.empty())
            if (TField* f = ds->FindField(FirstPart(names))) return f;
    }
    return ds->Fields()->Count() > 0 ? ds->Fields()->Fields(0) : nullptr;
}

void TqzIncrementalSearch::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { TCustomEdit::KeyUp(Key, Shift); })) return;  // OnKeyUp
    if (Text() == FLastSearch || !qzIsTextEditKey(Key)) return;
    if (FShowMatchText && (Key == VK_BACK || Key == VK_DELETE)) return;
    FTimer->SetEnabled(false);
    if (!DataSource()) {
        MessageDlg("DataSource not defined - object " + Name(), mtWarning, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    if (!DataSet()) {
        MessageDlg("Dataset not defined for DataSource", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    if (FSearchDelay != 0) FTimer->SetInterval(static_cast<unsigned>(FSearchDelay));
    FTimer->SetEnabled(true);
}

void TqzIncrementalSearch::KeyPress(char32_t& Key) {
    std::string mask = FPictureMask;
    bool autoFill = FPictureMaskAutoFill;
    if (mask.empty() && FPictureMaskFromField)
        if (TField* f = GetSearchField()) {
            bool flag2 = true;
            qzGetPictureMask(DataSet(), f->FieldName(), true, flag2, autoFill, mask);
        }
    if (!mask.empty() && Key >= 32) {
        TLetterPositions letters{this};
        qzProcessPictureMaskKey(&letters, mask, autoFill, Key, [] { MessageBeep(0); });
    }
    if (Key == 0) return;
    TCustomEdit::KeyPress(Key);
}

void TqzIncrementalSearch::DoDelayedSearch(TObject*) {
    if (FTimer->Enabled()) FTimer->SetEnabled(false);
    const std::string text = Text();
    if (text == FLastSearch) return;
    DoSearch();
    FLastSearch = text;
}

void TqzIncrementalSearch::DoPerformCustomSearch(const std::string& Field, const std::string& Value,
                                                 bool PerformLookup, bool& Found) {
    if (FOnPerformCustomSearch.Assigned() && DataSet())
        FOnPerformCustomSearch(this, DataSet(), Field, Value, PerformLookup, Found);
}

// The engine's tables: several fields by Locate, the active index by a
// nearest-key search at the search field's key position, else the field
// search at the start of the text.
bool TqzIncrementalSearch::SearchTable(TTable* Table, const std::string& Text) {
    auto* suite = dynamic_cast<TqzTable*>(Table);
    const bool query = suite && suite->Query()->Count() > 0;
    if (!query && Table->IndexDefs()->Count() == 0) Table->IndexDefs()->Update();
    TIndexDef* index = query ? nullptr : Table->ActiveIndex();
    const int keyCount = query ? 0 : Table->IndexFieldCount();
    bool caseSensitive = FCaseSensitivity == qzcsCaseSensitive;
    if (FCaseSensitivity == qzcsAutoDetect && index)
        caseSensitive = !index->Options.Contains(ixCaseInsensitive);
    const std::string firstName = FirstPart(FSearchField);
    TField* first = !firstName.empty()
                        ? Table->FindField(firstName)
                        : (Table->Fields()->Count() > 0 ? Table->Fields()->Fields(0) : nullptr);
    if (query && keyCount == 0) {
        return first &&
               qzLocateFieldValue(Table, Text, first->FieldName(), caseSensitive, mtPartialMatchStart);
    }
    const size_t semi = Text.find(';');
    if (FSearchField.find(';') != std::string::npos && semi != std::string::npos && semi + 1 < Text.size()) {
        std::vector<Variant> values;
        std::string names = FSearchField, rest = Text;
        while (!names.empty()) {
            const size_t p = names.find(';');
            const std::string name = Trim(names.substr(0, p));
            names = p == std::string::npos ? std::string() : names.substr(p + 1);
            const size_t q = rest.find(';');
            std::string part = rest.substr(0, q);
            rest = q == std::string::npos ? std::string() : rest.substr(q + 1);
            TField* f = Table->FindField(name);
            if (const int room = f && f->DataType() == ftString ? TextRoomOf(f) : 0;
                room > 0 && static_cast<int>(part.size()) > room)
                part = Utf8Truncate(part, static_cast<size_t>(room));
            values.push_back(Variant(part));
        }
        TLocateOptions options{loPartialKey};
        if (!caseSensitive) options.Include(loCaseInsensitive);
        return Table->Locate(FSearchField, values.size() == 1 ? values[0] : Variant(values), options);
    }
    if (keyCount > 0 && FCaseSensitivity == qzcsAutoDetect) {
        int position = 0;
        for (int i = 0; i < keyCount && !firstName.empty(); ++i)
            if (AnsiSameText(Table->IndexFields(i)->FieldName(), firstName)) position = i;
        if (firstName.empty() || firstName == Table->IndexFields(0)->FieldName() || position > 0) {
            if (position <= 0) return qzFindIndexValue(Table, Text);
            // the earlier key fields keep the current record's values
            TField* field = Table->IndexFields(position);
            if (!qzIsValidSearchTextForField(field, Text)) return false;
            std::vector<Variant> key;
            for (int i = 0; i < position; ++i) key.push_back(Table->IndexFields(i)->AsVariant());
            key.push_back(Variant(Text));
            try {
                Table->FindNearest(key);
            } catch (const EVariantError&) {
                return false;  // a text that is no value of the field (a part of "True")
            }
            const std::string want = FoldCase(Text);
            return FoldCase(field->AsString()).compare(0, want.size(), want) == 0;
        }
    }
    return first && qzIsValidSearchTextForField(first, Text) &&
           qzLocateFieldValue(Table, Text, first->FieldName(), caseSensitive, mtPartialMatchStart);
}

// A suite query: Locate when the field leads the query's order (ignoring
// case as that order does), else the field search at the start of the text.
bool TqzIncrementalSearch::SearchQuery(TqzQuery* Query, TField* Field, const std::string& Text) {
    const std::string name = Field->FieldName();
    try {
        TqzHourGlass hourGlass;
        if (Query->FieldsMapToIndex(name, false))
            return Query->Locate(name, Variant(Text), TLocateOptions{loCaseInsensitive, loPartialKey});
        if (Query->FieldsMapToIndex(name, true))
            return Query->Locate(name, Variant(Text), TLocateOptions{loPartialKey});
    } catch (const EDBEngineError& e) {
        if (IsWorkStopped(e.ErrorCode())) throw;  // stopped: no other search after it
    } catch (const Exception&) {}
    return qzLocateFieldValue(Query, Text, name, FCaseSensitivity == qzcsCaseSensitive, mtPartialMatchStart);
}

bool TqzIncrementalSearch::DoSearch() {
    TDataSet* ds = DataSet();
    if (!ds) return false;
    const bool custom = FOnPerformCustomSearch.Assigned();
    if (!custom && !ds->Active()) return false;
    const std::string text = Text();
    if (text.empty() && ds->Active()) {
        ds->First();
        return false;
    }
    const bool caseSensitive = FCaseSensitivity == qzcsCaseSensitive;
    TField* field = GetSearchField();
    bool found = false;
    if (custom) {
        std::string value = text;
        if (const int room = field && field->DataType() == ftString ? TextRoomOf(field) : 0;
            room > 0 && static_cast<int>(value.size()) > room)
            value = Utf8Truncate(value, static_cast<size_t>(room));
        DoPerformCustomSearch(field ? field->FieldName() : std::string(), value, true, found);
    } else if (auto* table = dynamic_cast<TTable*>(ds)) {
        found = SearchTable(table, text);
    } else if (field && qzIsValidSearchTextForField(field, text)) {
        auto* query = dynamic_cast<TqzQuery*>(ds);
        if (query && qzIntl() && qzIntl()->UseLocateMethodForSearch()) {
            found = SearchQuery(query, field, text);
        } else if (qzIntl() && qzIntl()->UseLocateMethodForSearch()) {
            TqzHourGlass hourGlass;
            TLocateOptions options{loPartialKey};
            if (!caseSensitive) options.Include(loCaseInsensitive);
            found = ds->Locate(field->FieldName(), Variant(text), options);
        } else {
            found = qzLocateFieldValue(ds, text, field->FieldName(), caseSensitive, mtPartialMatchStart);
        }
    }
    if (FOnAfterSearch.Assigned()) FOnAfterSearch(this, found);
    if (FShowMatchText && found && field) {
        std::string shown;
        if (FSearchField.find(';') != std::string::npos) {
            std::string rest = FSearchField;
            while (!rest.empty()) {
                const size_t p = rest.find(';');
                const std::string name = Trim(rest.substr(0, p));
                rest = p == std::string::npos ? std::string() : rest.substr(p + 1);
                if (TField* f = ds->FindField(name)) shown += (shown.empty() ? "" : ";") + f->AsString();
            }
        } else {
            shown = field->AsString();
        }
        // The typed letters matched the first letters of the shown text,
        // whose bytes may differ from the typed ones in case.
        const int typed = ByteOffsetOfLetters(shown, Utf8Length(text));
        SetText(shown);
        SetSelStart(typed);
        SetSelLength(static_cast<int>(shown.size()) - typed);
    }
    return found;
}

void TqzIncrementalSearch::Publish(TPublisher<TqzIncrementalSearch>& p) {
    p.Property("Frame", &TqzIncrementalSearch::Frame, &TqzIncrementalSearch::SetFrame);
    p.Property("Controller", &TqzIncrementalSearch::Controller, &TqzIncrementalSearch::SetController);
    p.Property("DisableThemes", &TqzIncrementalSearch::DisableThemes,
               &TqzIncrementalSearch::SetDisableThemes);
    p.Property("OnAfterSearch", &TqzIncrementalSearch::OnAfterSearch, &TqzIncrementalSearch::SetOnAfterSearch)
        .SetTypeName("TqzAfterSearchEvent");
    p.Property("OnPerformCustomSearch", &TqzIncrementalSearch::OnPerformCustomSearch,
               &TqzIncrementalSearch::SetOnPerformCustomSearch)
        .SetTypeName("TqzPerformCustomSearchEvent");
    p.Property("DataSource", &TqzIncrementalSearch::DataSource, &TqzIncrementalSearch::SetDataSource);
    p.Property("SearchField", &TqzIncrementalSearch::SearchField, &TqzIncrementalSearch::SetSearchField);
    p.Property("SearchDelay", &TqzIncrementalSearch::SearchDelay, &TqzIncrementalSearch::SetSearchDelay);
    p.Property("CaseSensitivity", &TqzIncrementalSearch::CaseSensitivity,
               &TqzIncrementalSearch::SetCaseSensitivity);
    p.Property("ShowMatchText", &TqzIncrementalSearch::ShowMatchText,
               &TqzIncrementalSearch::SetShowMatchText);
    p.Property("PictureMask", &TqzIncrementalSearch::PictureMask, &TqzIncrementalSearch::SetPictureMask);
    p.Property("PictureMaskAutoFill", &TqzIncrementalSearch::PictureMaskAutoFill,
               &TqzIncrementalSearch::SetPictureMaskAutoFill);
    p.Property("PictureMaskFromField", &TqzIncrementalSearch::PictureMaskFromField,
               &TqzIncrementalSearch::SetPictureMaskFromField);
}
