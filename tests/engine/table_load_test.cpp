// Loading table images on several threads: the same table as one thread gives, the same errors
// at the same record, and texts that are not UTF-8 found wherever they are.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/messages.h"
#include "engine/ostra_table.h"
#include "engine/record_store.h"
#include "engine/table_file.h"
#include "engine/table_load.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/process.h"
#include "platform/core/streams.h"
#include "platform/core/text.h"
#include "support/core/child_process.h"
#include "support/engine/engine_test_util.h"
#include "support/engine/image_builder.h"

namespace fs = std::filesystem;

namespace {

class ScopedLoad {
public:
    ScopedLoad(int threads, std::size_t chunk)
        : FThreads(SetTableLoadThreads(threads)), FChunk(SetTableChunkSize(chunk)) {}
    ~ScopedLoad() {
        SetTableLoadThreads(FThreads);
        SetTableChunkSize(FChunk);
    }

private:
    int FThreads;
    std::size_t FChunk;
};

// Thread counts compared with the single thread; 0 is one per core.
const int ManyThreads[] = {2, 3, 8, 0};

// Integer, String 200, SmallStr 9, memo, BLOB, Float, Date, Boolean.
TestImage RecordsImage(int declared) {
    TestImage img;
    img.Counts(declared, 8)
        .Item("T.Qty i")
        .Item("T.Name s200")
        .Item("T.Code 9")
        .Item("T.Notes m")
        .Item("T.Data o")
        .Item("T.Price f")
        .Item("T.Day d")
        .Item("T.Done b");
    img.Notes("Notes of the table");
    return img;
}

std::string RandomText(std::mt19937& rng, std::size_t most) {
    static const char* const pieces[] = {"word ", "caf\xC3\xA9 ", "\xE2\x82\xAC",
                                         "x",     "Report ",      "\xF0\x9F\x98\x80"};
    std::string s;
    const std::size_t n = rng() % (most + 1);
    while (s.size() < n) {
        const std::string piece = pieces[rng() % 6];
        if (s.size() + piece.size() > most) break;
        s += piece;
    }
    return s;
}

// Appends one record of random values (each field absent now and then).
void AddRecord(TestImage& img, std::mt19937& rng) {
    auto present = [&] { return rng() % 7 != 0; };
    const bool qty = present(), name = present(), code = present(), notes = rng() % 3 == 0,
               data = rng() % 5 == 0, price = present(), day = present(), done = present();
    const std::string nameText = RandomText(rng, 190);
    std::string codeText = std::to_string(rng() % 100000000);
    std::string notesText = RandomText(rng, 700);
    std::string blob(rng() % 300, '\0');
    for (char& c : blob) c = static_cast<char>(rng());
    img.Byte(qty ? 4 : 0)
        .Byte(name ? 4 : 0)
        .Byte(code ? static_cast<uint8_t>(codeText.size()) : 0)
        .Byte(notes ? 4 : 0)
        .Byte(data ? 4 : 0)
        .Byte(price ? 8 : 0)
        .Byte(day ? 4 : 0)
        .Byte(done ? 2 : 0);
    if (qty) img.Int32(static_cast<int32_t>(rng()));
    if (name) img.Text32(nameText);
    if (code) img.Bytes(codeText);
    if (notes) img.Text32(notesText);
    if (data) img.Text32(blob);
    if (price) img.Double(static_cast<double>(rng() % 100000) / 8);
    if (day) img.Int32(700000 + static_cast<int32_t>(rng() % 40000));
    if (done) img.Int16(rng() % 2 ? -1 : 0);
}

TestImage ManyRecords(int count, unsigned seed) {
    TestImage img = RecordsImage(count);
    std::mt19937 rng(seed);
    for (int i = 0; i < count; ++i) AddRecord(img, rng);
    return img;
}

// Empty when both stores hold the same fields, notes and records (every
// field's bytes or value, stored sizes, numbers, order); else the first
// difference.
std::string Difference(const TOstraCursor& a, const TOstraCursor& b) {
    if (a.FieldCount() != b.FieldCount()) return "field counts";
    if (a.RecordCount() != b.RecordCount())
        return "record counts " + std::to_string(a.RecordCount()) + " and " + std::to_string(b.RecordCount());
    if (a.Notes() != b.Notes()) return "notes";
    if (a.TextEncoding() != b.TextEncoding()) return "encodings";
    for (int i = 0; i < a.RecordCount(); ++i) {
        const TOstraRecord* ra = a.RecordAt(i);
        const TOstraRecord* rb = b.RecordAt(i);
        const std::string at = "record " + std::to_string(i + 1) + ": ";
        if (ra->StoredSize != rb->StoredSize) return at + "stored sizes";
        if (ra->Number != rb->Number || ra->State != rb->State) return at + "numbers or states";
        for (const TOstraField& f : a.Fields()) {
            const uint8_t* pa = ra->Data() + f.Offset;
            const uint8_t* pb = rb->Data() + f.Offset;
            if (IsReferenceType(f.FieldType)) {
                if (std::string_view(OstValueData(pa) ? OstValueData(pa) : "", OstValueLength(pa)) !=
                    std::string_view(OstValueData(pb) ? OstValueData(pb) : "", OstValueLength(pb)))
                    return at + f.Name;
            } else if (std::memcmp(pa, pb, f.Size) != 0) {
                return at + f.Name;
            }
        }
    }
    return {};
}

class TempFile {
public:
    explicit TempFile(const std::string& data) {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        FName = GetTempDir() + "engine_load_" + info->name() + "_" + std::to_string(::getpid()) + ".d";
        std::ofstream(FName, std::ios::binary) << data;
    }
    ~TempFile() { fs::remove(FName); }
    const std::string& Name() const { return FName; }

private:
    std::string FName;
};

// Loads `image` three ways (from a file in chunks, from a memory stream, from
// a file stream) with `threads` threads; `tolerant` keeps what was read of a
// damaged image.
struct TLoads {
    TOstraCursor File, Memory, Stream;
    bool FileOk = false, MemoryOk = false, StreamOk = false;
    std::string FileError, MemoryError, StreamError;
};

void LoadAllWays(TLoads& out, const std::string& image, int threads, std::size_t chunk, bool tolerant,
                 const std::string& password = "") {
    ScopedLoad load(threads, chunk);
    TempFile file(image);
    for (TOstraCursor* c : {&out.File, &out.Memory, &out.Stream}) {
        c->SetTolerantLoad(tolerant);
        c->SetPassword(password);
    }
    out.FileOk = out.File.LoadFromFile(file.Name(), out.FileError);
    out.MemoryOk = LoadImage(out.Memory, image, out.MemoryError);
    TFileStream stream(file.Name(), fmOpenRead);
    out.StreamOk = out.Stream.LoadFromStream(&stream, out.StreamError);
}

}  // namespace

TEST(TableLoad, ManyThreadsGiveTheTableOneThreadGives) {
    // Chunks of 4 KB: the image spans a few hundred of them; then the usual 1 MB.
    const std::string image = ManyRecords(6000, 46).Build();
    const std::string key = "{0123ABCD-0000-4000-8000-00000000CAFE}";
    const std::string protectedImage = ManyRecords(3000, 7).Marker('P').Protect("pw", key).Build();
    for (const std::size_t chunk : {std::size_t{4096}, std::size_t{1} << 20}) {
        TLoads one;
        LoadAllWays(one, image, 1, chunk, false);
        ASSERT_TRUE(one.FileOk && one.MemoryOk && one.StreamOk)
            << one.FileError << one.MemoryError << one.StreamError;
        ASSERT_EQ(one.File.RecordCount(), 6000);
        EXPECT_EQ(Difference(one.File, one.Memory), "");
        EXPECT_EQ(Difference(one.File, one.Stream), "");
        EXPECT_EQ(one.File.TextEncoding(), oteUtf8);
        TLoads oneProtected;
        LoadAllWays(oneProtected, protectedImage, 1, chunk, false, "pw");
        ASSERT_TRUE(oneProtected.FileOk) << oneProtected.FileError;
        ASSERT_EQ(oneProtected.File.RecordCount(), 3000);
        for (const int threads : ManyThreads) {
            SCOPED_TRACE(testing::Message() << threads << " threads, chunks of " << chunk);
            TLoads many;
            LoadAllWays(many, image, threads, chunk, false);
            ASSERT_TRUE(many.FileOk && many.MemoryOk && many.StreamOk) << many.FileError;
            EXPECT_EQ(Difference(one.File, many.File), "");
            EXPECT_EQ(Difference(one.File, many.Memory), "");
            EXPECT_EQ(Difference(one.File, many.Stream), "");
            EXPECT_EQ(SaveImage(many.File), SaveImage(one.File));
            TLoads manyProtected;
            LoadAllWays(manyProtected, protectedImage, threads, chunk, false, "pw");
            ASSERT_TRUE(manyProtected.FileOk && manyProtected.MemoryOk && manyProtected.StreamOk)
                << manyProtected.FileError;
            EXPECT_EQ(Difference(oneProtected.File, manyProtected.File), "");
            EXPECT_EQ(Difference(oneProtected.File, manyProtected.Memory), "");
            EXPECT_EQ(Difference(oneProtected.File, manyProtected.Stream), "");
        }
    }
}

TEST(TableLoad, ARecordLongerThanManyChunksLoadsOnEveryThreadCount) {
    TestImage img = RecordsImage(40);
    std::mt19937 rng(3);
    for (int i = 0; i < 40; ++i) {
        if (i == 17) {  // a memo of 200 KB among small records
            img.Byte(0).Byte(0).Byte(0).Byte(4).Byte(0).Byte(0).Byte(0).Byte(0).Text32(
                std::string(200000, 'm'));
            continue;
        }
        AddRecord(img, rng);
    }
    const std::string image = img.Build();
    TLoads one;
    LoadAllWays(one, image, 1, 512, false);
    ASSERT_TRUE(one.FileOk && one.MemoryOk && one.StreamOk)
        << one.FileError << one.MemoryError << one.StreamError;
    EXPECT_EQ(TextOf(one.File, one.File.RecordAt(17), "Notes"), std::string(200000, 'm'));
    for (const int threads : ManyThreads) {
        SCOPED_TRACE(threads);
        TLoads many;
        LoadAllWays(many, image, threads, 512, false);
        ASSERT_TRUE(many.FileOk && many.MemoryOk && many.StreamOk) << many.FileError;
        EXPECT_EQ(Difference(one.File, many.File), "");
        EXPECT_EQ(Difference(one.File, many.Stream), "");
    }
}

// Record 3001 of 6000 is damaged in each of the ways a record can be; every
// thread count reports it as one thread does, keeps no table, and a tolerant
// load keeps exactly the 3000 records before it.
TEST(TableLoad, ADamagedRecordInTheMiddleIsReportedAsOneThreadReportsIt) {
    struct TDamage {
        const char* Expected;
        void (*Write)(TestImage&);
    };
    const TDamage damages[] = {
        {"Field 'Qty' has wrong length 5 in record 3001",
         [](TestImage& i) { i.Byte(5).Bytes(std::string(7, '\0')).Bytes("12345"); }},
        {"Field 'Code' has wrong length 10 in record 3001",
         [](TestImage& i) { i.Byte(0).Byte(0).Byte(10).Bytes(std::string(5, '\0')).Bytes("1234567890"); }},
        {"String field 'Name' has wrong length -3 in record 3001",
         [](TestImage& i) { i.Byte(0).Byte(4).Bytes(std::string(6, '\0')).Int32(-3); }},
        {"String field 'Name' has wrong length 9000 in record 3001",
         [](TestImage& i) { i.Byte(0).Byte(4).Bytes(std::string(6, '\0')).Int32(9000); }},
        {"BLOB field 'Data' has wrong length 1073741824 in record 3001",
         [](TestImage& i) {
             i.Bytes(std::string(4, '\0')).Byte(4).Bytes(std::string(3, '\0')).Int32(1 << 30);
         }},
        {"Field 'Notes' has wrong length 3 in record 3001",
         [](TestImage& i) {
             i.Bytes(std::string(3, '\0')).Byte(3).Bytes(std::string(4, '\0')).Bytes("abc");
         }},
    };
    std::mt19937 rng(11);
    TestImage head = RecordsImage(6000);
    for (int i = 0; i < 3000; ++i) AddRecord(head, rng);
    TestImage tail;
    for (int i = 0; i < 2999; ++i) AddRecord(tail, rng);
    const std::string good = [&] {
        TestImage img = head;
        img.Bytes(std::string(8, '\0'));
        return img.Build() + tail.Build().substr(TestImage().Build().size());
    }();
    for (const TDamage& d : damages) {
        SCOPED_TRACE(d.Expected);
        TestImage img = head;
        d.Write(img);
        const std::string image = img.Build() + tail.Build().substr(TestImage().Build().size());
        TLoads one;
        LoadAllWays(one, image, 1, 4096, false);
        EXPECT_FALSE(one.FileOk || one.MemoryOk || one.StreamOk);
        EXPECT_EQ(one.FileError, d.Expected);
        EXPECT_EQ(one.MemoryError, d.Expected);
        EXPECT_EQ(one.StreamError, d.Expected);
        TLoads oneTolerant;
        LoadAllWays(oneTolerant, image, 1, 4096, true);
        ASSERT_TRUE(oneTolerant.FileOk);
        ASSERT_EQ(oneTolerant.File.RecordCount(), 3000);
        for (const int threads : ManyThreads) {
            SCOPED_TRACE(threads);
            TLoads many;
            LoadAllWays(many, image, threads, 4096, false);
            EXPECT_FALSE(many.FileOk || many.MemoryOk || many.StreamOk);
            EXPECT_EQ(many.FileError, d.Expected);
            EXPECT_EQ(many.MemoryError, d.Expected);
            EXPECT_EQ(many.StreamError, d.Expected);
            for (const TOstraCursor* c : {&many.File, &many.Memory, &many.Stream}) {
                EXPECT_EQ(c->RecordCount(), 0);
                EXPECT_EQ(c->FieldCount(), 0);
            }
            TLoads tolerant;
            LoadAllWays(tolerant, image, threads, 4096, true);
            EXPECT_TRUE(tolerant.FileOk && tolerant.MemoryOk && tolerant.StreamOk);
            EXPECT_EQ(tolerant.FileError, d.Expected);
            EXPECT_EQ(Difference(oneTolerant.File, tolerant.File), "");
            EXPECT_EQ(Difference(oneTolerant.File, tolerant.Memory), "");
            EXPECT_EQ(Difference(oneTolerant.File, tolerant.Stream), "");
        }
    }
    // The undamaged image loads whole (the damage above is all there is).
    TLoads whole;
    LoadAllWays(whole, good, 0, 4096, false);
    EXPECT_TRUE(whole.FileOk) << whole.FileError;
    EXPECT_EQ(whole.File.RecordCount(), 6000);
}

TEST(TableLoad, AnImageCutInTheMiddleFailsAsOneThreadFails) {
    const std::string image = ManyRecords(6000, 5).Build();
    for (const std::size_t cut : {image.size() / 2, image.size() / 2 + 1, image.size() - 1}) {
        SCOPED_TRACE(cut);
        TLoads one;
        LoadAllWays(one, image.substr(0, cut), 1, 4096, false);
        EXPECT_FALSE(one.FileOk);
        TLoads oneTolerant;
        LoadAllWays(oneTolerant, image.substr(0, cut), 1, 4096, true);
        for (const int threads : ManyThreads) {
            TLoads many;
            LoadAllWays(many, image.substr(0, cut), threads, 4096, false);
            EXPECT_FALSE(many.FileOk || many.MemoryOk || many.StreamOk);
            EXPECT_EQ(many.FileError, one.FileError);
            EXPECT_EQ(many.MemoryError, one.FileError);
            EXPECT_EQ(many.StreamError, one.FileError);
            EXPECT_EQ(many.File.RecordCount(), 0);
            TLoads tolerant;
            LoadAllWays(tolerant, image.substr(0, cut), threads, 4096, true);
            EXPECT_GT(tolerant.File.RecordCount(), 2000);
            EXPECT_EQ(Difference(oneTolerant.File, tolerant.File), "");
            EXPECT_EQ(Difference(oneTolerant.File, tolerant.Stream), "");
        }
    }
}

// A byte sequence that is not UTF-8 at every offset of a text, across two
// sixteen-byte blocks, in a String, a short string and a memo of the last of
// many records: the table is read as Windows-1252 on every thread count, and
// the same texts with a valid character there stay UTF-8.
TEST(TableLoad, TextsThatAreNotUtf8AreFoundAtEveryOffset) {
    const std::string bad[] = {"\xE9", "\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                               "\xFF"};
    const std::string good[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    std::mt19937 rng(9);
    TestImage head = RecordsImage(301);
    for (int i = 0; i < 300; ++i) AddRecord(head, rng);
    enum TWhere { InName, InCode, InNotes };
    auto withText = [&](TWhere where, const std::string& text) {
        TestImage img = head;
        if (where == InCode) {
            img.Byte(0)
                .Byte(0)
                .Byte(static_cast<uint8_t>(text.size()))
                .Bytes(std::string(5, '\0'))
                .Bytes(text);
        } else {
            img.Byte(0).Byte(where == InName ? 4 : 0).Byte(0).Byte(where == InNotes ? 4 : 0);
            img.Bytes(std::string(4, '\0')).Text32(text);
        }
        return img.Build();
    };
    for (const TWhere where : {InName, InCode, InNotes}) {
        const std::size_t length = where == InCode ? 9 : 40;
        for (std::size_t at = 0; at < length; ++at) {
            for (const std::string& sequence : bad) {
                if (at + sequence.size() > length) continue;
                std::string text(length, 'a');
                text.replace(at, sequence.size(), sequence);
                SCOPED_TRACE(testing::Message() << "field " << where << ", offset " << at << ", bytes "
                                                << testing::PrintToString(sequence));
                const std::string image = withText(where, text);
                for (const int threads : {1, 3}) {
                    ScopedLoad load(threads, 4096);
                    TOstraCursor c;
                    std::string error;
                    ASSERT_TRUE(LoadImage(c, image, error)) << error;
                    EXPECT_EQ(c.TextEncoding(), oteWindows1252);
                    const char* field = where == InName ? "Name" : where == InCode ? "Code" : "Notes";
                    EXPECT_EQ(TextOf(c, c.RecordAt(300), field), Cp1252ToUtf8(text));
                }
            }
            for (const std::string& sequence : good) {
                if (at + sequence.size() > length) continue;
                std::string text(length, 'a');
                text.replace(at, sequence.size(), sequence);
                ScopedLoad load(3, 4096);
                TOstraCursor c;
                std::string error;
                ASSERT_TRUE(LoadImage(c, withText(where, text), error)) << error;
                EXPECT_EQ(c.TextEncoding(), oteUtf8) << where << " " << at;
            }
        }
    }
}

// Texts of every short length in a record amid others, each followed by
// bytes above 0x7F (a Day of -1): read whole words at a time, a text of plain
// ASCII keeps the table UTF-8 whatever lies after it, and a byte that is not
// UTF-8 at any offset is found, on one thread and on three.
TEST(TableLoad, ShortTextsAmidOtherRecordsAreCheckedToTheirLastByte) {
    std::mt19937 rng(21);
    TestImage head = RecordsImage(301);
    for (int i = 0; i < 150; ++i) AddRecord(head, rng);
    TestImage tail;
    for (int i = 0; i < 150; ++i) AddRecord(tail, rng);
    const std::string tailBytes = tail.Build().substr(TestImage().Build().size());
    enum TWhere { InName, InCode, InNotes };
    auto withText = [&](TWhere where, const std::string& text) {
        TestImage img = head;
        img.Byte(0).Byte(where == InName ? 4 : 0);
        img.Byte(where == InCode ? static_cast<uint8_t>(text.size()) : 0).Byte(where == InNotes ? 4 : 0);
        img.Byte(0).Byte(0).Byte(4).Byte(0);
        if (where == InCode)
            img.Bytes(text);
        else
            img.Text32(text);
        img.Int32(-1);
        return img.Build() + tailBytes;
    };
    for (const TWhere where : {InName, InCode, InNotes}) {
        const char* field = where == InName ? "Name" : where == InCode ? "Code" : "Notes";
        for (std::size_t length = 1; length <= (where == InCode ? 9u : 24u); ++length) {
            for (std::size_t bad = 0; bad <= length; ++bad) {  // `length`: none
                std::string text(length, 'a');
                if (bad < length) text[bad] = '\xFF';
                SCOPED_TRACE(testing::Message() << field << ", length " << length << ", bad byte " << bad);
                const std::string image = withText(where, text);
                for (const int threads : {1, 3}) {
                    ScopedLoad load(threads, 4096);
                    TOstraCursor c;
                    std::string error;
                    ASSERT_TRUE(LoadImage(c, image, error)) << error;
                    ASSERT_EQ(c.RecordCount(), 301);
                    EXPECT_EQ(c.TextEncoding(), bad < length ? oteWindows1252 : oteUtf8);
                    EXPECT_EQ(TextOf(c, c.RecordAt(150), field), Cp1252ToUtf8(text));
                    EXPECT_EQ(IntOf(c, c.RecordAt(150), "Day"), -1);
                }
            }
        }
    }
}

// A text that is not UTF-8 in the record that is damaged, before the damage:
// the records before it are kept as they are, in UTF-8, on every thread count.
TEST(TableLoad, ATextThatIsNotUtf8InADamagedRecordLeavesTheTableUtf8) {
    std::mt19937 rng(12);
    TestImage img = RecordsImage(4000);
    for (int i = 0; i < 3000; ++i) AddRecord(img, rng);
    img.Byte(0).Byte(4).Byte(10).Bytes(std::string(5, '\0')).Text32("caf\xE9").Bytes("1234567890");
    for (int i = 0; i < 999; ++i) AddRecord(img, rng);
    const std::string image = img.Build();
    for (const int threads : {1, 3}) {
        SCOPED_TRACE(threads);
        TLoads strict;
        LoadAllWays(strict, image, threads, 4096, false);
        EXPECT_FALSE(strict.FileOk || strict.MemoryOk || strict.StreamOk);
        EXPECT_EQ(strict.FileError, "Field 'Code' has wrong length 10 in record 3001");
        TLoads tolerant;
        LoadAllWays(tolerant, image, threads, 4096, true);
        for (const TOstraCursor* c : {&tolerant.File, &tolerant.Memory, &tolerant.Stream}) {
            EXPECT_EQ(c->RecordCount(), 3000);
            EXPECT_EQ(c->TextEncoding(), oteUtf8);
        }
    }
}

// The AutoInc counter and order after a load: values that ascend keep their
// order and the counter starts at the highest; one value out of order, at any
// place (so at every batch boundary too), has the list sorted as before.
TEST(TableLoad, AutoIncValuesOutOfOrderAreSortedAtEveryPlace) {
    const int count = 200;
    auto image = [&](int outOfOrder) {
        TestImage img;
        img.Counts(count, 2).Item("T.Key a").Item("T.Qty i");
        for (int i = 0; i < count; ++i) {
            const int32_t key = i == outOfOrder ? 5 : 10 + 3 * i;
            img.Byte(4).Byte(4).Int32(key).Int32(i);
        }
        return img.Build();
    };
    for (const std::size_t chunk : {std::size_t{64}, std::size_t{4096}}) {
        for (int outOfOrder = -1; outOfOrder < count; ++outOfOrder) {
            for (const int threads : {1, 3}) {
                SCOPED_TRACE(testing::Message() << chunk << " " << outOfOrder << " " << threads);
                ScopedLoad load(threads, chunk);
                TOstraCursor c;
                std::string error;
                ASSERT_TRUE(LoadImage(c, image(outOfOrder), error)) << error;
                ASSERT_EQ(c.RecordCount(), count);
                EXPECT_EQ(c.AutoIncCounter(), 10 + 3 * (outOfOrder == count - 1 ? count - 2 : count - 1));
                const int first = outOfOrder < 0 ? 0 : outOfOrder;
                EXPECT_EQ(IntOf(c, c.RecordAt(0), "Qty"), first);
                for (int i = 1; i < count; ++i)
                    ASSERT_LE(IntOf(c, c.RecordAt(i - 1), "Key"), IntOf(c, c.RecordAt(i), "Key")) << i;
            }
        }
    }
}

namespace {

// Makes every batch of a load on more than Most threads run short of
// memory, as the arenas and buffers of many threads do under a limit, and
// notes the thread counts the loads ran on.
class ScopedShortMemory {
public:
    explicit ScopedShortMemory(int most) {
        SetTableLoadMemoryHook([this, most](int threads) {
            if (Seen.empty() || Seen.back() != threads) Seen.push_back(threads);
            if (threads > most) throw std::bad_alloc();
        });
    }
    ~ScopedShortMemory() { SetTableLoadMemoryHook(nullptr); }
    std::vector<int> Seen;
};

}  // namespace

// A load that runs short of memory on many threads starts over on fewer,
// from a file, a memory stream and a file stream, and gives the table one
// thread gives; short on one thread too, it raises the platform's
// out-of-memory error, keeps nothing, and the next load opens the table.
TEST(TableLoad, ALoadRunningShortOfMemoryStartsOverOnFewerThreads) {
    const std::string image = ManyRecords(3000, 5).Build();
    TLoads one;
    LoadAllWays(one, image, 1, 4096, false);
    ASSERT_TRUE(one.FileOk && one.MemoryOk && one.StreamOk) << one.FileError;
    {
        ScopedShortMemory shortOfMemory(2);
        TLoads many;
        LoadAllWays(many, image, 8, 4096, false);
        ASSERT_TRUE(many.FileOk && many.MemoryOk && many.StreamOk)
            << many.FileError << many.MemoryError << many.StreamError;
        EXPECT_EQ(Difference(one.File, many.File), "");
        EXPECT_EQ(Difference(one.File, many.Memory), "");
        EXPECT_EQ(Difference(one.File, many.Stream), "");
        EXPECT_EQ((std::vector<int>{8, 4, 2, 8, 4, 2, 8, 4, 2}), shortOfMemory.Seen);
    }

    ScopedLoad load(0, 4096);
    TempFile file(image);
    TOstraTable table(nullptr);
    table.SetTableName(file.Name());
    {
        ScopedShortMemory shortOfMemory(0);
        try {
            table.Open();
            ADD_FAILURE() << "opened without memory";
        } catch (const EOutOfMemory& e) {
            EXPECT_EQ("Out of memory", e.Message());
        }
        EXPECT_FALSE(table.Active());
        EXPECT_EQ(1, shortOfMemory.Seen.back());
        TOstraCursor cursor;
        TFileStream stream(file.Name(), fmOpenRead);
        std::string error;
        EXPECT_THROW(cursor.LoadFromStream(&stream, error), EOutOfMemory);
        EXPECT_EQ(0, cursor.RecordCount());
        EXPECT_EQ(stream.Size(), stream.Position());
    }
    table.Open();
    EXPECT_EQ(3000, table.RecordCount());
    std::ifstream in(file.Name(), std::ios::binary);
    EXPECT_EQ(image, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

// Without a setting a load runs on every processor the process may use.
TEST(TableLoad, ThreadsFollowTheProcessorsTheProcessMayUse) {
    {
        ScopedLoad load(0, 4096);
        EXPECT_EQ(UsableProcessorCount(), TableLoadThreads());
    }
    ScopedLoad load(3, 4096);
    EXPECT_EQ(3, TableLoadThreads());
}

// Under an address-space limit that a load on one thread fits in with a
// little to spare, a load on eight threads fits too: its workers take small
// stacks and no memory arenas of their own. Each load runs in a process of
// its own; the least limit one thread loads under is found first, by what
// each child takes itself. Skipped under the address sanitizer, whose own
// mappings fail under such limits.
TEST(TableLoad, ALimitThatOneThreadLoadsUnderLoadsOnEightThreads) {
    if (AddressSanitized()) GTEST_SKIP() << "the address sanitizer ends a process short of memory";
    const std::string image = ManyRecords(12000, 17).Build();
    TempFile file(image);
    auto load = [&](int threads) {
        ScopedLoad setting(threads, std::size_t{1} << 20);
        TOstraCursor cursor;
        std::string error;
        try {
            return cursor.LoadFromFile(file.Name(), error) && cursor.RecordCount() == 12000 ? 0 : 1;
        } catch (const EOutOfMemory&) {
            return 3;
        } catch (const std::bad_alloc&) {
            return 4;
        }
    };
    const std::size_t least =
        LeastAddressSpace([&] { return load(1); }, std::size_t{1} << 20, std::size_t{1} << 30);
    ASSERT_GT(least, 0u);
    for (const int threads : {1, 8}) {
        const int child = SpawnChild([&] {
            ReleaseFreeMemory();
            if (!LimitAddressSpace(least + (std::size_t{24} << 20))) return 2;
            return load(threads);
        });
        EXPECT_EQ(0, ChildExitCode(child)) << threads << " threads; one thread's least limit " << least;
    }
}

// A damaged image whose record claims a value of 900 MB that is not there
// (the claim swallows the records after it): every road, on one thread or
// two, says the image ends early, and takes no buffer for the claim (under
// a limit far below it). In a process of its own; skipped under the
// address sanitizer, which ends a process whose allocation fails.
TEST(TableLoad, ARecordClaimingMoreThanTheImageHoldsEndsItEarlyOnEveryRoad) {
    if (AddressSanitized()) GTEST_SKIP() << "the address sanitizer ends a process short of memory";
    TestImage img = RecordsImage(401);
    std::mt19937 rng(3);
    for (int i = 0; i < 200; ++i) AddRecord(img, rng);
    img.Byte(0).Byte(0).Byte(0).Byte(4).Byte(0).Byte(0).Byte(0).Byte(0).Int32(900 << 20);
    for (int i = 0; i < 200; ++i) AddRecord(img, rng);
    const std::string image = img.Build();
    for (const int threads : {1, 2}) {
        const int child = SpawnChild([&] {
            ReleaseFreeMemory();
            if (!LimitAddressSpace(std::size_t{256} << 20)) return 2;
            TLoads loads;
            try {
                LoadAllWays(loads, image, threads, 4096, false);
            } catch (const EOutOfMemory&) {
                return 3;
            }
            int code = 0;
            for (const auto& [ok, error] : {std::pair{loads.FileOk, loads.FileError},
                                            {loads.MemoryOk, loads.MemoryError},
                                            {loads.StreamOk, loads.StreamError}})
                code = code * 2 + (ok || error != SUnexpectedEndOfBuffer ? 1 : 0);
            return code == 0 ? 0 : 10 + code;
        });
        EXPECT_EQ(0, ChildExitCode(child)) << threads << " threads";
    }
}

namespace {

// A table file of a million records and an open of it on a given number
// of threads, its view sorted by name: 0 when it opens whole, 3 when short
// of memory ("Out of memory"), 1 or 4 for anything else.
class TMillionRecords {
public:
    static constexpr int Records = 1000000;

    TMillionRecords() : FFile(Image()) {}

    int Open(int threads) const {
        ScopedLoad setting(threads, std::size_t{1} << 20);
        TOstraTable table(nullptr);
        table.SetTableName(FFile.Name());
        table.SetIndexFieldNames("Name");
        try {
            table.Open();
            return table.RecordCount() == Records ? 0 : 1;
        } catch (const EOutOfMemory&) {
            return 3;
        } catch (...) {
            return 4;
        }
    }

    // The least extra address space, a multiple of Step, it opens under on one thread.
    std::size_t LeastForOneThread(std::size_t Step) const {
        return LeastAddressSpace([&] { return Open(1); }, Step, std::size_t{1} << 30);
    }

    // Its open on `threads` threads in a process of its own under `extra` bytes more.
    int OpenUnder(std::size_t extra, int threads) const {
        return ChildExitCode(SpawnChild([&] {
            ReleaseFreeMemory();
            if (!LimitAddressSpace(extra)) return 2;
            return Open(threads);
        }));
    }

private:
    static std::string Image() {
        TestImage img;
        img.Counts(Records, 2).Item("T.Qty i").Item("T.Name s20");
        for (int i = 0; i < Records; ++i)
            img.Byte(4).Byte(4).Int32(i).Text32("Task " + std::to_string(i % 5000));
        return img.Build();
    }
    TempFile FFile;
};

}  // namespace

// A table of a million records opened under the least address-space limit
// that it opens under on one thread (the load and the view built after it),
// with a little to spare: it opens on two threads and on eight too, the
// threads' memory no obstacle to the view. Each open runs in a process of
// its own; skipped under the address sanitizer, which ends a process whose
// allocation fails.
TEST(TableLoad, ATableThatOpensOnOneThreadUnderALimitOpensOnMoreThreads) {
    if (AddressSanitized()) GTEST_SKIP() << "the address sanitizer ends a process short of memory";
    const TMillionRecords table;
    const std::size_t least = table.LeastForOneThread(std::size_t{1} << 20);
    ASSERT_GT(least, 0u);
    for (const int threads : {2, 8})
        EXPECT_EQ(0, table.OpenUnder(least + (std::size_t{4} << 20), threads))
            << threads << " threads; one thread's least limit " << least;
}

// The same table under every limit from the least one thread opens it
// under to 4 MB more, a quarter megabyte apart: on eight threads it opens
// under each (the load falls back to fewer threads where its own memory
// does not fit).
TEST(TableLoad, ATableOpensOnEightThreadsWhereverItOpensOnOne) {
    if (AddressSanitized()) GTEST_SKIP() << "the address sanitizer ends a process short of memory";
    const TMillionRecords table;
    constexpr std::size_t Quarter = std::size_t{1} << 18;
    const std::size_t least = table.LeastForOneThread(Quarter);
    ASSERT_GT(least, 0u);
    for (std::size_t extra = least; extra <= least + 16 * Quarter; extra += Quarter)
        EXPECT_EQ(0, table.OpenUnder(extra, 8))
            << "one thread's least limit " << least << ", this one " << extra;
}
