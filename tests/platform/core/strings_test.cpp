// String lists: sorting, duplicates, name-value pairs, delimited text, events and owned objects.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "support/core/core_test_support.h"
#include "support/environment.h"

namespace {

std::vector<std::string> Lines(const TStrings& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
    return out;
}

using V = std::vector<std::string>;

void SetLines(TStrings& list, const V& lines) {
    list.Clear();
    for (const auto& s : lines) list.Add(s);
}

template <class F>
std::string StringListErrorOf(F f) {
    return MessageOf<EStringListError>(f, "");
}

// Counts its own destruction.
class TCounted : public TObject {
public:
    explicit TCounted(int* deaths) : FDeaths(deaths) {}
    ~TCounted() override { ++*FDeaths; }

private:
    int* FDeaths;
};

// Counts change events of a list.
struct ChangeCounter {
    int changes = 0;
    int changings = 0;
    void Attach(TStringList& list) {
        list.SetOnChange([this](TObject*) { ++changes; });
        list.SetOnChanging([this](TObject*) { ++changings; });
    }
};

// The smallest TStrings: the base class supplies everything else.
class TVectorStrings : public TStrings {
public:
    std::vector<std::string> Items;
    void Insert(int Index, const std::string& S) override { Items.insert(Items.begin() + Index, S); }
    void Delete(int Index) override { Items.erase(Items.begin() + Index); }
    void Clear() override { Items.clear(); }

protected:
    std::string Get(int Index) const override { return Items.at(static_cast<size_t>(Index)); }
    int GetCount() const override { return static_cast<int>(Items.size()); }
};

}  // namespace

TEST(StringListSorted, DuplicateModes) {
    TStringList list;
    list.SetSorted(true);
    list.Add("pear");
    list.Add("apple");
    EXPECT_EQ(list.Add("Apple"), 0);  // dupIgnore answers the equal line
    EXPECT_EQ(Lines(list), (V{"apple", "pear"}));

    list.SetDuplicates(dupError);
    EXPECT_EQ(StringListErrorOf([&] { list.Add("PEAR"); }), "String list does not allow duplicates");
    EXPECT_EQ(list.Count(), 2);

    list.SetDuplicates(dupAccept);
    TObject first, second;
    list.AddObject("pear", &first);
    list.AddObject("Pear", &second);
    EXPECT_EQ(Lines(list), (V{"apple", "pear", "pear", "Pear"}));
    EXPECT_EQ(list.Objects(2), &first);  // equal lines keep their order
    EXPECT_EQ(list.Objects(3), &second);
    int index = -1;
    EXPECT_TRUE(list.Find("PEAR", index));
    EXPECT_EQ(index, 1);  // the first equal line
    EXPECT_FALSE(list.Find("banana", index));
    EXPECT_EQ(index, 1);  // where it would go
}

TEST(StringListSorted, CaseSensitivity) {
    TStringList list;
    SetLines(list, {"beta", "Alpha", "alpha", "Gamma"});
    EXPECT_FALSE(list.CaseSensitive());
    EXPECT_EQ(list.IndexOf("ALPHA"), 1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);
    EXPECT_EQ(list.IndexOf("alpha"), 2);

    list.SetSorted(true);  // alphabetical, lower case before upper case
    EXPECT_EQ(Lines(list), (V{"alpha", "Alpha", "beta", "Gamma"}));
    EXPECT_EQ(list.IndexOf("Alpha"), 1);
    list.SetDuplicates(dupError);
    EXPECT_EQ(list.Add("BETA"), 3);
    list.SetCaseSensitive(false);  // re-sorts; equal lines may now sit together
    EXPECT_EQ(StringListErrorOf([&] { list.Add("gamma"); }), "String list does not allow duplicates");
    for (int i = 1; i < list.Count(); ++i) EXPECT_LE(CompareText(list.Strings(i - 1), list.Strings(i)), 0);
}

TEST(StringListSorted, ChangingPlacesIsRefused) {
    TStringList list;
    SetLines(list, {"b", "a"});
    list.SetSorted(true);
    const std::string msg = "Operation not allowed on sorted list";
    EXPECT_EQ(StringListErrorOf([&] { list.Insert(0, "z"); }), msg);
    EXPECT_EQ(StringListErrorOf([&] { list.SetStrings(0, "z"); }), msg);
    EXPECT_EQ(StringListErrorOf([&] { list.Move(0, 1); }), msg);
    EXPECT_EQ(Lines(list), (V{"a", "b"}));
    list.SetValues("key", "v");  // a new pair goes to its sorted place
    EXPECT_EQ(Lines(list), (V{"a", "b", "key=v"}));
}

TEST(StringListSorting, SortAndCustomSort) {
    TStringList list;
    SetLines(list, {"ccc", "b", "AA", "a", "dd"});
    list.CustomSort([](TStringList* l, int a, int b) {
        return static_cast<int>(l->Strings(a).size()) - static_cast<int>(l->Strings(b).size());
    });
    EXPECT_EQ(Lines(list), (V{"b", "a", "AA", "dd", "ccc"}));  // stable
    list.Sort();
    EXPECT_EQ(Lines(list), (V{"a", "AA", "b", "ccc", "dd"}));
    EXPECT_FALSE(list.Sorted());
}

TEST(StringListNameValue, MissingSeparatorAndEdgeCases) {
    TStringList list;
    SetLines(list, {"Host=example", "noequals", "=anon", "path=a=b", "empty="});
    EXPECT_EQ(list.Names(0), "Host");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.ValueFromIndex(1), "");
    EXPECT_EQ(list.Values("noequals"), "");
    EXPECT_EQ(list.IndexOfName("noequals"), -1);
    EXPECT_EQ(list.Values(""), "anon");
    EXPECT_EQ(list.Values("PATH"), "a=b");
    EXPECT_EQ(list.Values("empty"), "");
    EXPECT_EQ(list.IndexOfName("empty"), 4);
    EXPECT_EQ(list.Values("absent"), "");

    list.SetValues("host", "other");  // replaces in place; the name is written as given
    EXPECT_EQ(list.Strings(0), "host=other");
    list.SetValues("new", "1");
    EXPECT_EQ(list.Strings(list.Count() - 1), "new=1");
    list.SetValues("path", "");  // an empty value deletes the pair
    EXPECT_EQ(list.IndexOfName("path"), -1);
    list.SetValueFromIndex(1, "v");
    EXPECT_EQ(list.Strings(1), "=v");

    list.SetNameValueSeparator(':');
    list.Add("a:b");
    EXPECT_EQ(list.Values("a"), "b");
    EXPECT_EQ(list.Values("host"), "");
}

TEST(StringListDelimited, CommaTextQuotingRoundTrips) {
    TStringList list;
    const V items = {"plain", "with space", "with,comma", "with\"quote",
                     "",      "  lead",     "tab\there",  "caf\xC3\xA9"};
    SetLines(list, items);
    EXPECT_EQ(list.CommaText(),
              "plain,\"with space\",\"with,comma\",\"with\"\"quote\",,\"  lead\",\"tab\there\",caf\xC3\xA9");
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(Lines(back), items);

    const std::vector<V> awkward = {{}, {""}, {"", ""}, {"", "a"}, {"a", ""}, {"a", "", ""}, {"\"", ","}};
    for (const V& v : awkward) {
        SetLines(list, v);
        back.SetCommaText(list.CommaText());
        EXPECT_EQ(Lines(back), v) << list.CommaText();
    }
    SetLines(list, {""});
    EXPECT_EQ(list.CommaText(), "\"\"");
}

TEST(StringListDelimited, CommaTextReading) {
    TStringList list;
    list.SetCommaText("  a, b ,,c,");
    EXPECT_EQ(Lines(list), (V{"a", "b", "", "c", ""}));
    list.SetCommaText("one two");  // blanks split too
    EXPECT_EQ(Lines(list), (V{"one", "two"}));
    list.SetCommaText("\"ab\"cd,e");
    EXPECT_EQ(Lines(list), (V{"ab", "cd", "e"}));
    list.SetCommaText("\"unclosed, text");
    EXPECT_EQ(Lines(list), (V{"unclosed, text"}));
    list.SetCommaText("");
    EXPECT_EQ(list.Count(), 0);
    list.SetCommaText(std::string("a,b\0c", 5));  // a NUL ends the text
    EXPECT_EQ(Lines(list), (V{"a", "b"}));
}

TEST(StringListDelimited, DelimiterQuoteAndStrictSettings) {
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    SetLines(list, {"a b", "x;y", "it's", "q\"q"});
    EXPECT_EQ(list.DelimitedText(), "'a b';'x;y';'it''s';q\"q");
    EXPECT_EQ(list.CommaText(), "\"a b\",x;y,it's,\"q\"\"q\"");  // CommaText keeps its own rules

    list.SetStrictDelimiter(true);
    SetLines(list, {" pad ", "x;y", ""});
    EXPECT_EQ(list.DelimitedText(), " pad ;'x;y';");
    TStringList back;
    back.SetDelimiter(';');
    back.SetQuoteChar('\'');
    back.SetStrictDelimiter(true);
    back.SetDelimitedText(list.DelimitedText());
    EXPECT_EQ(Lines(back), (V{" pad ", "x;y", ""}));
    back.SetDelimitedText("a b;c");
    EXPECT_EQ(Lines(back), (V{"a b", "c"}));
}

TEST(StringListText, LineBreaksInAndOut) {
    TStringList list;
    list.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(Lines(list), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(list.Text(), "a\nb\nc\nd\n");
    list.SetText("x\n\n");
    EXPECT_EQ(Lines(list), (V{"x", ""}));
    list.SetText("\r\n\r\n");
    EXPECT_EQ(Lines(list), (V{"", ""}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), "");
}

TEST(StringListEvents, OneChangePerUpdateBlock) {
    TStringList list;
    ChangeCounter counter;
    counter.Attach(list);
    list.Add("a");
    EXPECT_EQ(counter.changes, 1);
    EXPECT_EQ(counter.changings, 1);

    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(counter.changes, 1);  // not yet: still inside the outer block
    list.EndUpdate();
    EXPECT_EQ(counter.changes, 2);
    EXPECT_EQ(counter.changings, 2);
    list.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(counter.changes, 2);

    list.SetCommaText("x,y,z");
    EXPECT_EQ(counter.changes, 3);
    TStringList other;
    SetLines(other, {"1", "2"});
    list.Assign(&other);
    EXPECT_EQ(counter.changes, 4);
    list.AddStrings(&other);
    EXPECT_EQ(counter.changes, 5);
    list.Clear();
    EXPECT_EQ(counter.changes, 6);
    list.Clear();  // nothing to clear: no event
    EXPECT_EQ(counter.changes, 6);
}

TEST(StringListErrors, IndexOutOfBounds) {
    TStringList list;
    SetLines(list, {"a", "b"});
    EXPECT_EQ(StringListErrorOf([&] { (void)list.Strings(2); }), "List index out of bounds (2)");
    EXPECT_EQ(StringListErrorOf([&] { (void)list.Strings(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(StringListErrorOf([&] { list.Delete(5); }), "List index out of bounds (5)");
    EXPECT_EQ(StringListErrorOf([&] { list.Insert(3, "x"); }), "List index out of bounds (3)");
    EXPECT_EQ(StringListErrorOf([&] { (void)list.Objects(2); }), "List index out of bounds (2)");
    EXPECT_EQ(StringListErrorOf([&] { list.Exchange(0, 2); }), "List index out of bounds (2)");
    EXPECT_EQ(StringListErrorOf([&] { list.Move(7, 0); }), "List index out of bounds (7)");
    EXPECT_EQ(StringListErrorOf([&] { (void)list.Names(9); }), "List index out of bounds (9)");
    list.Insert(2, "c");  // at the end is allowed
    EXPECT_EQ(Lines(list), (V{"a", "b", "c"}));
    EXPECT_THROW(list.Delete(3), EListError);
}

TEST(StringListObjects, OwnedObjectsAreFreed) {
    int deaths = 0;
    {
        TStringList list(true);
        list.AddObject("a", new TCounted(&deaths));
        list.AddObject("b", new TCounted(&deaths));
        list.AddObject("c", new TCounted(&deaths));
        auto* kept = new TCounted(&deaths);
        list.AddObject("d", kept);
        list.Delete(0);
        EXPECT_EQ(deaths, 1);
        list.SetObjects(2, nullptr);  // hands "d"'s object back
        list.Exchange(0, 1);
        list.Move(0, 2);
        EXPECT_EQ(Lines(list), (V{"b", "d", "c"}));
        EXPECT_EQ(deaths, 1);
        list.Clear();
        EXPECT_EQ(deaths, 3);  // "b" and "c", not the handed-back one
        list.AddObject("e", new TCounted(&deaths));
        delete kept;
        EXPECT_EQ(deaths, 4);
    }
    EXPECT_EQ(deaths, 5);  // the destructor freed "e"'s object
}

TEST(StringListObjects, MoveExchangeAndSearchKeepObjects) {
    TStringList list;
    TObject o1, o2, o3;
    list.AddObject("one", &o1);
    list.AddObject("two", &o2);
    list.AddObject("three", &o3);
    list.Move(2, 0);
    EXPECT_EQ(Lines(list), (V{"three", "one", "two"}));
    EXPECT_EQ(list.Objects(0), &o3);
    list.Exchange(1, 2);
    EXPECT_EQ(list.Objects(1), &o2);
    EXPECT_EQ(list.IndexOfObject(&o1), 2);
    EXPECT_EQ(list.IndexOfObject(nullptr), -1);
}

TEST(StringListAssign, CopiesLinesObjectsAndSettings) {
    TStringList source;
    TObject object;
    source.AddObject("k=v", &object);
    source.Add("x");
    source.SetNameValueSeparator('=');
    source.SetDelimiter('|');
    TStringList target;
    target.Add("old");
    target.Assign(&source);
    EXPECT_EQ(Lines(target), (V{"k=v", "x"}));
    EXPECT_EQ(target.Objects(0), &object);
    EXPECT_EQ(target.Delimiter(), '|');
    EXPECT_TRUE(target.Equals(&source));
    target.SetStrings(1, "X");
    EXPECT_FALSE(target.Equals(&source));  // case matters
    target.Assign(&target);
    EXPECT_EQ(target.Count(), 2);
    target.AddStrings(&target);  // adding itself doubles once
    EXPECT_EQ(Lines(target), (V{"k=v", "X", "k=v", "X"}));

    TPersistent other;
    EXPECT_THROW(target.Assign(&other), EConvertError);
    EXPECT_THROW(target.Assign(nullptr), EConvertError);
    EXPECT_EQ(target.ClassName(), "TStringList");
    EXPECT_TRUE(target.InheritsFrom("tstrings"));
}

TEST(StringListStreams, LoadAndSave) {
    TStringList list;
    TStringStream in("\xEF\xBB\xBFone\r\ntw\xC3\xB6\r\n");
    list.LoadFromStream(&in);
    EXPECT_EQ(Lines(list), (V{"one", "tw\xC3\xB6"}));

    TStringStream legacy("caf\xE9\n\x93q\x94");  // not UTF-8: read as Windows-1252
    list.LoadFromStream(&legacy);
    EXPECT_EQ(Lines(list), (V{"caf\xC3\xA9", "\xE2\x80\x9Cq\xE2\x80\x9D"}));

    TStringStream partial("skip|a\nb");
    partial.SetPosition(5);
    list.LoadFromStream(&partial);
    EXPECT_EQ(Lines(list), (V{"a", "b"}));

    TStringStream out;
    list.SaveToStream(&out);
    EXPECT_EQ(out.DataString(), "a\nb\n");
}

TEST(StringListStreams, FilesRoundTripAndMissingFile) {
    TTestEnvironment env;
    ASSERT_FALSE(env.Folder().empty());
    const std::string file = env.Path("lines.txt");
    TStringList list;
    SetLines(list, {"first", "", "caf\xC3\xA9"});
    list.SaveToFile(file);
    TStringList back;
    back.LoadFromFile(file);
    EXPECT_EQ(Lines(back), Lines(list));
    EXPECT_THROW(back.LoadFromFile(env.Path("absent.txt")), EFOpenError);
    EXPECT_EQ(Lines(back), Lines(list));  // a failed load leaves the lines alone
}

// A list saved to a full disk raises with the reason; the file keeps its lines.
TEST(StringListStreams, AFullDiskKeepsTheOldFile) {
    TTestEnvironment env;
    const std::string file = env.Path("lines.txt");
    TStringList list;
    SetLines(list, {"old", "lines"});
    list.SaveToFile(file);
    SetLines(list, {"new"});
    SimulateWriteFailure(0);
    EXPECT_EQ(MessageOf<EFCreateError>([&] { list.SaveToFile(file); }),
              "Cannot create file \"" + file + "\". No space left on device");
    ResetWriteFaults();
    TStringList back;
    back.LoadFromFile(file);
    EXPECT_EQ(Lines(back), (std::vector<std::string>{"old", "lines"}));
}

TEST(StringsBase, DefaultsOfTheAbstractList) {
    TVectorStrings list;
    list.Add("Beta");
    list.Add("alpha");
    list.AddObject("gamma", nullptr);
    EXPECT_EQ(list.IndexOf("ALPHA"), 1);  // without regard to case
    list.SetStrings(0, "delta");          // Put: delete and insert
    list.Exchange(0, 2);
    EXPECT_EQ(list.Items, (V{"gamma", "alpha", "delta"}));
    list.Move(0, 2);
    EXPECT_EQ(list.Items, (V{"alpha", "delta", "gamma"}));
    EXPECT_EQ(list.Objects(0), nullptr);
    list.SetValues("k", "v");
    EXPECT_EQ(list.Values("K"), "v");
    list.SetCommaText("x,\"y z\"");
    EXPECT_EQ(list.Items, (V{"x", "y z"}));
    EXPECT_EQ(list.Text(), "x\ny z\n");
}
