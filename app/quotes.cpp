// Picking a random quote, finding and marking the quote of the day, joining quote and
// author, and the key of a new quote.
#include "app/quotes.h"

#include <cstdint>

#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/core/variant.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"

namespace {

// Blanks are spaces only here: a tab or line break in a quote stays.
std::string TrimSpaces(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

}  // namespace

int RandomQuoteKey(TDataSet* Quotes) {
    Randomize();
    const int count = Quotes && Quotes->Active() ? Quotes->RecordCount() : 0;
    return count > 0 ? Random(count) : 0;
}

bool LocateRandomQuote(TDataSet* Quotes) {
    const int key = RandomQuoteKey(Quotes);
    if (!Quotes || !Quotes->Active()) return false;
    return Quotes->Locate("Key", Variant(key), TLocateOptions{loPartialKey});
}

bool LocateQuoteOfTheDay(TDataSet* SelQuotes, int QuoteSelected) {
    if (!SelQuotes || !SelQuotes->Active()) return false;
    // A view on a shared store shows first what the other views posted since.
    if (auto* view = dynamic_cast<TOstraDataset*>(SelQuotes); view && view->State() == dsBrowse)
        view->RebuildView(true);
    return SelQuotes->Locate("Key", Variant(QuoteSelected), TLocateOptions{});
}

bool MarkQuoteOfTheDay(TDataSet* Quotes, TDataSet* SelQuotes, int& QuoteSelected) {
    // An empty table has no key to remember: 0 would name no quote at all.
    if (!Quotes || !Quotes->Active() || Quotes->IsEmpty()) return false;
    TField* key = Quotes->FieldByName("Key");
    if (key->IsNull()) return false;
    QuoteSelected = key->AsInteger();
    LocateQuoteOfTheDay(SelQuotes, QuoteSelected);
    return true;
}

std::string QuoteAndAuthor(const std::string& Quote, const std::string& Author) {
    return TrimSpaces(Utf8Truncate(Quote, 255)) + " - " + Author;
}

void CalcQuoteAndAuthor(TDataSet* SelQuotes) {
    SelQuotes->FieldByName("QandA")->SetAsString(QuoteAndAuthor(
        SelQuotes->FieldByName("Quote")->AsString(), SelQuotes->FieldByName("Author")->AsString()));
}

void AssignNewQuoteKey(TDataSet* Quotes, TOstraTable* AppIds, TOstraDatabase* Database) {
    AppIds->Open();
    if (!AppIds->Locate("cKey", Variant(std::string(QuoteCounterKey)), TLocateOptions{loPartialKey})) {
        MessageDlg(SNewQuoteNotAdded, mtInformation, TMsgDlgButtons{mbOK}, 0);
        // A quote without a key must never be posted: the insert is undone.
        throw EAbort("Operation aborted");
    }
    const int key = StrToInt(Trim(AppIds->FieldByName("cIDField")->AsString()));
    Quotes->FieldByName("Key")->SetAsInteger(key);
    Quotes->Post();
    if (AppIds->State() != dsEdit && AppIds->State() != dsInsert) AppIds->Edit();
    AppIds->FieldByName("cIDField")->SetAsString(IntToStr(static_cast<int64_t>(key) + 1));
    if (Database)
        Database->SaveDatasets({AppIds});
    else
        AppIds->Save();
}
