// Reading table images (the TOstraCursor members declared in record_store.h)
// and the settings of table files.
#include "engine/table_file.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "engine/image_reader.h"
#include "engine/messages.h"
#include "engine/password.h"
#include "engine/record_sort.h"
#include "engine/record_store.h"
#include "engine/sapphire.h"
#include "engine/table_image.h"
#include "engine/table_load.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/memory.h"
#include "platform/core/process.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

std::size_t GChunkSize = 1 << 20;
int GLoadThreads = 0;  // 0: one per usable processor
std::function<void(int)> GLoadMemoryHook;

// A stream's bytes pulled in chunks; a read error ends the image there.
TImageInput::TSource ChunksOf(TStream* Stream) {
    return [Stream](uint8_t* buffer, std::size_t count) -> std::size_t {
        try {
            return static_cast<std::size_t>(
                std::max<int64_t>(Stream->Read(buffer, static_cast<int64_t>(count)), 0));
        } catch (const Exception&) {
            return 0;
        }
    };
}

}  // namespace

std::size_t SetTableChunkSize(std::size_t bytes) {
    const std::size_t old = GChunkSize;
    GChunkSize = std::max<std::size_t>(bytes, 1);
    return old;
}

int SetTableLoadThreads(int threads) {
    const int old = GLoadThreads;
    GLoadThreads = std::max(threads, 0);
    return old;
}

std::size_t TableChunkSize() { return GChunkSize; }

int TableLoadThreads() { return GLoadThreads > 0 ? GLoadThreads : UsableProcessorCount(); }

void SetTableLoadMemoryHook(std::function<void(int threads)> hook) { GLoadMemoryHook = std::move(hook); }

void CallLoadMemoryHook(int threads) {
    if (GLoadMemoryHook) GLoadMemoryHook(threads);
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
        // As read; decoded with the rest when the table is in Windows-1252.
        f.Name = std::string(name);
        f.Origin = dot == std::string_view::npos ? std::string("XXX") : std::string(head.substr(0, dot));
        if (tilde != std::string_view::npos) {
            const std::string_view after = rest.substr(tilde + 1);
            const std::size_t second = after.find('~');
            if (second == std::string_view::npos) {
                f.ExtraText = std::string(after);
            } else {
                f.DefaultText = std::string(after.substr(0, second));
                f.ExtraText = std::string(after.substr(second + 1));
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

bool TOstraImageReader::Read(TImageInput& in, std::string& error) {
    int32_t length = 0;
    if (!in.Int32(length) || !in.Need(1)) {  // the length is not checked
        error = SUnexpectedEndOfBuffer;
        return false;
    }
    const char marker = static_cast<char>(*in.P++);
    if (marker == OstraErrorMarker) {
        const std::size_t rest = static_cast<std::size_t>(in.Remaining());
        in.Need(rest);
        error = EnsureUtf8(std::string_view(reinterpret_cast<const char*>(in.P), std::min(rest, in.Left())));
        return false;
    }
    const bool isProtected = marker == OstraProtectedMarker;
    if (!isProtected && marker != OstraPlainMarker) {
        error = SBufferCorrupted;
        return false;
    }
    if (isProtected) {
        if (!in.Need(OstraPasswordBlockSize)) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        TOstraPasswordBlock block;
        std::memcpy(block.data(), in.P, block.size());
        in.P += block.size();
        if (!FieldsOnly && !OstraPasswords().CheckPassword(block, C.FPassword)) {
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
    if (!in.Need(static_cast<std::size_t>(descriptorLength))) {
        error = SUnexpectedEndOfBuffer;
        return false;
    }
    const std::string_view descriptor(reinterpret_cast<const char*>(in.P),
                                      static_cast<std::size_t>(descriptorLength));
    in.P += descriptorLength;
    if (!ParseDescriptor(descriptor, fieldCount, error)) return false;
    C.FDescriptor = std::string(descriptor);
    CheckText(reinterpret_cast<const uint8_t*>(descriptor.data()), descriptor.size());
    FieldsKnown = true;
    if (FieldsOnly) return true;

    // Deciphered as it is read: the caller's stream stays as it was.
    if (isProtected)
        in.StartCipher(
            std::string_view(reinterpret_cast<const char*>(C.FPasswordBlock.data()), OstraKeyTextSize));

    const std::size_t fields = static_cast<std::size_t>(fieldCount);
    if (in.Remaining() >= (recordCount > 0 ? fields : 3u) && in.Need(1) && *in.P == OstraNotesMarker) {
        ++in.P;
        if (!in.Need(2)) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        const auto notesLength = static_cast<int16_t>(in.P[0] | in.P[1] << 8);
        in.P += 2;
        if (notesLength < 0) {
            error = SBufferCorrupted;
            return false;
        }
        if (!in.Need(static_cast<std::size_t>(notesLength))) {
            error = SUnexpectedEndOfBuffer;
            return false;
        }
        C.FNotes.assign(reinterpret_cast<const char*>(in.P), static_cast<std::size_t>(notesLength));
        CheckText(in.P, C.FNotes.size());
        in.P += notesLength;
    }

    // Every record takes at least its presence bytes: no more can be there.
    const std::size_t possible =
        fields ? static_cast<std::size_t>(std::min<uint64_t>(recordCount, in.Remaining() / fields)) : 0;
    C.FRecords.reserve(possible);
    C.FRecordMemory.Reserve(possible);
    return ReadRecords(in, recordCount, error);
}

bool TOstraCursor::LoadImage(TImageInput* input, std::string& error) {
    TOstraImageReader reader(*this);
    const bool ok = input && input->Remaining() > 0 && reader.Read(*input, error);
    if (!ok) {
        if (error.empty()) error = SUnexpectedEndOfBuffer;
        if (!(FTolerantLoad && reader.FieldsKnown)) {
            Clear(true);
            return false;
        }
    }
    if (reader.Windows1252) DecodeWindows1252();
    if (FRecords.capacity() > FRecords.size() + FRecords.size() / 8 + 16) FRecords.shrink_to_fit();
    if (ok && reader.AutoIncAscending)  // what SetAutoIncCounter finds, without reading every record again
        FAutoIncCounter = std::max(reader.AutoIncHighest, 0);
    else
        SetAutoIncCounter(0);
    return true;
}

namespace {

// A field description read from a Windows-1252 table, in UTF-8.
void DecodeFieldTexts(TOstraField& f) {
    f.Name = Cp1252ToUtf8(f.Name);
    f.Origin = Cp1252ToUtf8(f.Origin);
    f.DefaultText = Cp1252ToUtf8(f.DefaultText);
    f.ExtraText = Cp1252ToUtf8(f.ExtraText);
    SetFieldLayout(f, oteWindows1252);
}

}  // namespace

void TOstraCursor::DecodeWindows1252() {
    FTextEncoding = oteWindows1252;
    const std::vector<TOstraField> old = FFields;
    std::vector<TOstraField> fields = FFields;
    for (TOstraField& f : fields) DecodeFieldTexts(f);
    FNotes = Cp1252ToUtf8(FNotes);
    // Wider short strings: the records move to new slots.
    const uint32_t oldSize = FDataSize;
    TOstraRecordArena oldMemory = std::move(FRecordMemory);
    FRecordMemory = TOstraRecordArena();
    SetFields(std::move(fields));
    const bool relayout = FDataSize != oldSize;
    if (relayout)
        FRecordMemory.Reserve(FRecords.size());
    else
        FRecordMemory = std::move(oldMemory);
    std::string text;
    for (TOstraRecord*& record : FRecords) {
        const uint8_t* from = record->Data();
        uint8_t* to = record->Data();
        if (relayout) {
            TOstraRecord* moved = FRecordMemory.NewRecord();
            moved->StoredSize = record->StoredSize;
            moved->Number = record->Number;
            record = moved;
            to = moved->Data();
        }
        for (std::size_t i = 0; i < FFields.size(); ++i) {
            const TOstraField& f = FFields[i];
            const uint8_t* src = from + old[i].Offset;
            uint8_t* dst = to + f.Offset;
            if (f.FieldType == oftSmallStr) {
                const std::string_view t = FieldText(src, old[i]);
                if (OstIsAscii(t.data(), t.size())) {
                    if (relayout) std::memcpy(dst, t.data(), t.size());
                } else {
                    text = Cp1252ToUtf8(t);
                    std::memcpy(dst, text.data(), text.size());
                }
                continue;
            }
            const uint32_t n = IsTextType(f.FieldType) ? OstValueLength(src) : 0;
            if (n && !OstIsAscii(OstValueData(src), n)) {
                text = Cp1252ToUtf8(std::string_view(OstValueData(src), n));
                void* block = FValueMemory.Allocate(OstValueBlockSize(text.size()));
                char* ref = OstInitValueBlock(block, text.data(), static_cast<uint32_t>(text.size()), false);
                std::memcpy(dst, &ref, sizeof ref);
            } else if (relayout) {
                std::memcpy(dst, src, f.Size);
            }
        }
    }
}

void TOstraCursor::ClearForLoad() {
    const std::string password = FPassword;
    Clear(true);
    FPassword = password;
}

bool TOstraImageReader::LoadFallingBack(TOstraCursor& cursor,
                                        const std::function<std::unique_ptr<TImageInput>()>& open,
                                        std::string& error) {
    int threads = TableLoadThreads();
    if (cursor.FMostLoadThreads > 0) threads = std::min(threads, cursor.FMostLoadThreads);
    for (;;) {
        try {
            std::unique_ptr<TImageInput> input = open();
            if (input) input->Threads = threads;
            cursor.FLoadThreads = threads;
            return cursor.LoadImage(input.get(), error);
        } catch (const std::bad_alloc&) {
            // What was read goes, and with it the memory it took.
            cursor.ClearForLoad();
            error.clear();
            if (threads <= 1) throw EOutOfMemory(SOutOfMemory);
            threads /= 2;
        }
    }
}

bool TOstraCursor::LoadFromStream(TStream* stream, std::string& error) {
    error.clear();
    ClearForLoad();
    int64_t position = 0, left = 0;
    TMemoryStream* memory = nullptr;
    bool measured = false;
    if (stream) {
        try {
            position = stream->Position();
            left = std::max<int64_t>(stream->Size() - position, 0);
            memory = dynamic_cast<TMemoryStream*>(stream);
            measured = true;
        } catch (const Exception&) {}
    }
    bool again = false;
    auto open = [&]() -> std::unique_ptr<TImageInput> {
        if (!measured) return nullptr;
        if (memory)
            return std::make_unique<TImageInput>(static_cast<const uint8_t*>(memory->Memory()) + position,
                                                 static_cast<std::size_t>(left));
        if (std::exchange(again, true)) {
            // Read again from where the image starts; a stream that cannot
            // go back leaves the lack of memory standing.
            try {
                stream->SetPosition(position);
            } catch (const Exception&) {
                throw std::bad_alloc();
            }
        }
        // Pulled in chunks; a read error ends the image there.
        return std::make_unique<TImageInput>(ChunksOf(stream), static_cast<uint64_t>(left));
    };
    // The stream is left at its end, as when it was read whole.
    auto toEnd = [stream] {
        if (!stream) return;
        try {
            stream->Seek(0, soFromEnd);
        } catch (const Exception&) {}
    };
    bool ok = false;
    try {
        ok = TOstraImageReader::LoadFallingBack(*this, open, error);
    } catch (...) {
        toEnd();
        throw;
    }
    toEnd();
    return ok;
}

namespace {

// A table file opened for reading, with its size; false and the reason when it cannot be.
bool OpenImageFile(const std::string& Name, std::unique_ptr<TFileStream>& File, int64_t& Size,
                   std::string& Error) {
    try {
        File = std::make_unique<TFileStream>(Name, fmOpenRead | fmShareDenyWrite);
        Size = File->Size();
        return true;
    } catch (const Exception& e) {
        Error = e.Message();
        return false;
    }
}

}  // namespace

bool TOstraCursor::LoadFromFile(const std::string& fileName, std::string& error) {
    error.clear();
    ClearForLoad();
    RemoveStaleTempFiles(fileName);
    std::unique_ptr<TFileStream> file;
    int64_t size = 0;
    if (!OpenImageFile(fileName, file, size, error)) {
        Clear(true);
        return false;
    }
    TFileStream* stream = file.get();
    auto open = [stream, size]() -> std::unique_ptr<TImageInput> {
        try {
            stream->SetPosition(0);
        } catch (const Exception&) {
            throw std::bad_alloc();  // cannot read it again: the lack of memory stands
        }
        return std::make_unique<TImageInput>(
            [stream](uint8_t* buffer, std::size_t count) -> std::size_t {
                return static_cast<std::size_t>(
                    std::max<int64_t>(stream->Read(buffer, static_cast<int64_t>(count)), 0));
            },
            static_cast<uint64_t>(std::max<int64_t>(size, 0)));
    };
    return TOstraImageReader::LoadFallingBack(*this, open, error);
}

bool ReadTableFields(const std::string& FileName, std::vector<TOstraField>& Fields, std::string& Error) {
    Fields.clear();
    Error.clear();
    std::unique_ptr<TFileStream> file;
    int64_t size = 0;
    if (!OpenImageFile(FileName, file, size, Error)) return false;
    TFileStream* stream = file.get();
    TImageInput in(ChunksOf(stream), static_cast<uint64_t>(std::max<int64_t>(size, 0)));
    TOstraCursor cursor;
    TOstraImageReader reader(cursor);
    reader.FieldsOnly = true;
    if (!reader.Read(in, Error)) {
        if (Error.empty()) Error = SUnexpectedEndOfBuffer;
        return false;
    }
    Fields = cursor.Fields();
    if (reader.Windows1252)
        for (TOstraField& f : Fields) DecodeFieldTexts(f);
    return true;
}
