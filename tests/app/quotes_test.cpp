// The quote routines over real engine tables in a temporary folder: the
// bottom line, the random quote, the quote of the day and new quote keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/quotes.h"
#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/guid.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/testing.h"
#include "support/app/quote_tables.h"
#include "support/environment.h"

namespace {

struct QuoteRow {
    std::string Quote, Author;
    int Key;
};

class QuotesTest : public ::testing::Test {
protected:
    void SetUp() override { Db.SetDatabasePath(Dir); }

    void WriteQuotes(const std::vector<QuoteRow>& rows) {
        TOstraTable t(nullptr);
        AddQuoteDefs(t);
        t.Open();
        for (const QuoteRow& r : rows) {
            t.Append();
            t.FieldByName("Quote")->SetAsString(r.Quote);
            t.FieldByName("Author")->SetAsString(r.Author);
            t.FieldByName("Key")->SetAsInteger(r.Key);
            t.Post();
        }
        t.SaveToFile(Dir + "quotes.d");
    }

    void WriteAppIds(const std::vector<std::pair<std::string, std::string>>& rows) {
        TOstraTable t(nullptr);
        TFieldDefs* d = t.FieldDefs();
        d->Add("Ckey", ftString, 30);
        d->Add("CID", ftString, 30);
        d->Add("CIDField", ftString, 30);
        d->Add("CType", ftString, 1);
        t.Open();
        for (const auto& [key, value] : rows) {
            t.Append();
            t.FieldByName("Ckey")->SetAsString(key);
            t.FieldByName("CIDField")->SetAsString(value);
            t.Post();
        }
        t.SaveToFile(Dir + "appid.d");
    }

    // The counter text of the "Quotes" row as the file holds it now.
    std::string CounterOnDisk() {
        TOstraTable t(nullptr);
        t.SetTableName(Dir + "appid.d");
        t.Open();
        EXPECT_TRUE(t.Locate("Ckey", Variant("Quotes"), {}));
        return t.FieldByName("CIDField")->AsString();
    }

    // A table on "quotes.d" of the database.
    void Bind(TOstraTable& t) {
        t.SetDatabase(&Db);
        t.SetTableName("quotes.d");
    }

    // The quote-of-the-day view: persistent fields with the calculated line.
    void MakeSelView(TOstraTable& t) {
        Bind(t);
        auto add = [&](TField* f, const char* name, int size) {
            f->SetFieldName(name);
            if (size) f->SetSize(size);
            f->SetDataSet(&t);
            return f;
        };
        add(new TStringField(&t), "Quote", 255);
        add(new TStringField(&t), "Author", 50);
        add(new TBooleanField(&t), "Display", 0);
        add(new TIntegerField(&t), "Key", 0);
        TField* line = add(new TStringField(&t), "QandA", 255);
        line->SetFieldKind(fkCalculated);
        t.SetOnCalcFields([](TDataSet* d) { CalcQuoteAndAuthor(d); });
    }

    TTestEnvironment Env;
    std::string Dir = Env.Folder() + "/";
    TOstraDatabase Db{nullptr};
};

TEST(QuoteLine, SpacesAroundTheQuoteGoTabsAndInnerSpacesStay) {
    EXPECT_EQ(QuoteAndAuthor("  Less is more.  ", "Mies"), "Less is more. - Mies");
    EXPECT_EQ(QuoteAndAuthor("a  b", ""), "a  b - ");
    EXPECT_EQ(QuoteAndAuthor("\tTabbed\t", "X"), "\tTabbed\t - X");
    EXPECT_EQ(QuoteAndAuthor("    ", "Nobody"), " - Nobody");
}

TEST(QuoteLine, LongQuotesAreCutAtWholeCharacters) {
    // 127 two-byte letters and one more: the cut falls inside the 128th.
    std::string quote;
    for (int i = 0; i < 128; ++i) quote += "\xC3\xA9";
    const std::string line = QuoteAndAuthor(quote, "A");
    EXPECT_EQ(line.size(), 254u + 4u);
    EXPECT_EQ(line.substr(254), " - A");
    // A cut at 255 leaves trailing spaces to trim.
    const std::string spaced = std::string(250, 'x') + std::string(10, ' ') + "tail";
    EXPECT_EQ(QuoteAndAuthor(spaced, "B"), std::string(250, 'x') + " - B");
}

TEST_F(QuotesTest, TheViewComputesTheBottomLineOfEachQuote) {
    WriteQuotes({{"  Well begun is half done.  ", "Aristotle", 10}, {"Know thyself", "Socrates", 11}});
    TOstraTable sel(nullptr);
    MakeSelView(sel);
    sel.Open();
    ASSERT_TRUE(LocateQuoteOfTheDay(&sel, 10));
    EXPECT_EQ(sel.FieldByName("QandA")->AsString(), "Well begun is half done. - Aristotle");
    ASSERT_TRUE(LocateQuoteOfTheDay(&sel, 11));
    EXPECT_EQ(sel.FieldByName("QandA")->AsString(), "Know thyself - Socrates");
    // An unknown key leaves the view where it stands.
    EXPECT_FALSE(LocateQuoteOfTheDay(&sel, 99));
    EXPECT_EQ(sel.FieldByName("Key")->AsInteger(), 11);
}

TEST_F(QuotesTest, MarkingTheCurrentQuoteMovesTheBottomLineToIt) {
    WriteQuotes({{"One", "A", 10}, {"Two", "B", 11}, {"Three", "C", 12}});
    TOstraTable quotes(nullptr), sel(nullptr);
    Bind(quotes);
    MakeSelView(sel);
    quotes.Open();
    sel.Open();
    ASSERT_TRUE(quotes.Locate("Key", Variant(12), {}));
    int selected = 10;
    EXPECT_TRUE(MarkQuoteOfTheDay(&quotes, &sel, selected));
    EXPECT_EQ(selected, 12);
    EXPECT_EQ(sel.FieldByName("QandA")->AsString(), "Three - C");
}

TEST_F(QuotesTest, MarkingWithoutAnyQuoteChangesNothing) {
    WriteQuotes({});
    TOstraTable quotes(nullptr), sel(nullptr);
    Bind(quotes);
    MakeSelView(sel);
    quotes.Open();
    sel.Open();
    int selected = 10;
    EXPECT_FALSE(MarkQuoteOfTheDay(&quotes, &sel, selected));
    EXPECT_EQ(selected, 10);
}

TEST_F(QuotesTest, RandomPickIsZeroWithoutQuotes) {
    WriteQuotes({});
    TOstraTable quotes(nullptr);
    Bind(quotes);
    EXPECT_EQ(RandomQuoteKey(&quotes), 0);  // closed
    EXPECT_FALSE(LocateRandomQuote(&quotes));
    quotes.Open();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(RandomQuoteKey(&quotes), 0);
    EXPECT_FALSE(LocateRandomQuote(&quotes));
    EXPECT_EQ(RandomQuoteKey(nullptr), 0);
}

TEST_F(QuotesTest, RandomPickStaysBelowTheCountAndFindsThatKey) {
    std::vector<QuoteRow> rows;
    for (int k = 0; k < 6; ++k) rows.push_back({"Q" + std::to_string(k), "A", k});
    WriteQuotes(rows);
    TOstraTable quotes(nullptr);
    Bind(quotes);
    quotes.Open();
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        const int n = RandomQuoteKey(&quotes);
        ASSERT_GE(n, 0);
        ASSERT_LT(n, 6);
        seen.insert(n);
    }
    EXPECT_GT(seen.size(), 1u);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(LocateRandomQuote(&quotes));
        EXPECT_EQ(quotes.FieldByName("Quote")->AsString(),
                  "Q" + std::to_string(quotes.FieldByName("Key")->AsInteger()));
    }
}

TEST_F(QuotesTest, RandomPickWithoutAMatchingKeyKeepsTheRecord) {
    WriteQuotes({{"High", "A", 500}, {"Higher", "B", 600}});
    TOstraTable quotes(nullptr);
    Bind(quotes);
    quotes.Open();
    quotes.Last();
    EXPECT_FALSE(LocateRandomQuote(&quotes));
    EXPECT_EQ(quotes.FieldByName("Key")->AsInteger(), 600);
}

class NewQuoteKeyTest : public QuotesTest {
protected:
    void OpenTables() {
        Bind(Quotes);
        AppIds.SetDatabase(&Db);
        AppIds.SetTableName("appid.d");
        Quotes.SetOnNewRecord([this](TDataSet* d) { AssignNewQuoteKey(d, &AppIds, &Db); });
        Quotes.Open();
    }
    TOstraTable Quotes{nullptr};
    TOstraTable AppIds{nullptr};
};

TEST_F(NewQuoteKeyTest, CounterGivesTheKeyPostsAndIsRaisedOnDisk) {
    WriteQuotes({{"Old", "A", 10}});
    WriteAppIds({{"Tasks", "3"}, {"Quotes", "57"}});
    OpenTables();
    TTestDialogs dialogs;
    Quotes.Append();
    EXPECT_EQ(Quotes.State(), dsBrowse);
    EXPECT_EQ(Quotes.FieldByName("Key")->AsInteger(), 57);
    EXPECT_EQ(Quotes.RecordCount(), 2);
    EXPECT_EQ(CounterOnDisk(), "58");
    EXPECT_FALSE(AppIds.HasPendingChanges());
    Quotes.Insert();
    EXPECT_EQ(Quotes.FieldByName("Key")->AsInteger(), 58);
    EXPECT_EQ(CounterOnDisk(), "59");
    EXPECT_EQ(dialogs.Count(), 0);
    // The other counter row is untouched.
    ASSERT_TRUE(AppIds.Locate("Ckey", Variant("Tasks"), {}));
    EXPECT_EQ(AppIds.FieldByName("CIDField")->AsString(), "3");
}

TEST_F(NewQuoteKeyTest, BlanksAroundTheCounterAreIgnored) {
    WriteQuotes({});
    WriteAppIds({{"Quotes", "  41 "}});
    OpenTables();
    Quotes.Append();
    EXPECT_EQ(Quotes.FieldByName("Key")->AsInteger(), 41);
    EXPECT_EQ(CounterOnDisk(), "42");
}

TEST_F(NewQuoteKeyTest, WithoutACounterRowNoKeylessQuoteIsAdded) {
    WriteQuotes({{"Old", "A", 10}});
    WriteAppIds({{"Tasks", "3"}});
    OpenTables();
    TTestDialogs dialogs;
    EXPECT_THROW(Quotes.Append(), EAbort);
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "New quote NOT added.");
    EXPECT_EQ(dialogs.Last().DlgType, mtInformation);
    EXPECT_EQ(dialogs.Last().Buttons, TMsgDlgButtons{mbOK});
    // The new record is gone: nothing to post, nothing pending.
    EXPECT_EQ(Quotes.State(), dsBrowse);
    EXPECT_EQ(Quotes.RecordCount(), 1);
    EXPECT_FALSE(Quotes.HasPendingChanges());
    Quotes.Save();
    Quotes.Close();
    Quotes.Open();
    EXPECT_EQ(Quotes.RecordCount(), 1);
}

TEST_F(NewQuoteKeyTest, ACounterThatIsNoNumberRaisesAndAddsNothing) {
    WriteQuotes({});
    WriteAppIds({{"Quotes", "5x"}});
    OpenTables();
    TTestDialogs dialogs;
    try {
        Quotes.Append();
        ADD_FAILURE() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'5x' is not a valid integer value");
    }
    EXPECT_EQ(Quotes.State(), dsBrowse);
    EXPECT_EQ(Quotes.RecordCount(), 0);
    EXPECT_EQ(CounterOnDisk(), "5x");
    EXPECT_EQ(dialogs.Count(), 0);
}

TEST_F(NewQuoteKeyTest, AMissingCounterFileIsAnOpenErrorAndAddsNothing) {
    WriteQuotes({});
    OpenTables();
    EXPECT_THROW(Quotes.Append(), EDatabaseError);
    EXPECT_EQ(Quotes.State(), dsBrowse);
    EXPECT_EQ(Quotes.RecordCount(), 0);
}

}  // namespace
