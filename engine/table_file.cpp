// Reading and writing table images (the TOstraCursor members declared in
// record_store.h) and saving them to files.
#include "engine/table_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "engine/messages.h"
#include "engine/password.h"
#include "engine/record_sort.h"
#include "engine/record_store.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

std::function<void(const std::string&)> GSaveHook;

inline int32_t GetLE32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
}

inline void PutLE32(uint8_t* p, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// Bytes still to be read of an image.
struct TBytes {
    const uint8_t* P;
    const uint8_t* End;

    std::size_t Left() const { return static_cast<std::size_t>(End - P); }
    bool Int32(int32_t& v) {
        if (Left() < 4) return false;
        v = GetLE32(P);
        P += 4;
        return true;
    }
};

// Reports whole percentages of a long loop when they change.
class TProgress {
public:
    TProgress(const TOstraCursor::TProgressEvent& handler, int64_t total)
        : FHandler(handler), FTotal(total) {}
    void Step(int64_t done) {
        if (!FHandler || FTotal <= 0) return;
        const int pct = static_cast<int>((done * 200 + FTotal) / (FTotal * 2));
        if (pct != FLast) {
            FLast = pct;
            FHandler(pct);
        }
    }

private:
    const TOstraCursor::TProgressEvent& FHandler;
    int64_t FTotal;
    int FLast = 0;
};

// A growing image buffer.
class TImageBuffer {
public:
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

private:
    uint8_t* FData = nullptr;
    std::size_t FSize = 0;
    std::size_t FCapacity = 0;
};

// Writes a file's new contents beside it, flushes them and renames the new
// file over the old one, so a failure at any point leaves the old file.
void WriteImageFile(const std::string& fileName, const void* data, std::size_t size) {
    static unsigned counter = 0;
    const std::string temp = ExtractFilePath(fileName) + "." + ExtractFileName(fileName) + "." +
                             std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
    int err = 0;
    try {
        errno = 0;
        if (fileName.empty() || DirectoryExists(fileName)) {
            err = fileName.empty() ? ENOENT : EISDIR;
            throw EFCreateError(std::strerror(err));
        }
        {
            TFileStream file(temp, fmCreate);
            file.WriteBuffer(data, static_cast<int64_t>(size));
            struct stat st;
            if (::stat(fileName.c_str(), &st) == 0) ::fchmod(file.Handle(), st.st_mode & 07777);
            if (::fsync(file.Handle()) != 0) {
                err = errno;
                throw EWriteError(std::strerror(err));
            }
        }
        if (GSaveHook) GSaveHook(temp);
        if (::rename(temp.c_str(), fileName.c_str()) != 0) {
            err = errno;
            throw EFCreateError(std::strerror(err));
        }
    } catch (const Exception& e) {
        if (!err) err = errno;
        ::unlink(temp.c_str());
        const std::string reason = err ? std::string(std::strerror(err)) : e.Message();
        throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName, reason));
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    // Make the rename itself durable; a failure here loses nothing.
    const std::string dir = ExtractFileDir(ExpandFileName(fileName));
    const int dirFd = ::open(dir.empty() ? "/" : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

}  // namespace

void SetTableSaveHook(std::function<void(const std::string& newFileName)> hook) {
    GSaveHook = std::move(hook);
}

// -- Descriptor texts ----------------------------------------------------------------

std::string DescriptorItem(const TOstraField& field) {
    std::string item = field.Origin.empty() ? std::string("XXX") : field.Origin;
    item += '.';
    item += ReplaceSpaces(field.Name, '_');
    item += ' ';
    item += TypeLetter(field.FieldType, field.Length);
    if (field.FieldType == oftString) item += std::to_string(field.Length);
    if (!field.DefaultText.empty() || !field.ExtraText.empty()) {
        item += '~';
        item += field.DefaultText;
        item += '~';
        item += field.ExtraText;
    }
    item += OstraItemEnd;
    return item;
}

std::string BuildDescriptor(std::span<const TOstraField> fields) {
    std::string text;
    for (const TOstraField& f : fields) text += DescriptorItem(f);
    text += OstraDescriptorEnd;
    return text;
}

std::string BuildEmptyImage(std::span<const TOstraField> fields) {
    const std::string descriptor = BuildDescriptor(fields);
    std::string image(OstraPlainHeaderSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(image.data());
    PutLE32(p, static_cast<int32_t>(descriptor.size() + OstraPlainHeaderSize));
    p[4] = OstraPlainMarker;
    PutLE32(p + 5, 0);
    PutLE32(p + 9, static_cast<int32_t>(fields.size()));
    PutLE32(p + 13, static_cast<int32_t>(descriptor.size()));
    return image + descriptor;
}

// -- Reader --------------------------------------------------------------------------

class TOstraImageReader {
public:
    explicit TOstraImageReader(TOstraCursor& cursor) : C(cursor) {}

    bool Read(const uint8_t* data, std::size_t size, std::string& error);
    // True once the fields are known: from then on a tolerant load keeps what
    // it read.
    bool FieldsKnown = false;

private:
    bool ParseDescriptor(std::string_view text, int32_t fieldCount, std::string& error);
    bool ReadRecord(TBytes& in, int32_t number, std::string& error);

    TOstraCursor& C;
};

bool TOstraImageReader::ParseDescriptor(std::string_view text, int32_t fieldCount, std::string& error) {
    std::vector<TOstraField> fields;
    std::size_t pos = 0;
    for (int32_t i = 0; i < fieldCount && pos < text.size(); ++i) {
        const std::size_t end = text.find(OstraItemEnd, pos);
        if (end == std::string_view::npos || end == pos) break;
        const std::string_view item = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t blank = item.find(' ');
        if (blank == std::string_view::npos || blank + 1 >= item.size()) break;
        const std::string_view head = item.substr(0, blank);
        const char letter = item[blank + 1];
        const std::string_view rest = item.substr(blank + 2);
        const std::size_t tilde = rest.find('~');

        TOstraField f;
        int length = 0;
        if (!TypeFromLetter(letter, f.FieldType, length)) break;
        if (f.FieldType == oftString) {
            const std::string_view digits = rest.substr(0, tilde);
            if (digits.empty()) {
                length = 100;
            } else {
                if (digits.size() > 5 ||
                    !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
                    break;
                length = std::stoi(std::string(digits));
                if (length > UINT16_MAX) break;
            }
        }
        const std::size_t dot = head.find('.');
        const std::string_view name = dot == std::string_view::npos ? head : head.substr(dot + 1);
        if (name.empty()) break;
        f.Name = EnsureUtf8(name);
        f.Origin = dot == std::string_view::npos ? std::string("XXX") : EnsureUtf8(head.substr(0, dot));
        if (tilde != std::string_view::npos) {
            const std::string_view after = rest.substr(tilde + 1);
            const std::size_t second = after.find('~');
            if (second == std::string_view::npos) {
                f.ExtraText = EnsureUtf8(after);
            } else {
                f.DefaultText = EnsureUtf8(after.substr(0, second));
                f.ExtraText = EnsureUtf8(after.substr(second + 1));
            }
        }
        f.Length = static_cast<uint16_t>(length);
        SetFieldLayout(f);
        fields.push_back(std::move(f));
    }
    // Every declared field must be described: the records hold one presence
    // byte per declared field.
    if (static_cast<int64_t>(fields.size()) != fieldCount) {
        error = SFieldDescriptionError;
        return false;
    }
    C.SetFields(std::move(fields));
    return true;
}

bool TOstraImageReader::ReadRecord(TBytes& in, int32_t number, std::string& error) {
    const std::size_t fieldCount = C.FFields.size();
    TOstraRecord* record = C.FRecordMemory.NewRecord();
    uint8_t* data = record->Data();
    const uint8_t* presence = in.P;
    in.P += fieldCount;
    int64_t used = static_cast<int64_t>(fieldCount);
    auto fail = [&](std::string message) {
        error = std::move(message);
        C.FRecordMemory.DropLast();
        return false;
    };
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const TOstraField& f = C.FFields[i];
        const uint8_t n = presence[i];
        const bool reference = IsReferenceType(f.FieldType);
        // A short string keeps its terminator; references store a 4-byte length.
        const unsigned limit = reference ? 4u : (f.FieldType == oftSmallStr ? f.Length : f.Size);
        if (n > limit || (reference && n != 0 && n != 4))
            return fail(Format(SFieldWrongLength, f.Name, int{n}, number));
        if (n == 0) continue;
        if (in.Left() < n) return fail(SUnexpectedEndOfBuffer);
        std::string recoded;  // text written elsewhere in Windows-1252
        if (!reference) {
            const std::string_view text(reinterpret_cast<const char*>(in.P),
                                        strnlen(reinterpret_cast<const char*>(in.P), n));
            if (f.FieldType == oftSmallStr && OstRecodeText(text, recoded)) {
                recoded = Utf8Truncate(recoded, f.Length);
                std::memcpy(data + f.Offset, recoded.data(), recoded.size());
            } else {
                std::memcpy(data + f.Offset, in.P, n);
            }
            in.P += n;
            used += n;
            continue;
        }
        const int32_t m = GetLE32(in.P);
        in.P += 4;
        if (f.FieldType == oftString) {
            if (m < 0 || (m >= OstraMaxStringValue && m > f.Length))
                return fail(Format(SStringFieldWrongLength, f.Name, m, number));
        } else if (m < 0 || m >= OstraMaxBlobValue) {
            return fail(Format(SBlobFieldWrongLength, f.Name, m, number));
        }
        if (in.Left() < static_cast<std::size_t>(m)) return fail(SUnexpectedEndOfBuffer);
        uint32_t length = static_cast<uint32_t>(m);
        if (f.FieldType == oftString)
            length = static_cast<uint32_t>(strnlen(reinterpret_cast<const char*>(in.P), length));
        const uint8_t* bytes = in.P;
        if (IsTextType(f.FieldType) &&
            OstRecodeText(std::string_view(reinterpret_cast<const char*>(in.P), length), recoded)) {
            bytes = reinterpret_cast<const uint8_t*>(recoded.data());
            length = static_cast<uint32_t>(recoded.size());
        }
        if (length > 0) {
            void* block = C.FValueMemory.Allocate(OstValueBlockSize(length));
            char* ref = OstInitValueBlock(block, bytes, length, false);
            std::memcpy(data + f.Offset, &ref, sizeof ref);
        }
        in.P += m;
        used += 4 + int64_t{m};
    }
    record->StoredSize = static_cast<int32_t>(std::min<int64_t>(used, INT32_MAX));
    C.FRecords.push_back(record);
    return true;
}

bool TOstraImageReader::Read(const uint8_t* data, std::size_t size, std::string& error) {
    TBytes in{data, data + size};
    int32_t length = 0;
    if (!in.Int32(length) || in.Left() < 1) {  // the length is not checked
        error = SUnexpectedEndOfBuffer;
        return false;
    }
    const char marker = static_cast<char>(*in.P++);
    if (marker == OstraErrorMarker) {
        error = EnsureUtf8(std::string_view(reinterpret_cast<const char*>(in.P), in.Left()));
        return false;
    }
    const bool isProtected = marker == OstraProtectedMarker;
    if (!isProtected && marker != OstraPlainMarker) {
        error = SBufferCorrupted;
        return false;
    }
    if (isProtected) {
        if (in.Left() < OstraPasswordBlockSize) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        TOstraPasswordBlock block;
        std::memcpy(block.data(), in.P, block.size());
        in.P += block.size();
        if (!OstraPasswords().CheckPassword(block, C.FPassword)) {
            error = SInvalidPassword;
            return false;
        }
        C.FPasswordBlock = block;
        C.FProtected = true;
    }
    int32_t recordCount = 0, fieldCount = 0, descriptorLength = 0;
    if (!in.Int32(recordCount) || !in.Int32(fieldCount) || !in.Int32(descriptorLength)) {
        error = SUnexpectedEndOfBuffer;
        return false;
    }
    if (recordCount < 0 || fieldCount < 0 || descriptorLength < 0 || descriptorLength >= OstraMaxDescriptor ||
        (fieldCount == 0 && recordCount > 0)) {
        error = SBufferCorrupted;
        return false;
    }
    if (fieldCount == 0) {  // nothing a cursor could show
        error = SNoFields;
        return false;
    }
    if (in.Left() < static_cast<std::size_t>(descriptorLength)) {
        error = SUnexpectedEndOfBuffer;
        return false;
    }
    const std::string_view descriptor(reinterpret_cast<const char*>(in.P),
                                      static_cast<std::size_t>(descriptorLength));
    in.P += descriptorLength;
    if (!ParseDescriptor(descriptor, fieldCount, error)) return false;
    C.FDescriptor = std::string(descriptor);
    FieldsKnown = true;

    std::unique_ptr<uint8_t[]> body;
    if (isProtected) {
        // Deciphered in a copy: the caller's stream stays as it was.
        const std::size_t n = in.Left();
        body.reset(new uint8_t[n ? n : 1]);
        std::memcpy(body.get(), in.P, n);
        TSapphire& cipher = OstraPasswords().Cipher();
        cipher.Initialize(
            std::string_view(reinterpret_cast<const char*>(C.FPasswordBlock.data()), OstraKeyTextSize));
        cipher.Decipher(body.get(), n);
        in = TBytes{body.get(), body.get() + n};
    }

    const std::size_t fields = static_cast<std::size_t>(fieldCount);
    if (in.Left() >= (recordCount > 0 ? fields : 3u) && in.Left() > 0 && *in.P == OstraNotesMarker) {
        ++in.P;
        if (in.Left() < 2) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        const auto notesLength = static_cast<int16_t>(in.P[0] | in.P[1] << 8);
        in.P += 2;
        if (notesLength < 0) {
            error = SBufferCorrupted;
            return false;
        }
        if (in.Left() < static_cast<std::size_t>(notesLength)) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        C.FNotes = EnsureUtf8(
            std::string_view(reinterpret_cast<const char*>(in.P), static_cast<std::size_t>(notesLength)));
        in.P += notesLength;
    }

    // Every record takes at least its presence bytes: no more can be there.
    const std::size_t possible = fields ? std::min<std::size_t>(recordCount, in.Left() / fields) : 0;
    C.FRecords.reserve(possible);
    C.FRecordMemory.Reserve(possible);
    TProgress progress(C.FOnProgress, recordCount);
    int32_t loaded = 0;
    while (loaded < recordCount && in.Left() >= fields) {
        if (!ReadRecord(in, loaded + 1, error)) break;
        ++loaded;
        progress.Step(loaded);
    }
    if (!error.empty()) return false;
    if (loaded != recordCount) {
        error = Format(SRecordCountMismatch, loaded, recordCount);
        return false;
    }
    return true;
}

bool TOstraCursor::LoadFromStream(TStream* stream, std::string& error) {
    error.clear();
    const std::string password = FPassword;
    Clear(true);
    FPassword = password;

    const uint8_t* data = nullptr;
    std::size_t size = 0;
    std::unique_ptr<uint8_t[]> copy;
    if (stream) {
        try {
            const int64_t position = stream->Position();
            const int64_t left = std::max<int64_t>(stream->Size() - position, 0);
            size = static_cast<std::size_t>(left);
            if (auto* memory = dynamic_cast<TMemoryStream*>(stream)) {
                data = static_cast<const uint8_t*>(memory->Memory()) + position;
                memory->Seek(0, soFromEnd);
            } else {
                copy.reset(new uint8_t[size ? size : 1]);
                stream->ReadBuffer(copy.get(), left);
                data = copy.get();
            }
        } catch (const Exception&) {
            size = 0;
        }
    }
    TOstraImageReader reader(*this);
    const bool ok = size > 0 && reader.Read(data, size, error);
    if (!ok) {
        if (error.empty()) error = SUnexpectedEndOfBuffer;
        if (!(FTolerantLoad && reader.FieldsKnown)) {
            Clear(true);
            return false;
        }
    }
    if (FRecords.capacity() > FRecords.size() + FRecords.size() / 8 + 16) FRecords.shrink_to_fit();
    SetAutoIncCounter(0);
    return true;
}

// -- Writer --------------------------------------------------------------------------

class TOstraImageWriter {
public:
    explicit TOstraImageWriter(TOstraCursor& cursor) : C(cursor) {}

    // Builds the image of the records in `order` (live ones only).
    void Build(const std::vector<TOstraRecord*>& order);

    TImageBuffer Image;
    TOstraPasswordBlock PlainBlock{};
    bool IsProtected = false;
    std::string Descriptor;

private:
    void WriteRecord(const uint8_t* data);

    TOstraCursor& C;
};

void TOstraImageWriter::WriteRecord(const uint8_t* data) {
    const std::size_t fieldCount = C.FFields.size();
    const std::size_t presenceAt = Image.Size();
    Image.Put(fieldCount);
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const TOstraField& f = C.FFields[i];
        const uint8_t* p = data + f.Offset;
        uint8_t n = 0;
        switch (f.FieldType) {
        case oftUnknown: break;
        case oftDouble:
        case oftCurrency:
        case oftDateTime:
            if (OstGet<double>(p) != 0.0) {
                n = 8;
                Image.Put(p, 8);
            }
            break;
        case oftSmallStr: {
            const std::string_view s = FieldText(p, f);
            n = static_cast<uint8_t>(s.size());
            Image.Put(s.data(), s.size());
            break;
        }
        case oftString:
        case oftBLOB:
        case oftMemo:
        case oftFmtMemo:
        case oftGraphic: {
            std::size_t length = OstValueLength(p);
            if (length == 0) break;
            const char* bytes = OstValueData(p);
            if (f.FieldType == oftString) {
                // Never longer than the reader accepts.
                const std::size_t most = std::max<std::size_t>(OstraMaxStringValue - 1, f.Length);
                if (length > most) length = Utf8Truncate(std::string_view(bytes, length), most).size();
            } else if (length >= static_cast<std::size_t>(OstraMaxBlobValue)) {
                length = OstraMaxBlobValue - 1;
            }
            n = 4;
            Image.PutInt32(static_cast<int32_t>(length));
            Image.Put(bytes, length);
            break;
        }
        default:
            if (!OstIsZero(p, f.Size)) {
                n = static_cast<uint8_t>(f.Size);
                Image.Put(p, f.Size);
            }
            break;
        }
        Image.Data()[presenceAt + i] = n;
    }
}

void TOstraImageWriter::Build(const std::vector<TOstraRecord*>& order) {
    IsProtected = !C.FPassword.empty();
    Descriptor = BuildDescriptor(C.FFields);
    const std::string notes = Utf8Truncate(C.FNotes, OstraMaxNotes);
    std::size_t estimate = (IsProtected ? OstraProtectedHeaderSize : OstraPlainHeaderSize) +
                           Descriptor.size() + (notes.empty() ? 0 : 3 + notes.size());
    for (const TOstraRecord* r : order)
        if (r->IsLive()) estimate += static_cast<std::size_t>(std::max(r->StoredSize, 0));
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
    const std::size_t bodyAt = Image.Size();
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
    }
    PutLE32(Image.Data() + countAt, written);
    PutLE32(Image.Data(), static_cast<int32_t>(static_cast<uint32_t>(Image.Size())));
    if (IsProtected) {
        TSapphire& cipher = OstraPasswords().Cipher();
        cipher.Initialize(
            std::string_view(reinterpret_cast<const char*>(PlainBlock.data()), OstraKeyTextSize));
        cipher.Encipher(Image.Data() + bodyAt, Image.Size() - bodyAt);
    }
}

int64_t TOstraCursor::SaveToStream(TStream* stream) {
    TOstraImageWriter writer(*this);
    writer.Build(FRecords);
    stream->WriteBuffer(writer.Image.Data(), static_cast<int64_t>(writer.Image.Size()));
    FDescriptor = writer.Descriptor;
    FProtected = writer.IsProtected;
    if (writer.IsProtected) FPasswordBlock = writer.PlainBlock;
    return static_cast<int64_t>(writer.Image.Size());
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
    TOstraImageWriter writer(*this);
    writer.Build(*records);
    WriteImageFile(fileName, writer.Image.Data(), writer.Image.Size());
    if (records == &order) FRecords = std::move(order);
    FDescriptor = writer.Descriptor;
    FProtected = writer.IsProtected;
    if (writer.IsProtected) FPasswordBlock = writer.PlainBlock;
}
