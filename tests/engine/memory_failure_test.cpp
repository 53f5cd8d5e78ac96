// Engine calls short of memory leave nothing half done. Each allocation of a
// call (Post, Delete, Save, Open, CancelChanges) is made to fail in turn,
// once or from there on, over a table with four clones of every kind and
// changes pending. A call that fails raises "Out of memory" (never a bare
// std::bad_alloc) and leaves the store, every view (its rows, order,
// position and current values), every bookmark and the file as they were;
// made again with the memory back it gives what it gives with memory to
// spare. A call that gets over its failure gives that too.
//
// Where a call makes many allocations the loop samples them (the last ones
// always); TASKMOOR_EVERY_ALLOCATION=1 in the environment tries every one.
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/record_list.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "engine/table_load.h"
#include "platform/core/memory.h"
#include "platform/core/streams.h"
#include "support/engine/allocation_failure.h"
#include "support/engine/table_test_fixture.h"

namespace {

constexpr int Rows = 120;

// What a dataset shows, its rows as places in its store's record list.
struct TViewState {
    bool Active = false;
    int State = 0;
    int RecNo = 0;
    int Pending = 0;
    std::vector<int> Rows;
    std::vector<std::string> Current;
    bool operator==(const TViewState&) const = default;
};

// The store's records (state and values), every view and the file.
struct TWorld {
    std::vector<std::string> Store;
    std::vector<TViewState> Views;
    std::string File;
    bool operator==(const TWorld&) const = default;
};

std::string Describe(const TViewState& V) {
    std::string out = std::string(V.Active ? "open" : "closed") + " state " + std::to_string(V.State) +
                      " recno " + std::to_string(V.RecNo) + " pending " + std::to_string(V.Pending) + " rows";
    for (int r : V.Rows) out += " " + std::to_string(r);
    out += " current";
    for (const std::string& c : V.Current) out += " |" + c.substr(0, 20);
    return out;
}

// Where two worlds differ.
std::string Difference(const TWorld& A, const TWorld& B) {
    std::string out;
    if (A.Store.size() != B.Store.size())
        out += "records " + std::to_string(A.Store.size()) + " / " + std::to_string(B.Store.size()) + "\n";
    for (std::size_t i = 0; i < std::min(A.Store.size(), B.Store.size()); ++i)
        if (A.Store[i] != B.Store[i])
            out += "record " + std::to_string(i) + ": " + A.Store[i].substr(0, 80) + " / " +
                   B.Store[i].substr(0, 80) + "\n";
    for (std::size_t i = 0; i < std::min(A.Views.size(), B.Views.size()); ++i)
        if (!(A.Views[i] == B.Views[i]))
            out += "view " + std::to_string(i) + ":\n  " + Describe(A.Views[i]) + "\n  " +
                   Describe(B.Views[i]) + "\n";
    if (A.File != B.File) out += "file differs\n";
    return out;
}

std::string RecordText(const TOstraCursor& Store, const TOstraRecord* R) {
    std::string text = std::to_string(static_cast<int>(R->State));
    const uint8_t* data = R->Data();
    if (!data) return text;
    for (const TOstraField& f : Store.Fields()) {
        const uint8_t* place = data + f.Offset;
        text += '|';
        if (IsTextType(f.FieldType))
            text += std::string(FieldText(place, f));
        else if (IsBlobType(f.FieldType))
            text += OstValueData(place) ? std::string(OstValueData(place), OstValueLength(place)) : "";
        else
            text += std::string(reinterpret_cast<const char*>(place), f.Size);
    }
    return text;
}

int PlaceOf(const TOstraCursor& Store, const TOstraRecord* R) {
    const std::vector<TOstraRecord*>& all = Store.Records();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i] == R) return static_cast<int>(i);
    return -1;
}

// The table, its four clones and the one a test opens, over one file.
class TWorldTables {
public:
    TWorldTables(const std::string& FileName, const std::string& Image) : File(FileName) {
        {
            TFileStream out(File, fmCreate);
            out.WriteBuffer(Image.data(), static_cast<int64_t>(Image.size()));
        }
        Source = std::make_unique<TOstraTable>(nullptr);
        Source->SetTableName(File);
        Source->Open();
        for (int i = 0; i < 4; ++i) {
            Clones.push_back(std::make_unique<TOstraTable>(nullptr));
            Clones.back()->SetCloneDS(Source.get());
        }
        Clones[0]->SetIndexFieldNames("Action");
        Clones[0]->SetSortOptions(TOstraSortOptions{osoCaseInsensitive});
        Clones[1]->SetFilter("Category = 'Home'");
        Clones[1]->SetFiltered(true);
        Clones[2]->SetIndexFieldNames("Action");
        Clones[2]->SetSortOptions(TOstraSortOptions{osoDescendSort});
        Clones[2]->SetOnFilterRecord([](TDataSet* D, bool& Accept) {
            // A handler that takes memory, as most do.
            const std::string priority = D->FieldByName("Priority")->AsString() + " priority of this task";
            Accept = priority.rfind("low", 0) != 0;
        });
        Clones[2]->SetFiltered(true);
        Clones[3]->SetIndexFieldNames("Action");
        Clones[3]->SetSortOptions(TOstraSortOptions{osoInsertInOrder});
        for (auto& c : Clones) c->Open();
        // Changes pending before the call: an append, an edit and a delete.
        Source->Append();
        Source->FieldByName("Action")->SetAsString("Pending new");
        Source->FieldByName("Category")->SetAsString("Home");
        Source->FieldByName("Notes")->SetAsString("pending notes");
        Source->Post();
        Source->SetRecNo(5);
        Source->Edit();
        Source->FieldByName("Action")->SetAsString("Pending edit");
        Source->Post();
        Source->SetRecNo(8);
        Source->Delete();
        for (TOstraTable* t : All()) {
            t->First();
            Marks.push_back(t->Bookmark());
            t->Last();
            Marks.push_back(t->Bookmark());
            t->SetRecNo(t->RecordCount() / 2);
            Marks.push_back(t->Bookmark());
            t->SetRecNo(3);
        }
    }
    ~TWorldTables() {
        Extra.reset();
        Clones.clear();
        Source.reset();
    }
    TWorldTables(const TWorldTables&) = delete;
    TWorldTables& operator=(const TWorldTables&) = delete;

    std::vector<TOstraTable*> All() const {
        std::vector<TOstraTable*> all{Source.get()};
        for (const auto& c : Clones) all.push_back(c.get());
        if (Extra) all.push_back(Extra.get());
        return all;
    }
    TOstraTable& Clone(int I) { return *Clones[static_cast<std::size_t>(I)]; }
    // A table of the test's own (made closed).
    TOstraTable& NewExtra() {
        Extra = std::make_unique<TOstraTable>(nullptr);
        return *Extra;
    }

    TWorld Snapshot() const {
        TWorld w;
        const TOstraCursor* store = Source->Cursor();
        for (const TOstraRecord* r : store->Records()) w.Store.push_back(RecordText(*store, r));
        for (TOstraTable* t : All()) {
            TViewState v;
            v.Active = t->Active();
            if (v.Active) {
                v.State = static_cast<int>(t->State());
                v.RecNo = t->RecNo();
                v.Pending = t->PendingChanges();
                for (int i = 0; t->ViewRecord(i); ++i)
                    v.Rows.push_back(PlaceOf(*t->Cursor(), t->ViewRecord(i)));
                if (t->RecordCount() > 0 || t->State() == dsInsert)
                    for (int f = 0; f < t->FieldCount(); ++f)
                        v.Current.push_back(t->Fields()->Fields(f)->AsString());
            }
            w.Views.push_back(std::move(v));
        }
        std::ifstream in(File, std::ios::binary);
        w.File.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return w;
    }
    // Every bookmark taken before still names its record; each table in
    // browse mode goes back to the record it was on.
    void CheckMarks(const std::string& Where) {
        const std::vector<TOstraTable*> all = All();
        for (std::size_t i = 0; i < all.size() && i < Marks.size() / 3; ++i) {
            TOstraTable* t = all[i];
            if (!t->Active() || t->State() != dsBrowse || t->RecordCount() == 0) continue;
            const TBookmark here = t->Bookmark();
            for (std::size_t m = 3 * i; m < 3 * i + 3; ++m) {
                EXPECT_TRUE(t->BookmarkValid(Marks[m])) << Where << " table " << i;
                t->GotoBookmark(Marks[m]);
                EXPECT_EQ(Marks[m], t->Bookmark()) << Where << " table " << i;
            }
            t->GotoBookmark(here);
        }
    }

    std::string File;
    std::unique_ptr<TOstraTable> Source;
    std::vector<std::unique_ptr<TOstraTable>> Clones;
    std::unique_ptr<TOstraTable> Extra;
    std::vector<TBookmark> Marks;
};

// How a call under the hook ended.
enum TOutcome { Done, OutOfMemory, BareBadAlloc, OtherError };

template <class F>
TOutcome Outcome(F&& Call, std::string& Message) {
    try {
        Call();
        return Done;
    } catch (const EOutOfMemory& e) {
        Message = e.Message();
        return e.Message() == SOutOfMemory ? OutOfMemory : OtherError;
    } catch (const std::bad_alloc&) {
        return BareBadAlloc;
    } catch (const Exception& e) {
        Message = e.ClassName() + std::string(": ") + e.Message();
        return OtherError;
    }
}

class MemoryFailure : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        TOstraTable t(nullptr);
        AddTaskDefs(t);
        t.FieldDefs()->Add("Picture", ftBlob);
        t.Open();
        for (int i = 0; i < Rows; ++i) {
            t.Append();
            std::string action = (i % 3 ? "Task " : "task ") + std::to_string(1000 + i * 7 % Rows);
            t.FieldByName("Action")->SetAsString(action);
            t.FieldByName("Category")->SetAsString(i % 3 == 0 ? "Home" : "Work");
            t.FieldByName("Priority")->SetAsString(i % 4 == 0 ? "low" : "high");
            if (i % 2) t.FieldByName("Notes")->SetAsString("notes of " + action);
            if (i % 5 == 1) t.FieldByName("Picture")->SetAsString(std::string(100 + i, 'p'));
            t.Post();
        }
        Image = Dir + "Tmemory.d";
        t.SaveToFile(Image);
        ImageBytes = ReadFile(Image);
        File = Dir + "Tworld.d";
    }

    // Runs Call over the allocations it makes, after Setup, each to fail in
    // turn in both ways; Call must end as with memory to spare.
    void RunOverAllocations(const std::function<void(TWorldTables&)>& Setup,
                            const std::function<void(TWorldTables&)>& Call, bool AndOn = true) {
        TWorld expected;
        int64_t total = 0;
        {
            TWorldTables w(File, ImageBytes);
            Setup(w);
            ArmAllocationFailure(0, false);
            Call(w);
            total = AllocationsCounted();
            DisarmAllocationFailure();
            expected = w.Snapshot();
        }
        ASSERT_GT(total, 0);
        const bool every = std::getenv("TASKMOOR_EVERY_ALLOCATION") != nullptr;
        const int64_t step = every ? 1 : std::max<int64_t>(1, total / 20);
        std::vector<int64_t> tries;
        for (int64_t k = 1; k <= total; k += step) tries.push_back(k);
        // The last ones always: what a call does after its change is made.
        for (int64_t k = std::max<int64_t>(1, total - 6); k <= total + 1; ++k)
            if (tries.empty() || k > tries.back()) tries.push_back(k);
        int reported = 0;
        for (const bool fromThereOn : {false, true}) {
            if (fromThereOn && !AndOn) break;
            for (const int64_t k : tries) {
                const std::string where = "allocation " + std::to_string(k) + " of " + std::to_string(total) +
                                          (fromThereOn ? " and on" : " once");
                TWorldTables w(File, ImageBytes);
                Setup(w);
                const TWorld before = w.Snapshot();
                std::string message;
                ArmAllocationFailure(k, fromThereOn);
                const TOutcome outcome = Outcome([&] { Call(w); }, message);
                DisarmAllocationFailure();
                const bool failed = AllocationsFailed() > 0;
                bool good = true;
                if (outcome == Done) {
                    const TWorld after = w.Snapshot();
                    good = after == expected;
                    EXPECT_TRUE(good) << where << ": done, but not as with memory to spare (got / expected)\n"
                                      << Difference(after, expected);
                } else if (outcome == OutOfMemory && failed) {
                    const TWorld after = w.Snapshot();
                    good = after == before;
                    EXPECT_TRUE(good) << where << ": out of memory, but not as before (got / before)\n"
                                      << Difference(after, before);
                    if (good) {
                        w.CheckMarks(where);
                        std::string again;
                        const TOutcome retry = Outcome([&] { Call(w); }, again);
                        good = retry == Done;
                        EXPECT_EQ(Done, retry) << where << ": made again: " << again;
                        if (good) {
                            const TWorld done = w.Snapshot();
                            good = done == expected;
                            EXPECT_TRUE(good)
                                << where << ": made again, not as with memory to spare (got / expected)\n"
                                << Difference(done, expected);
                        }
                    }
                } else {
                    good = false;
                    ADD_FAILURE() << where << ": "
                                  << (outcome == BareBadAlloc ? "a bare std::bad_alloc"
                                                              : "raised " + message);
                }
                if (!good && ++reported >= 3) return;
            }
        }
    }

    std::string Image;
    std::string ImageBytes;
    std::string File;
};

}  // namespace

TEST_F(MemoryFailure, AppendPost) {
    RunOverAllocations(
        [](TWorldTables& w) {
            w.Source->Append();
            w.Source->FieldByName("Action")->SetAsString("Zeta new");
            w.Source->FieldByName("Category")->SetAsString("Home");
            w.Source->FieldByName("Notes")->SetAsString("new notes");
        },
        [](TWorldTables& w) { w.Source->Post(); });
}

TEST_F(MemoryFailure, InsertPostThroughASortedClone) {
    RunOverAllocations(
        [](TWorldTables& w) {
            w.Clone(0).SetRecNo(10);
            w.Clone(0).Insert();
            w.Clone(0).FieldByName("Action")->SetAsString("Task 1010a");
            w.Clone(0).FieldByName("Category")->SetAsString("Home");
            w.Clone(0).FieldByName("Picture")->SetAsString(std::string(300, 'i'));
        },
        [](TWorldTables& w) { w.Clone(0).Post(); });
}

TEST_F(MemoryFailure, EditPostOfARecordLeavingAFilter) {
    RunOverAllocations(
        [](TWorldTables& w) {
            w.Clone(1).SetRecNo(4);
            w.Clone(1).Edit();
            w.Clone(1).FieldByName("Category")->SetAsString("Work");
        },
        [](TWorldTables& w) { w.Clone(1).Post(); });
}

TEST_F(MemoryFailure, EditPostClearingAMemo) {
    RunOverAllocations(
        [](TWorldTables& w) {
            w.Source->SetRecNo(2);
            w.Source->Edit();
            w.Source->FieldByName("Notes")->SetAsString("");
            w.Source->FieldByName("Action")->SetAsString("Task 0999");
        },
        [](TWorldTables& w) { w.Source->Post(); });
}

TEST_F(MemoryFailure, EditPostOfALargeBlob) {
    RunOverAllocations(
        [](TWorldTables& w) {
            w.Clone(3).SetRecNo(6);
            w.Clone(3).Edit();
            w.Clone(3).FieldByName("Picture")->SetAsString(std::string(1 << 20, 'b'));
        },
        [](TWorldTables& w) { w.Clone(3).Post(); });
}

TEST_F(MemoryFailure, DeleteThroughAClone) {
    RunOverAllocations([](TWorldTables& w) { w.Clone(2).SetRecNo(3); },
                       [](TWorldTables& w) { w.Clone(2).Delete(); });
}

TEST_F(MemoryFailure, SaveInStoreOrder) {
    RunOverAllocations([](TWorldTables&) {}, [](TWorldTables& w) { w.Source->Save(); });
}

TEST_F(MemoryFailure, SaveSorted) {
    RunOverAllocations(
        [](TWorldTables& w) {
            w.Source->SetIndexFieldNames("Category;Action");
            w.Source->SetSaveOptions(TOstraSaveOptions{savSortOnIndex});
        },
        [](TWorldTables& w) { w.Source->Save(); });
}

TEST_F(MemoryFailure, CancelChanges) {
    RunOverAllocations([](TWorldTables&) {}, [](TWorldTables& w) { w.Source->CancelChanges(); });
}

TEST_F(MemoryFailure, CommitChanges) {
    RunOverAllocations([](TWorldTables&) {}, [](TWorldTables& w) { w.Source->CommitChanges(); });
}

TEST_F(MemoryFailure, OpenAFileOnOneThread) {
    const int threads = SetTableLoadThreads(1);
    RunOverAllocations([](TWorldTables& w) { w.NewExtra().SetTableName(w.File); },
                       [](TWorldTables& w) { w.Extra->Open(); });
    SetTableLoadThreads(threads);
}

TEST_F(MemoryFailure, OpenAFileOnFourThreads) {
    const int threads = SetTableLoadThreads(4);
    const std::size_t chunk = SetTableChunkSize(4096);
    RunOverAllocations([](TWorldTables& w) { w.NewExtra().SetTableName(w.File); },
                       [](TWorldTables& w) { w.Extra->Open(); });
    SetTableChunkSize(chunk);
    SetTableLoadThreads(threads);
}

TEST_F(MemoryFailure, OpenAStream) {
    TMemoryStream stream;
    RunOverAllocations(
        [&](TWorldTables& w) {
            const std::string image = ReadFile(w.File);
            stream.SetSize(0);
            stream.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
            w.NewExtra().SetLoadMode(lmStream);
            w.Extra->SetLoadingStream(&stream);
        },
        [&](TWorldTables& w) {
            stream.SetPosition(0);
            w.Extra->Open();
        });
}

TEST_F(MemoryFailure, OpenAClone) {
    RunOverAllocations(
        [](TWorldTables& w) {
            TOstraTable& t = w.NewExtra();
            t.SetCloneDS(w.Source.get());
            t.SetIndexFieldNames("Category;Action");
            t.SetSortOptions(TOstraSortOptions{osoDescendSort, osoCaseInsensitive});
            t.SetFilter("Priority = 'high'");
            t.SetFiltered(true);
        },
        [](TWorldTables& w) { w.Extra->Open(); });
}

// A view's list with room taken for one more (ReserveOneMore) adds or
// inserts it without an allocation, wherever it goes: in a chunk with room,
// in a full one that splits, at the end where a new chunk starts; keyed or
// not, after an assignment, inserts and deletes.
TEST(RecordListRoom, OneMoreGoesInWithoutMemory) {
    std::vector<TOstraRecord> records(3000);
    for (const bool keyed : {false, true}) {
        TOstraRecordList list;
        std::vector<TOstraRecord*> first;
        std::vector<TOstraViewKey> keys;
        for (int i = 0; i < 700; ++i) {
            first.push_back(&records[static_cast<std::size_t>(i)]);
            keys.push_back(TOstraViewKey{static_cast<uint64_t>(i) + 1, 0});
        }
        list.Assign(std::move(first), keyed ? &keys : nullptr);
        std::vector<TOstraRecord*> expected = list.ToVector();
        uint32_t seed = 7;
        for (std::size_t i = 700; i < records.size(); ++i) {
            seed = seed * 1103515245u + 12345u;
            const int count = list.Count();
            const int place = static_cast<int>(seed >> 8) % (count + 1);
            const bool atEnd = seed % 5 == 0;
            list.ReserveOneMore();
            {
                TAllocationFailure failing(1, true);
                const TOstraViewKey key = keyed ? TOstraViewKey{i + 1, 0} : TOstraViewKey();
                if (atEnd)
                    list.Add(&records[i], key);
                else
                    list.Insert(place, &records[i], key);
            }
            ASSERT_EQ(0, AllocationsFailed()) << "record " << i << (keyed ? " keyed" : "");
            expected.insert(atEnd ? expected.end() : expected.begin() + place, &records[i]);
            if (seed % 7 == 0) {
                const int gone = static_cast<int>(seed >> 4) % list.Count();
                list.Delete(gone);
                expected.erase(expected.begin() + gone);
            }
        }
        EXPECT_EQ(expected, list.ToVector());
    }
}
