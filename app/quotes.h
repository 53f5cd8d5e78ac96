// The quote routines of the to-do program: the random quote, the quote of
// the day and its bottom line, and the keys of new quotes.
//
// They work on the main window's tables, passed in: the quote table (fields
// Quote, Author, Key, ...), its second view that stands on the quote of the
// day (with the calculated field QandA), and the key counter table of
// "appid.d" whose row with Ckey "Quotes" holds the next quote key in
// CIDField as decimal text.
#pragma once

#include <string>

class TDataSet;
class TOstraDatabase;
class TOstraTable;

// The text the counter row is found by, and the message shown without it.
inline constexpr const char* QuoteCounterKey = "Quotes";
inline constexpr const char* SNewQuoteNotAdded = "New quote NOT added.";

// Seeds the random generator from the clock and picks a number from 0 to
// the record count of Quotes less one; 0 when Quotes is closed or empty.
int RandomQuoteKey(TDataSet* Quotes);
// Picks a number as RandomQuoteKey does and moves Quotes to the quote with
// that Key (partial-key search). Answers whether one was found; otherwise
// the current record stays.
bool LocateRandomQuote(TDataSet* Quotes);

// Moves SelQuotes to the quote with Key = QuoteSelected; answers whether it
// was found (otherwise the view stays where it was).
bool LocateQuoteOfTheDay(TDataSet* SelQuotes, int QuoteSelected);
// Makes the current quote of Quotes the quote of the day: QuoteSelected
// takes its Key and SelQuotes moves to it. Without a current quote nothing
// changes and the answer is false.
bool MarkQuoteOfTheDay(TDataSet* Quotes, TDataSet* SelQuotes, int& QuoteSelected);

// The bottom line of a quote: the quote text (at most 255 bytes) without
// leading and trailing spaces, " - ", and the author.
std::string QuoteAndAuthor(const std::string& Quote, const std::string& Author);
// The calculated-fields step of the quote-of-the-day view: QandA from the
// record's Quote and Author.
void CalcQuoteAndAuthor(TDataSet* SelQuotes);

// The new-record step of the quote table: the new quote takes the next key
// of the counter row of AppIds and is posted at once; the counter is raised
// by one and AppIds saved through Database. Without a counter row the user
// is told "New quote NOT added." and the new record is abandoned (EAbort,
// which the insert turns into a cancel). A counter that is not an integer
// raises EConvertError, which abandons the new record as well.
void AssignNewQuoteKey(TDataSet* Quotes, TOstraTable* AppIds, TOstraDatabase* Database);
