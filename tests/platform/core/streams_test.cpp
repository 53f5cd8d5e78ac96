// Memory, string and file streams: reading, writing, seeking, growth and write failures.
#include <gtest/gtest.h>

#include <dirent.h>
#include <stdlib.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "support/core/core_test_support.h"

namespace {

using StreamFolder = TempFolderTest;

std::string Bytes(TMemoryStream& s) {
    return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

// A stream that grows in 128 KB steps, laid over a caller's buffer on demand.
class TBigStepStream : public TMemoryStream {
public:
    using TMemoryStream::Capacity;
    using TMemoryStream::OwnsMemory;
    using TMemoryStream::SetPointer;

protected:
    void* Realloc(int64_t& newCapacity) override {
        if (newCapacity > 0) newCapacity = (newCapacity + 131071) / 131072 * 131072;
        return TMemoryStream::Realloc(newCapacity);
    }
};

}  // namespace

TEST(MemoryStream, WritesLittleEndianValuesAndReadsThemBack) {
    TMemoryStream s;
    s.WriteInt32(0x12345678);
    s.WriteInt16(-2);
    s.WriteByte(0xAB);
    s.WriteInt64(0x0102030405060708LL);
    s.WriteDouble(-1.5);
    s.WriteString("Ok");
    EXPECT_EQ(s.Size(), 4 + 2 + 1 + 8 + 8 + 2);
    std::string b = Bytes(s);
    EXPECT_EQ(b.substr(0, 7), std::string("\x78\x56\x34\x12\xFE\xFF\xAB", 7));
    EXPECT_EQ(b.substr(7, 8), std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8));
    // -1.5 is 0xBFF8000000000000.
    EXPECT_EQ(b.substr(15, 8), std::string("\0\0\0\0\0\0\xF8\xBF", 8));

    s.SetPosition(0);
    EXPECT_EQ(s.ReadInt32(), 0x12345678);
    EXPECT_EQ(s.ReadInt16(), -2);
    EXPECT_EQ(s.ReadByte(), 0xAB);
    EXPECT_EQ(s.ReadInt64(), 0x0102030405060708LL);
    EXPECT_EQ(s.ReadDouble(), -1.5);
    EXPECT_EQ(s.ReadString(2), "Ok");
}

TEST(MemoryStream, ReadingPastTheEndRaisesReadError) {
    TMemoryStream s;
    s.WriteString("abc");
    s.SetPosition(1);
    char buffer[8] = {};
    EXPECT_EQ(s.Read(buffer, 8), 2);  // plain Read answers the short count
    EXPECT_EQ(std::string(buffer, 2), "bc");
    EXPECT_EQ(s.Read(buffer, 8), 0);

    s.SetPosition(1);
    try {
        s.ReadBuffer(buffer, 3);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    s.SetPosition(2);
    EXPECT_THROW(s.ReadInt32(), EReadError);
    s.SetPosition(-5);
    EXPECT_THROW(s.ReadByte(), EReadError);
    // A corrupt length must not allocate what it claims.
    s.SetPosition(0);
    EXPECT_THROW(s.ReadString(int64_t(1) << 40), EReadError);
    EXPECT_THROW(s.ReadString(-1), EReadError);
}

TEST(MemoryStream, SeekAndSizeChanges) {
    TMemoryStream s;
    s.WriteString("hello");
    EXPECT_EQ(s.Seek(-2, soFromEnd), 3);
    EXPECT_EQ(s.Seek(1, soFromCurrent), 4);
    EXPECT_EQ(s.Seek(0, soFromBeginning), 0);

    // Writing beyond the end leaves zeros in the gap.
    s.SetPosition(8);
    s.WriteString("!");
    EXPECT_EQ(Bytes(s), std::string("hello\0\0\0!", 9));

    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(Bytes(s), "hel");
    s.SetSize(5);
    EXPECT_EQ(Bytes(s), std::string("hel\0\0", 5));

    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.Memory(), nullptr);
}

TEST(MemoryStream, CopyFromCopiesAPartOrTheWholeSource) {
    TStringStream source("0123456789");
    TMemoryStream target;
    source.SetPosition(7);
    EXPECT_EQ(target.CopyFrom(&source, 0), 10);  // 0: whole source from its start
    EXPECT_EQ(Bytes(target), "0123456789");

    source.SetPosition(2);
    EXPECT_EQ(target.CopyFrom(&source, 3), 3);
    EXPECT_EQ(Bytes(target), "0123456789234");

    source.SetPosition(8);
    EXPECT_THROW(target.CopyFrom(&source, 5), EReadError);
}

TEST(MemoryStream, GrowthPolicyCanBeReplacedByADescendant) {
    TBigStepStream s;
    s.WriteString("x");
    EXPECT_EQ(s.Capacity(), 131072);
    std::string big(200000, 'y');
    s.WriteString(big);
    EXPECT_EQ(s.Capacity(), 262144);
    EXPECT_EQ(s.Size(), 200001);
    s.SetSize(0);
    EXPECT_EQ(s.Capacity(), 0);
}

TEST(MemoryStream, PointerToCallersBufferIsReadInPlaceAndNeverFreed) {
    char buffer[] = {'a', 'b', 'c', 'd'};
    {
        TBigStepStream s;
        s.SetPointer(buffer, 4);
        EXPECT_EQ(s.Memory(), buffer);
        EXPECT_FALSE(s.OwnsMemory());
        EXPECT_EQ(s.ReadString(4), "abcd");
        // Growing copies out first; the caller's bytes stay as they were.
        s.WriteString("EF");
        EXPECT_TRUE(s.OwnsMemory());
        EXPECT_NE(s.Memory(), buffer);
        EXPECT_EQ(Bytes(s), "abcdEF");
    }
    EXPECT_EQ(std::string(buffer, 4), "abcd");
}

TEST(MemoryStream, IsATObject) {
    TMemoryStream s;
    EXPECT_EQ(s.ClassName(), "TMemoryStream");
    EXPECT_TRUE(s.InheritsFrom("tstream"));
    EXPECT_FALSE(s.InheritsFrom("TFileStream"));
}

TEST(StringStream, ReadsWritesAndOverwritesItsString) {
    TStringStream s("abcdef");
    EXPECT_EQ(s.ReadString(2), "ab");
    s.WriteString("XY");
    EXPECT_EQ(s.DataString(), "abXYef");
    s.Seek(0, soFromEnd);
    s.WriteInt16(0x4847);
    EXPECT_EQ(s.DataString(), "abXYefGH");
    EXPECT_THROW(s.ReadByte(), EReadError);
    s.SetSize(3);
    EXPECT_EQ(s.DataString(), "abX");
    EXPECT_EQ(s.Position(), 3);
}

TEST_F(StreamFolder, FileStreamOpenErrorsCarryTheExactText) {
    std::string missing = Path("missing.d");
    try {
        TFileStream f(missing, fmOpenRead | fmShareDenyNone);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\". No such file or directory");
    }
    std::string nowhere = Path("no/such/folder/x.d");
    try {
        TFileStream f(nowhere, fmCreate);
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + nowhere + "\". No such file or directory");
    }
    try {
        TFileStream f(dir, fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + dir + "\". Is a directory");
    }
    EXPECT_FALSE(FileExists(missing));
}

TEST_F(StreamFolder, FileStreamModes) {
    Put("t.d", "old contents");
    {
        TFileStream f(Path("t.d"), fmOpenReadWrite | fmShareExclusive);
        EXPECT_EQ(f.Size(), 12);
        f.SetPosition(4);
        f.WriteString("NEW");
        EXPECT_EQ(f.FileName(), Path("t.d"));
    }
    EXPECT_EQ(Contents("t.d"), "old NEWtents");
    {
        TFileStream f(Path("t.d"), fmOpenRead);
        EXPECT_EQ(f.ReadString(3), "old");
        EXPECT_EQ(f.Write("x", 1), 0);  // read-only handle
        EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
        f.SetPosition(10);
        EXPECT_THROW(f.ReadString(5), EReadError);
    }
    {
        TFileStream f(Path("t.d"), fmCreate);  // truncates
        EXPECT_EQ(f.Size(), 0);
        f.WriteInt32(7);
        f.SetSize(2);
        EXPECT_EQ(f.Size(), 2);
        EXPECT_EQ(f.Position(), 2);
    }
    EXPECT_EQ(Contents("t.d"), std::string("\x07\x00", 2));
}

TEST_F(StreamFolder, MemoryStreamFileRoundTripIsAtomic) {
    TMemoryStream image;
    image.WriteString(std::string("image\0bytes", 11));
    image.SaveToFile(Path("a.d"));
    EXPECT_EQ(Contents("a.d"), std::string("image\0bytes", 11));

    TMemoryStream loaded;
    loaded.WriteString("junk to be replaced");
    loaded.LoadFromFile(Path("a.d"));
    EXPECT_EQ(Bytes(loaded), std::string("image\0bytes", 11));
    EXPECT_EQ(loaded.Position(), 0);

    // A full disk leaves the old file and no temporary behind.
    TMemoryStream other;
    other.WriteString("new image");
    SimulateWriteFailure(0);
    try {
        other.SaveToFile(Path("a.d"));
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + Path("a.d") + "\". No space left on device");
    }
    ResetWriteFaults();
    EXPECT_EQ(Contents("a.d"), std::string("image\0bytes", 11));
    EXPECT_EQ(EntryCount(), 1);

    EXPECT_THROW(other.SaveToFile(Path("none/a.d")), EFCreateError);
    EXPECT_THROW(loaded.LoadFromFile(Path("none.d")), EFOpenError);
}

TEST_F(StreamFolder, SimulatedFailureHitsTheNthFileWrite) {
    TFileStream f(Path("w.d"), fmCreate);
    SimulateWriteFailure(2);
    f.WriteInt32(1);
    f.WriteInt32(2);
    EXPECT_THROW(f.WriteInt32(3), EWriteError);
    EXPECT_THROW(f.WriteInt32(4), EWriteError);  // stays full until reset
    // Memory streams are not affected.
    TMemoryStream m;
    EXPECT_NO_THROW(m.WriteInt32(5));
    ResetWriteFaults();
    f.WriteInt32(6);
    EXPECT_EQ(f.Size(), 12);
}
