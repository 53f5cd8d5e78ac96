// Reading and writing memo values through the blob stream.
#include <memory>

#include "engine/blob_stream.h"
#include "platform/db/datasource.h"
#include "support/engine/table_test_fixture.h"

class BlobStreamTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        AddTaskDefs(T);
        T.Open();
        AddTask(T, "Call", "Home", "first notes");
        T.First();
    }
    std::string Read(TBlobStreamMode mode = bmRead) {
        std::unique_ptr<TStream> s(T.CreateBlobStream(T.FieldByName("Notes"), mode));
        return s->ReadString(s->Size());
    }
    TOstraTable T{nullptr};
};

TEST_F(BlobStreamTest, ReadingGivesTheValueAndChangesNothing) {
    const int pending = T.PendingChanges();
    std::unique_ptr<TStream> s(T.CreateBlobStream(T.FieldByName("Notes"), bmRead));
    ASSERT_NE(nullptr, dynamic_cast<TOstraBlobStream*>(s.get()));
    EXPECT_EQ(0, s->Position());
    EXPECT_EQ("first notes", s->ReadString(s->Size()));
    s.reset();
    EXPECT_FALSE(T.Modified());
    EXPECT_EQ(pending, T.PendingChanges());

    // Read inside an edit: still nothing changes.
    T.Edit();
    {
        std::unique_ptr<TStream> r(T.CreateBlobStream(T.FieldByName("Notes"), bmReadWrite));
        EXPECT_EQ("first notes", r->ReadString(r->Size()));
    }
    EXPECT_FALSE(T.Modified());
    T.Cancel();
}

TEST_F(BlobStreamTest, WrittenStreamReplacesTheValueWhenFreed) {
    TDataSource source(nullptr);
    source.SetDataSet(&T);
    TField* changed = nullptr;
    source.SetOnDataChange([&](TObject*, TField* f) { changed = f; });
    T.Edit();
    auto* s = new TOstraBlobStream(T.FieldByName("Notes"), bmWrite);
    EXPECT_EQ(0, s->Size());  // write-only starts empty
    s->WriteString("new text");
    EXPECT_EQ("first notes", T.FieldByName("Notes")->AsString());  // not before the stream goes
    delete s;
    EXPECT_EQ(T.FieldByName("Notes"), changed);
    EXPECT_TRUE(T.Modified());
    EXPECT_EQ("new text", T.FieldByName("Notes")->AsString());
    T.Post();
    EXPECT_EQ("new text", Read());
}

TEST_F(BlobStreamTest, ReadWriteStreamAppendsToTheValue) {
    T.Edit();
    {
        std::unique_ptr<TStream> s(T.CreateBlobStream(T.FieldByName("Notes"), bmReadWrite));
        s->Seek(0, soFromEnd);
        s->WriteString(", more");
    }
    T.Post();
    EXPECT_EQ("first notes, more", Read());
}

TEST_F(BlobStreamTest, TruncatingAndClearingAreWrittenBack) {
    T.Edit();
    {
        std::unique_ptr<TStream> s(T.CreateBlobStream(T.FieldByName("Notes"), bmReadWrite));
        s->SetSize(5);
    }
    EXPECT_EQ("first", T.FieldByName("Notes")->AsString());
    T.FieldByName("Notes")->Clear();
    T.Post();
    EXPECT_TRUE(T.FieldByName("Notes")->IsNull());
    EXPECT_EQ("", Read());
}

TEST_F(BlobStreamTest, WritingNeedsEditModeAndAWritableField) {
    EXPECT_RAISES(T.CreateBlobStream(T.FieldByName("Notes"), bmWrite), EDatabaseError,
                  "Table is not in edit or insert mode");
    EXPECT_RAISES(T.FieldByName("Notes")->SetAsString("x"), EDatabaseError,
                  "Table is not in edit or insert mode");
    T.FieldByName("Notes")->SetReadOnly(true);
    T.Edit();
    EXPECT_RAISES(T.CreateBlobStream(T.FieldByName("Notes"), bmReadWrite), EDatabaseError,
                  "Field 'Notes' is read only!");
    // Reading a read-only field is fine.
    EXPECT_EQ("first notes", Read());
    T.Cancel();
}

TEST_F(BlobStreamTest, NewRecordGetsItsMemoThroughTheStream) {
    T.Append();
    EXPECT_EQ("", Read());
    T.FieldByName("Action")->SetAsString("Second");
    T.FieldByName("Notes")->SetAsString(std::string("binary\0bytes", 12));
    T.Post();
    EXPECT_EQ(12, static_cast<int>(Read().size()));
    T.SaveToFile(Dir + "b.d");
    TOstraTable check(nullptr);
    check.SetTableName(Dir + "b.d");
    check.Open();
    check.Last();
    EXPECT_EQ(std::string("binary\0bytes", 12), check.FieldByName("Notes")->AsString());
}

// Once the edit ended the stream refuses writes, and freed it writes nothing.
TEST_F(BlobStreamTest, WritingAfterTheEditEndedRaises) {
    T.Edit();
    std::unique_ptr<TStream> s(T.CreateBlobStream(T.FieldByName("Notes"), bmWrite));
    s->WriteString("kept");
    T.Cancel();
    EXPECT_RAISES(s->WriteString("late"), EDatabaseError, "Table is not in edit or insert mode");
    EXPECT_RAISES(s->SetSize(0), EDatabaseError, "Table is not in edit or insert mode");
    s.reset();  // nowhere to write: no error, no change
    EXPECT_EQ("first notes", T.FieldByName("Notes")->AsString());
}

// A stream kept past its edit never writes into a later one, on this
// record or another.
TEST_F(BlobStreamTest, StreamKeptPastItsEditWritesIntoNoLaterEdit) {
    AddTask(T, "Write", "Work", "second notes");
    T.First();
    T.Edit();
    std::unique_ptr<TStream> s(T.CreateBlobStream(T.FieldByName("Notes"), bmWrite));
    s->WriteString("for the first");
    T.Post();  // the stream is still alive: nothing was stored
    T.Next();
    T.Edit();
    EXPECT_RAISES(s->WriteString("late"), EDatabaseError, "Table is not in edit or insert mode");
    EXPECT_RAISES(s->SetSize(0), EDatabaseError, "Table is not in edit or insert mode");
    s.reset();
    EXPECT_FALSE(T.Modified());
    T.Post();
    EXPECT_EQ((std::vector<std::string>{"first notes", "second notes"}), Column(T, "Notes"));
    // The same record edited again is another edit too.
    T.First();
    T.Edit();
    s.reset(T.CreateBlobStream(T.FieldByName("Notes"), bmWrite));
    T.Cancel();
    T.Edit();
    EXPECT_RAISES(s->WriteString("late"), EDatabaseError, "Table is not in edit or insert mode");
    s.reset();
    T.Post();
    EXPECT_EQ((std::vector<std::string>{"first notes", "second notes"}), Column(T, "Notes"));
}

TEST_F(BlobStreamTest, StoreFailingWhenTheStreamIsFreedIsRaisedByThePost) {
    // The field refuses the change when the stream hands the value over.
    T.FieldByName("Notes")->SetOnChange([](TField*) { throw EDatabaseError("Notes are locked"); });
    T.Edit();
    T.FieldByName("Action")->SetAsString("Changed");
    {
        std::unique_ptr<TStream> s(T.CreateBlobStream(T.FieldByName("Notes"), bmWrite));
        s->WriteString("lost?");
    }
    EXPECT_RAISES(T.Post(), EDatabaseError, "Notes are locked");
    EXPECT_EQ(dsEdit, T.State());  // the edit stays, to be put right or cancelled
    T.FieldByName("Notes")->SetOnChange(TFieldNotifyEvent());
    T.Post();
    EXPECT_EQ("Changed", T.FieldByName("Action")->AsString());
}
