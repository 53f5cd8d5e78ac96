// Rich text loaded into the rich-edit controls against the RTF reader alone.
//
// Three kinds of document, each at several sizes:
//   groups     one paragraph of "{\b word} word " pairs (a format change every word)
//   paragraphs formatted paragraphs of about 200 bytes, bold and coloured words
//   plain      one paragraph of plain words
// and five ways in:
//   reader     RtfRead of the bytes (the floor)
//   richedit   TRichEdit::StreamIn on a shown form, then the events it left
//   qzriched   TqzCustomRichEdit::LoadFromStream (the suite's chunked read)
//   dbrichedit TqzDBRichEdit::LoadFromBlobField of an engine table's BLOB
//   gridcell   a bound TqzDBRichEdit painting the BLOB as a grid cell (its hidden
//              copy reads what the cell can show); the control's own load is not timed
//
// Each case runs in a fresh process (the binary with --probe), so its time and
// peak memory are its own. Sizes in MB: TASKMOOR_BENCH_RTF_MB (default "1 4 16").
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/rtf.h"
#include "platform/core/streams.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/richedit.h"
#include "proc_status.h"
#include "suite/richtext/qzdbrichedit.h"

namespace {

const char* const kHeader =
    "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fswiss DejaVu Sans;}{\\f1\\froman DejaVu Serif;}}"
    "{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\\pard\\f0\\fs20 ";

std::string Document(const std::string& Kind, std::size_t Bytes) {
    const char* const words[] = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel"};
    std::string s = kHeader;
    s.reserve(Bytes + 256);
    std::size_t n = 0;
    while (s.size() < Bytes) {
        const char* w = words[n % 8];
        if (Kind == "groups") {
            s += "{\\b ";
            s += w;
            s += "} ";
            s += words[(n + 3) % 8];
            s += ' ';
        } else if (Kind == "paragraphs") {
            s += "\\pard\\li360\\sa60 Item ";
            for (int k = 0; k < 6; ++k) {
                s += words[(n + k) % 8];
                s += k == 2 ? " {\\b\\cf1 " : " ";
                if (k == 3) s += "} \\i ";
            }
            s += "\\i0 end.\\par\r\n";
        } else {
            s += w;
            s += ' ';
        }
        ++n;
    }
    s += "\\par}";
    return s;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// One case in this process: prints "milliseconds peak-KB held-KB characters".
int Probe(int argc, char** argv, const std::string& Target, const std::string& Kind, std::size_t Bytes) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    InitializeApplication(argc, argv);
    Application->Initialize();
    std::string data = Document(Kind, Bytes);
    TForm* form = nullptr;
    if (Target != "reader") {
        form = CreateForm<TForm>(Application);
        form->SetBounds(0, 0, 640, 480);
        form->Show();
        Application->ProcessMessages();
    }
    std::unique_ptr<TOstraTable> table;
    std::unique_ptr<TDataSource> source;
    if (Target == "dbrichedit" || Target == "gridcell") {
        table = std::make_unique<TOstraTable>(nullptr);
        table->FieldDefs()->Add("Notes", ftBlob);
        table->Open();
        table->Append();
        table->FieldByName("Notes")->SetAsString(data);
        table->Post();
        source = std::make_unique<TDataSource>(nullptr);
        source->SetDataSet(table.get());
    }
    TqzDBRichEdit* cellControl = nullptr;
    if (Target == "gridcell") {
        // the grid's control shows its own record; the cell of another row is timed
        cellControl = new TqzDBRichEdit(form);
        cellControl->SetParent(form);
        cellControl->SetBounds(8, 8, 200, 40);
        cellControl->SetDataSource(source.get());
        cellControl->SetDataField("Notes");
    }
    // the peak from here on: the bound control's own load above has its own
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKb("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    std::size_t chars = 0;
    if (Target == "reader") {
        TRtfDocument d;
        if (!RtfRead(data, d).Ok) return 1;
        chars = d.PlainText().size();
    } else if (Target == "richedit") {
        auto* r = new TRichEdit(form);
        r->SetParent(form);
        r->SetBounds(8, 8, 600, 400);
        if (!r->StreamIn(data, true, false)) return 1;
        Application->ProcessMessages();
        chars = r->Text().size();
    } else if (Target == "qzriched") {
        auto* r = new TqzDBRichEdit(form);
        r->SetParent(form);
        r->SetBounds(8, 8, 600, 400);
        TMemoryStream s;
        s.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        s.SetPosition(0);
        r->LoadFromStream(&s, false, 0);
        Application->ProcessMessages();
        chars = r->Text().size();
    } else if (Target == "dbrichedit") {
        auto* r = new TqzDBRichEdit(form);
        r->SetParent(form);
        r->SetBounds(8, 8, 600, 400);
        r->LoadFromBlobField(table->FieldByName("Notes"));
        Application->ProcessMessages();
        chars = r->Text().size();
    } else if (Target == "gridcell") {
        TBitmap bmp;
        bmp.SetSize(200, 40);
        cellControl->PaintGridCopy(bmp.Canvas(), TRect{0, 0, 200, 40});
        chars = 1;
    }
    const double ms = Ms(std::chrono::steady_clock::now() - start);
    std::printf("%.1f %ld %ld %zu %zu\n", ms, StatusKb("VmHWM:") - before, StatusKb("VmRSS:") - before, chars,
                data.size());
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--probe") == 0)
        return Probe(argc, argv, argv[2], argv[3], std::strtoull(argv[4], nullptr, 10));
    const char* env = std::getenv("TASKMOOR_BENCH_RTF_MB");
    std::vector<double> sizes;
    std::istringstream in(env ? env : "1 4 16");
    for (double mb; in >> mb;) sizes.push_back(mb);
    const char* kinds[] = {"groups", "paragraphs", "plain"};
    const char* targets[] = {"reader", "richedit", "qzriched", "dbrichedit", "gridcell"};
    const std::string self = argv[0];
    std::printf("%-11s %7s %-11s %10s %10s %9s %9s %8s\n", "document", "MB", "target", "ms", "x reader",
                "peak MB", "x file", "held MB");
    for (const char* kind : kinds)
        for (double mb : sizes) {
            double readerMs = 0;
            for (const char* target : targets) {
                const auto bytes = static_cast<std::size_t>(mb * 1024 * 1024);
                const std::string command =
                    self + " --probe " + target + " " + kind + " " + std::to_string(bytes) + " 2>/dev/null";
                FILE* pipe = ::popen(command.c_str(), "r");
                double ms = 0;
                long peak = 0, held = 0;
                unsigned long long chars = 0, size = 0;
                const bool ok =
                    pipe && std::fscanf(pipe, "%lf %ld %ld %llu %llu", &ms, &peak, &held, &chars, &size) == 5;
                if (pipe) ::pclose(pipe);
                if (!ok) {
                    std::printf("%-11s %7.1f %-11s   failed\n", kind, mb, target);
                    continue;
                }
                if (std::strcmp(target, "reader") == 0) readerMs = ms;
                std::printf("%-11s %7.1f %-11s %10.1f %10.2f %9.1f %9.2f %8.1f\n", kind, size / 1048576.0,
                            target, ms, readerMs > 0 ? ms / readerMs : 0.0, peak / 1024.0,
                            peak * 1024.0 / static_cast<double>(size), held / 1024.0);
                std::fflush(stdout);
            }
        }
    return 0;
}
