// Writing table images (the TOstraCursor members declared in record_store.h)
// and saving them to files.
#include "engine/table_file.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "engine/messages.h"
#include "engine/password.h"
#include "engine/record_sort.h"
#include "engine/record_store.h"
#include "engine/sapphire.h"
#include "engine/table_image.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/process.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/core/threads.h"

namespace {

std::function<void(const std::string&)> GSaveHook;

constexpr std::size_t SaveChunkMost = 256 << 10;

// A growing image buffer.
class TImageBuffer {
public:
    TImageBuffer() = default;
    TImageBuffer(const TImageBuffer&) = delete;
    TImageBuffer& operator=(const TImageBuffer&) = delete;
    ~TImageBuffer() { OstFreeBlock(FData); }
    void Reserve(std::size_t n) {
        if (n <= FCapacity) return;
        auto* p = static_cast<uint8_t*>(OstAllocateBlock(n));
        if (FSize) std::memcpy(p, FData, FSize);
        OstFreeBlock(FData);
        FData = p;
        FCapacity = n;
    }
    void Ensure(std::size_t more) {
        if (FSize + more > FCapacity) Reserve(std::max(FSize + more, FCapacity + FCapacity / 2 + 64));
    }
    uint8_t* Put(std::size_t n) {
        Ensure(n);
        uint8_t* p = FData + FSize;
        FSize += n;
        return p;
    }
    void Put(const void* data, std::size_t n) {
        if (n) std::memcpy(Put(n), data, n);
    }
    void PutByte(uint8_t b) { *Put(1) = b; }
    void PutInt32(int32_t v) { PutLE32(Put(4), v); }
    uint8_t* Data() { return FData; }
    std::size_t Size() const { return FSize; }
    void Empty() { FSize = 0; }
    // Takes n bytes written past the end (room made by Ensure).
    void Grow(std::size_t n) { FSize += n; }

private:
    uint8_t* FData = nullptr;
    std::size_t FSize = 0;
    std::size_t FCapacity = 0;
};

}  // namespace

void SetTableSaveHook(std::function<void(const std::string& newFileName)> hook) {
    GSaveHook = std::move(hook);
}

// -- Writer --------------------------------------------------------------------------

// Builds an image in chunks of about ChunkSize bytes, each handed to Put as
// it is complete (enciphered when the table is protected). The header's
// counts are known only at the end: they go into the first chunk while it is
// still held, or afterwards through PutAt.
class TOstraImageWriter {
public:
    using TPut = std::function<void(const uint8_t* data, std::size_t size)>;
    using TPutAt = std::function<void(int64_t offset, const uint8_t* data, std::size_t size)>;

    TOstraImageWriter(TOstraCursor& cursor, std::size_t chunkSize, TPut put, TPutAt putAt)
        : C(cursor), FChunkSize(chunkSize), FPut(std::move(put)), FPutAt(std::move(putAt)) {}

    // Writes the image of the records in `order` (live ones only).
    void Build(const std::vector<TOstraRecord*>& order);

    int64_t Length = 0;
    TOstraPasswordBlock PlainBlock{};
    bool IsProtected = false;
    std::string Descriptor;

private:
    struct TFieldPlan {
        // Text1252 and SmallStr1252: text values of a Windows-1252 table,
        // encoded as they are written.
        enum TKind : uint8_t { None, Double, SmallStr, Reference, Fixed, SmallStr1252, Text1252 };
        uint32_t Offset;
        uint16_t Size;
        uint16_t Length;
        TKind Kind;
        TOstraFieldType Type;
        bool Wide;  // 16 bytes can be read at its place
    };
    void Plan();
    void WriteRecord(const uint8_t* data);
    // Encodes a text of field `index` as Windows-1252 into out (room for
    // text.size() bytes); answers its bytes.
    std::size_t Encode(std::string_view text, uint8_t* out, std::size_t index) const;
    void Flush();

    std::vector<TFieldPlan> FPlan;
    std::vector<uint32_t> FReferences;
    std::vector<uint32_t> FLengths;  // of the record being written
    std::size_t FRecordMost = 0;

    TOstraCursor& C;
    std::size_t FChunkSize;
    TPut FPut;
    TPutAt FPutAt;
    TImageBuffer Image;
    std::unique_ptr<TSapphire> FCipher;
    std::size_t FBodyAt = 0;  // in the chunk held
    int64_t FFlushed = 0;
};

void TOstraImageWriter::Flush() {
    if (Image.Size() == 0) return;
    if (FCipher) FCipher->Encipher(Image.Data() + FBodyAt, Image.Size() - FBodyAt);
    FPut(Image.Data(), Image.Size());
    FFlushed += static_cast<int64_t>(Image.Size());
    Image.Empty();
    FBodyAt = 0;
}

void TOstraImageWriter::Plan() {
    FPlan.clear();
    FReferences.clear();
    FRecordMost = C.FFields.size();
    const bool cp1252 = C.FTextEncoding == oteWindows1252;
    for (const TOstraField& f : C.FFields) {
        TFieldPlan p{f.Offset,          f.Size,      f.Length,
                     TFieldPlan::Fixed, f.FieldType, f.Size <= 16 && f.Offset + 16 <= C.FDataSize};
        switch (f.FieldType) {
        case oftUnknown: p.Kind = TFieldPlan::None; break;
        case oftDouble:
        case oftCurrency:
        case oftDateTime: p.Kind = TFieldPlan::Double; break;
        case oftSmallStr: p.Kind = cp1252 ? TFieldPlan::SmallStr1252 : TFieldPlan::SmallStr; break;
        case oftString:
        case oftBLOB:
        case oftMemo:
        case oftFmtMemo:
        case oftGraphic:
            p.Kind = cp1252 && IsTextType(f.FieldType) ? TFieldPlan::Text1252 : TFieldPlan::Reference;
            FReferences.push_back(f.Offset);
            break;
        default: break;
        }
        FRecordMost += p.Kind == TFieldPlan::Reference || p.Kind == TFieldPlan::Text1252
                           ? 4
                           : std::max<std::size_t>(f.Size, 16);
        FPlan.push_back(p);
    }
    FLengths.resize(FReferences.size());
}

// Index of the first zero byte of 16 (16 when there is none).
inline unsigned ZeroIndex16(const uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
        for (unsigned half = 0; half < 16; half += 8) {
            const uint64_t v = OstGet<uint64_t>(p + half);
            // The lowest marked byte is the first zero one.
            const uint64_t zeros = (v - ones) & ~v & highs;
            if (zeros) return half + static_cast<unsigned>(std::countr_zero(zeros)) / 8;
        }
        return 16;
    } else {
        unsigned n = 0;
        while (n < 16 && p[n]) ++n;
        return n;
    }
}

inline bool AllZero(const uint8_t* p, std::size_t size) {
    switch (size) {
    case 2: return OstGet<uint16_t>(p) == 0;
    case 4: return OstGet<uint32_t>(p) == 0;
    case 8: return OstGet<uint64_t>(p) == 0;
    default: return OstIsZero(p, size);
    }
}

std::size_t TOstraImageWriter::Encode(std::string_view text, uint8_t* out, std::size_t index) const {
    if (OstIsAscii(text.data(), text.size())) {
        std::memcpy(out, text.data(), text.size());
        return text.size();
    }
    // Posting refuses such text: never written as something else.
    const std::ptrdiff_t n = Utf8ToCp1252(text, reinterpret_cast<char*>(out));
    if (n < 0) throw EDatabaseError(Format(STextNotInEncoding, C.FFields[index].Name));
    return static_cast<std::size_t>(n);
}

void TOstraImageWriter::WriteRecord(const uint8_t* data) {
    // Room for the longest form of this record, so the values go in unchecked.
    std::size_t most = FRecordMost;
    for (std::size_t i = 0; i < FReferences.size(); ++i) {
        FLengths[i] = OstValueLength(data + FReferences[i]);
        most += FLengths[i];
    }
    Image.Ensure(most);
    const uint32_t* lengths = FLengths.data();
    uint8_t* presence = Image.Data() + Image.Size();
    uint8_t* out = presence + FPlan.size();
    for (const TFieldPlan& f : FPlan) {
        const uint8_t* p = data + f.Offset;
        uint8_t n = 0;
        switch (f.Kind) {
        case TFieldPlan::None: break;
        case TFieldPlan::SmallStr1252: {
            const std::string_view text(reinterpret_cast<const char*>(p),
                                        strnlen(reinterpret_cast<const char*>(p), f.Size - 1u));
            const std::size_t k = Encode(text, out, static_cast<std::size_t>(&f - FPlan.data()));
            if (k > f.Length)
                throw EDatabaseError(Format(STextTooLong,
                                            C.FFields[static_cast<std::size_t>(&f - FPlan.data())].Name,
                                            static_cast<int64_t>(k), int{f.Length}));
            n = static_cast<uint8_t>(k);
            break;
        }
        case TFieldPlan::Text1252: {
            const std::size_t length = *lengths++;
            if (length == 0) break;
            std::size_t k = Encode(std::string_view(OstValueData(p), length), out + 4,
                                   static_cast<std::size_t>(&f - FPlan.data()));
            if (f.Type == oftString)
                k = std::min<std::size_t>(k, std::max<std::size_t>(OstraMaxStringValue - 1, f.Length));
            else
                k = std::min<std::size_t>(k, OstraMaxBlobValue - 1);
            PutLE32(out, static_cast<int32_t>(k));
            n = 4;
            out += k;
            break;
        }
        case TFieldPlan::Double:
            if (OstGet<double>(p) != 0.0) {
                n = 8;
                std::memcpy(out, p, 8);
            }
            break;
        case TFieldPlan::SmallStr:
            if (f.Wide) {
                // The whole place fits the room made; only its text counts.
                std::memcpy(out, p, 16);
                n = static_cast<uint8_t>(std::min<unsigned>(ZeroIndex16(p), f.Length));
            } else {
                n = static_cast<uint8_t>(strnlen(reinterpret_cast<const char*>(p), f.Length));
                std::memcpy(out, p, n);
            }
            break;
        case TFieldPlan::Reference: {
            std::size_t length = *lengths++;
            if (length == 0) break;
            const char* bytes = OstValueData(p);
            if (f.Type == oftString) {
                // Never longer than the reader accepts.
                const std::size_t longest = std::max<std::size_t>(OstraMaxStringValue - 1, f.Length);
                if (length > longest) length = Utf8Truncate(std::string_view(bytes, length), longest).size();
            } else if (length >= static_cast<std::size_t>(OstraMaxBlobValue)) {
                length = OstraMaxBlobValue - 1;
            }
            PutLE32(out, static_cast<int32_t>(length));
            std::memcpy(out + 4, bytes, length);
            n = static_cast<uint8_t>(4);
            out += length;
            break;
        }
        case TFieldPlan::Fixed:
            if (!AllZero(p, f.Size)) {
                n = static_cast<uint8_t>(f.Size);
                switch (f.Size) {
                case 2: std::memcpy(out, p, 2); break;
                case 4: std::memcpy(out, p, 4); break;
                case 8: std::memcpy(out, p, 8); break;
                default: std::memcpy(out, p, f.Size); break;
                }
            }
            break;
        }
        out += n;
        *presence++ = n;
    }
    Image.Grow(static_cast<std::size_t>(out - Image.Data()) - Image.Size());
}

void TOstraImageWriter::Build(const std::vector<TOstraRecord*>& order) {
    IsProtected = !C.FPassword.empty();
    Plan();
    std::string notes;
    if (C.FTextEncoding == oteWindows1252) {
        Descriptor.clear();
        for (std::size_t i = 0; i < C.FFields.size(); ++i) {
            const std::string item = DescriptorItem(C.FFields[i]);
            const std::size_t at = Descriptor.size();
            Descriptor.resize(at + item.size());
            const std::size_t k = Encode(item, reinterpret_cast<uint8_t*>(Descriptor.data() + at), i);
            Descriptor.resize(at + k);
        }
        Descriptor += OstraDescriptorEnd;
        notes.resize(C.FNotes.size());
        const std::ptrdiff_t k = Utf8ToCp1252(C.FNotes, notes.data());
        // Notes come only from the file: always Windows-1252 here.
        notes.resize(k < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(k), OstraMaxNotes));
    } else {
        Descriptor = BuildDescriptor(C.FFields);
        notes = Utf8Truncate(C.FNotes, OstraMaxNotes);
    }
    std::size_t estimate = (IsProtected ? OstraProtectedHeaderSize : OstraPlainHeaderSize) +
                           Descriptor.size() + (notes.empty() ? 0 : 3 + notes.size());
    // Only a whole image in one piece needs the estimate of its size.
    if (FChunkSize == SIZE_MAX) {
        for (const TOstraRecord* r : order)
            if (r->IsLive()) estimate += static_cast<std::size_t>(std::max(r->StoredSize, 0));
    } else {
        estimate = FChunkSize + FChunkSize / 4;
    }
    Image.Reserve(estimate + 64);

    Image.PutInt32(0);
    Image.PutByte(static_cast<uint8_t>(IsProtected ? OstraProtectedMarker : OstraPlainMarker));
    if (IsProtected) {
        PlainBlock = TOstraPasswords::NewPlainBlock();
        const TOstraPasswordBlock written = OstraPasswords().EncipherBlock(PlainBlock, C.FPassword);
        Image.Put(written.data(), written.size());
    }
    const std::size_t countAt = Image.Size();
    Image.PutInt32(0);
    Image.PutInt32(static_cast<int32_t>(C.FFields.size()));
    Image.PutInt32(static_cast<int32_t>(Descriptor.size()));
    Image.Put(Descriptor.data(), Descriptor.size());
    if (IsProtected) {
        // A cipher of its own: the session's may be used between two chunks.
        FCipher = std::make_unique<TSapphire>(
            std::string_view(reinterpret_cast<const char*>(PlainBlock.data()), OstraKeyTextSize));
        FBodyAt = Image.Size();
    }
    if (!notes.empty()) {
        Image.PutByte(static_cast<uint8_t>(OstraNotesMarker));
        Image.PutByte(static_cast<uint8_t>(notes.size() & 0xFF));
        Image.PutByte(static_cast<uint8_t>(notes.size() >> 8));
        Image.Put(notes.data(), notes.size());
    }
    TProgress progress(C.FOnProgress, static_cast<int64_t>(order.size()));
    int32_t written = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const TOstraRecord* r = order[i];
        if (!r->IsLive()) continue;
        WriteRecord(r->Data());
        ++written;
        progress.Step(static_cast<int64_t>(i) + 1);
        if (Image.Size() >= FChunkSize) Flush();
    }
    Length = FFlushed + static_cast<int64_t>(Image.Size());
    uint8_t count[4], length[4];
    PutLE32(count, written);
    PutLE32(length, static_cast<int32_t>(static_cast<uint32_t>(Length)));
    if (FFlushed == 0) {
        std::memcpy(Image.Data() + countAt, count, 4);
        std::memcpy(Image.Data(), length, 4);
        Flush();
    } else {
        Flush();
        FPutAt(static_cast<int64_t>(countAt), count, 4);
        FPutAt(0, length, 4);
    }
}

int64_t TOstraCursor::SaveToStream(TStream* stream) {
    // One piece: the stream sees a single write of the whole image.
    TOstraImageWriter writer(
        *this, SIZE_MAX,
        [stream](const uint8_t* data, std::size_t size) {
            stream->WriteBuffer(data, static_cast<int64_t>(size));
        },
        nullptr);
    writer.Build(FRecords);
    FDescriptor = std::move(writer.Descriptor);  // a move: nothing after the commit takes memory
    FProtected = writer.IsProtected;
    if (writer.IsProtected) FPasswordBlock = writer.PlainBlock;
    return writer.Length;
}

void TOstraCursor::SaveToFile(const std::string& fileName, TOstraSaveOptions options, bool caseInsensitive,
                              const std::string& sortFieldNames) {
    if (options.Contains(savAutoBackup) && FileExists(fileName)) {
        try {
            CopyFile(fileName, ChangeFileExt(fileName, OstraBackupExt), false);
        } catch (const Exception&) {
            // a failed backup does not stop the save
        }
    }
    // Sorted in a copy: a failed save leaves the store as it was.
    std::vector<TOstraRecord*> order;
    const std::vector<TOstraRecord*>* records = &FRecords;
    if (options.Contains(savSortOnIndex)) {
        const std::vector<const TOstraField*> fields = FindFields(sortFieldNames);
        if (!fields.empty()) {
            order = FRecords;
            OstraSortRecords(order, fields, caseInsensitive, FSortDescending);
            records = &order;
        }
    }
    // Built and written chunk by chunk into the new file, a quarter megabyte
    // at most: a save's buffer is fresh memory whenever the heap was given
    // back since the last one (after the program's start, at its close), and
    // every page of it is a page fault.
    TAtomicFileWriter file(fileName);
    TOstraImageWriter writer(
        *this, std::min<std::size_t>(TableChunkSize(), SaveChunkMost),
        [&file](const uint8_t* data, std::size_t size) { file.Write(data, size); },
        [&file](int64_t offset, const uint8_t* data, std::size_t size) { file.WriteAt(offset, data, size); });
    writer.Build(*records);
    file.Flush();
    if (GSaveHook) {
        try {
            GSaveHook(file.TempFileName());
        } catch (const Exception& e) {
            file.Abandon();
            throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName, e.Message()));
        }
    }
    file.Commit();
    if (records == &order && order != FRecords) {
        FRecords = std::move(order);
        ++FOrderChanges;
    }
    FDescriptor = std::move(writer.Descriptor);  // a move: nothing after the commit takes memory
    FProtected = writer.IsProtected;
    if (writer.IsProtected) FPasswordBlock = writer.PlainBlock;
}
