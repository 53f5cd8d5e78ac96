// Rich text loaded into the rich-edit controls against the RTF reader alone.
//
// Kinds of document, each at several sizes:
//   groups     one paragraph of "{\b word} word " pairs (a format change every word)
//   paragraphs formatted paragraphs of about 200 bytes, bold and coloured words
//   plain      one paragraph of plain words
//   bold       "{\b x}" groups: one bold word as long as the document has groups
//   lines      plain text (not RTF) of 40-byte lines
//   long       paragraphs of plain words, about 100,000 characters each
// and the ways in:
//   reader     RtfRead of the bytes (the floor; lines: the plain text's model)
//   richedit   TRichEdit::StreamIn on a shown form, then the events it left
//   qzriched   TqzCustomRichEdit::LoadFromStream (the suite's chunked read)
//   dbrichedit TqzDBRichEdit::LoadFromBlobField of an engine table's BLOB
//   bound      a 200 x 40 TqzDBRichEdit bound to the BLOB's field
//   gridcell   a bound TqzDBRichEdit painting the BLOB as a grid cell (its hidden
//              copy reads what the cell can show); the control's own load is not timed
//   pages      a TRichEdit's loaded document measured into pages of 6.5 x 9 inches
//              to its end, as printing does (the load is not timed; "longest" is
//              the longest page)
//   ctrlend    a TRichEdit with the focus, as a user meets it: the load, 2.5 s of
//              the event loop (the layout in steps), Ctrl+End, a letter typed at
//              the end ("laid out": 1 when Ctrl+End came during the layout)
//   typed      the same, with a letter typed at the start 1 s after the load,
//              the layout left to end ("laid out": the time it took after the
//              letter, -1 when it had not ended in 60 s), then Ctrl+End
//   caret-ctrlend, caret-middle, caret-end
//              a 700 x 500 suite rich edit with the focus: the load, 3 s of the
//              loop, then Ctrl+End, or SelStart at the middle or the end
//              ("ctrl+end": the move's time to the loop's next pass; "repaint":
//              1 when the view then shows the caret's line; "laid out": 1 when
//              the move came during the layout), and a letter typed there ("type")
// In the last five a thread of its own samples the event loop's beat (a 1 ms
// timer) and the screen's cursor: "no busy" is the longest the window went
// without a pass of the loop and without the busy cursor, load included;
// "ctrl+end" the time from the key to its caret at the end, "type" the letter.
// After a control's load the event loop runs until the whole text is laid out:
// the time that takes and the loop's longest pass are reported, then the
// longest of three moves of the caret with the paint that follows; then, with
// the focus in the control, an arrow key with its paint and the longest pass
// of the event loop over 1.5 s (the caret's blink repaints every half second),
// and the longest of three typed letters with their paints.
//
// Each case runs in a fresh process (the binary with --probe), so its time and
// peak memory are its own. Sizes in MB: TASKMOOR_BENCH_RTF_MB (default "4 20 50");
// TASKMOOR_BENCH_RTF_KINDS and TASKMOOR_BENCH_RTF_TARGETS choose from the lists above;
// TASKMOOR_BENCH_RTF_GLYPH_MB sets the rich edits' glyph budget (default: theirs);
// TASKMOOR_BENCH_RTF_TYPES the number of typed letters (default 3).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
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
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
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
        } else if (Kind == "bold") {
            s += "{\\b x}";
        } else if (Kind == "long") {
            s += w;
            s += n % 16384 == 16383 ? "\\par\r\n" : " ";
        } else if (Kind == "word") {
            s += w;
        } else if (Kind == "lines") {
            // 40 bytes a line
            if (n == 0) s.clear();
            char line[48];
            std::snprintf(line, sizeof line, "Line %08zu of the plain text, %-7.7s\r\n", n, w);
            s += line;
        } else {
            s += w;
            s += ' ';
        }
        ++n;
    }
    if (Kind != "lines") s += "\\par}";
    return s;
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The CPU time of the process (all its threads), in ms: the machine is shared.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// The longest time the window went without a pass of its event loop and
// without the busy cursor, sampled every millisecond from a thread of its own
// (the screen's cursor read as a word the window's thread may be setting).
class TBusyWatch {
public:
    explicit TBusyWatch(TComponent* Owner) : FTimer(new TTimer(Owner)) {
        FTimer->SetInterval(1);
        FTimer->SetOnTimer(TNotifyEvent([this](TObject*) { FBeat = Now(); }));
        FBeat = Now();
        FThread = std::thread([this] {
            long long busySeen = 0;
            while (!FStop) {
                const long long now = Now();
                if (Screen && Screen->Cursor() == crHourGlass) busySeen = now;
                FLongest = std::max(FLongest.load(), now - std::max(FBeat.load(), busySeen));
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    ~TBusyWatch() {
        FStop = true;
        FThread.join();
    }
    double LongestMs() const { return static_cast<double>(FLongest.load()) / 1000.0; }

private:
    static long long Now() {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    TTimer* FTimer;
    std::atomic<long long> FBeat{0}, FLongest{0};
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

// The event loop, pass by pass, for Milliseconds or until Done holds.
template <class F>
void RunLoop(double Milliseconds, F Done) {
    const auto start = std::chrono::steady_clock::now();
    while (!Done() && Ms(std::chrono::steady_clock::now() - start) < Milliseconds)
        Application->HandleMessage();
}

// ctrlend and typed: the load with the focus in the control, then keys
// during the layout in steps; prints its figures and ends the process.
int ProbeKeysDuringLayout(TForm* Form, TBusyWatch& Watch, bool CtrlEndFirst, const std::string& Data,
                          bool Rtf, std::chrono::steady_clock::time_point Start, double CpuStart) {
    auto* r = new TRichEdit(Form);
    r->SetParent(Form);
    r->SetBounds(8, 8, 600, 400);
    r->SetFocus();
    if (!r->StreamIn(Data, Rtf, false)) return 1;
    const double loadMs = Ms(std::chrono::steady_clock::now() - Start), loadCpu = CpuMs() - CpuStart;
    auto key = [&](uint16_t Key, TShiftState Shift, auto Done) {
        const auto pressed = std::chrono::steady_clock::now();
        PostKey(r, Key, Shift);
        RunLoop(600000, Done);
        return Ms(std::chrono::steady_clock::now() - pressed);
    };
    RunLoop(CtrlEndFirst ? 2500 : 1000, [&] { return r->LaidOut(); });
    // ctrlend: 1 when Ctrl+End came while the layout went on; typed: the
    // time from the letter to the end of the layout (-1: not in 60 s)
    double laidOut = r->LaidOut() ? 0 : 1, typed = 0;
    if (!CtrlEndFirst) {
        typed = key('X', TShiftState{ssShift}, [&] { return r->SelStart() == 1; });
        const auto letter = std::chrono::steady_clock::now();
        RunLoop(60000, [&] { return r->LaidOut(); });
        laidOut = r->LaidOut() ? Ms(std::chrono::steady_clock::now() - letter) : -1;
    }
    const int from = r->SelStart();
    const double ctrlEnd = key(VK_END, TShiftState{ssCtrl}, [&] { return r->SelStart() > from; });
    if (CtrlEndFirst) {
        const int end = r->SelStart();
        typed = key('Y', TShiftState{ssShift}, [&] { return r->SelStart() == end + 1; });
    }
    RunLoop(300, [] { return false; });
    std::printf("%.1f %.1f 0 0 %zu %zu %.1f 0 0 0 0 %.1f %.1f %.1f\n", loadMs, loadCpu, r->Text().size(),
                Data.size(), laidOut, typed, Watch.LongestMs(), ctrlEnd);
    std::fflush(stdout);
    std::_Exit(0);
}

// caret-ctrlend, caret-middle, caret-end: a 700 x 500 suite rich edit with
// the focus, as the user meets it: the load, 3 s of the event loop (the
// layout in steps), then the caret moved while the layout goes on (Ctrl+End
// by the key; the middle and the end through SelStart, as code or a search
// puts it there), whether the view then shows the caret's line, and a letter
// typed there; prints its figures and ends the process.
int ProbeCaretDuringLayout(TForm* Form, TBusyWatch& Watch, const std::string& Move, const std::string& Data,
                           bool Rtf, std::chrono::steady_clock::time_point Start, double CpuStart) {
    Form->SetBounds(0, 0, 740, 540);
    auto* r = new TqzDBRichEdit(Form);
    r->SetParent(Form);
    r->SetBounds(8, 8, 700, 500);
    r->SetFocus();
    if (!r->StreamIn(Data, Rtf, false)) return 1;
    const double loadMs = Ms(std::chrono::steady_clock::now() - Start), loadCpu = CpuMs() - CpuStart;
    RunLoop(3000, [&] { return r->LaidOut(); });
    const double during = r->LaidOut() ? 0 : 1;
    const int size = static_cast<int>(r->Text().size());
    const int target = Move == "caret-middle" ? size / 2 : size;
    // the time from the move to the loop's next pass
    const auto moved = std::chrono::steady_clock::now();
    if (Move == "caret-ctrlend") {
        PostKey(r, VK_END, TShiftState{ssCtrl});
        RunLoop(600000, [&] { return r->SelStart() == target; });
    } else {
        r->SetSelStart(target);
    }
    Application->HandleMessage();
    const double moveMs = Ms(std::chrono::steady_clock::now() - moved);
    // the view shows the caret, and still does after the layout's next steps
    RunLoop(500, [] { return false; });
    const int at = r->SelStart();
    const int y = r->PosFromChar(at).Y;
    const double shown = y >= 0 && y < r->ClientHeight() ? 1 : 0;
    const auto typed = std::chrono::steady_clock::now();
    PostKey(r, 'Y', TShiftState{ssShift});
    RunLoop(600000, [&] { return r->SelStart() == at + 1; });
    Application->HandleMessage();
    const double typeMs = Ms(std::chrono::steady_clock::now() - typed);
    RunLoop(300, [] { return false; });
    std::printf("%.1f %.1f 0 0 %zu %zu %.1f 0 %.0f 0 0 %.1f %.1f %.1f\n", loadMs, loadCpu, r->Text().size(),
                Data.size(), during, shown, typeMs, Watch.LongestMs(), moveMs);
    std::fflush(stdout);
    std::_Exit(0);
}

// pages: the loaded document measured into pages to its end, as printing
// does; prints its figures and ends the process.
int ProbePages(TForm* Form, const std::string& Data, bool Rtf) {
    auto* r = new TRichEdit(Form);
    r->SetParent(Form);
    r->SetBounds(8, 8, 600, 400);
    if (!r->StreamIn(Data, Rtf, false)) return 1;
    Application->ProcessMessages();
    const auto pages = std::chrono::steady_clock::now();
    const double pagesCpu = CpuMs();
    const int end = static_cast<int>(r->Text().size());
    double longestPage = 0;
    for (int from = 0, next = 0; from < end; from = next) {
        const auto page = std::chrono::steady_clock::now();
        next = r->FormatRange(nullptr, 96, from, TRect{0, 0, 9360, 12960}, false);
        longestPage = std::max(longestPage, Ms(std::chrono::steady_clock::now() - page));
        if (next <= from) return 1;
    }
    std::printf("%.1f %.1f 0 0 %d %zu 0 %.1f 0 0 0 0 0 0\n", Ms(std::chrono::steady_clock::now() - pages),
                CpuMs() - pagesCpu, end, Data.size(), longestPage);
    std::fflush(stdout);
    std::_Exit(0);
}

// What follows a control's load: the event loop until the text is laid out
// (its time and longest pass), the caret moved with its paints, and with the
// focus an arrow key, typed letters and the passes while the caret blinks.
struct TAfterLoad {
    double LaidOut = 0, Longest = 0, Repaint = 0, Arrow = 0, Blink = 0, Type = 0;
};

TAfterLoad MeasureAfterLoad(TCustomRichEdit* Control) {
    TAfterLoad a;
    const auto loaded = std::chrono::steady_clock::now();
    while (!Control->LaidOut() && Ms(std::chrono::steady_clock::now() - loaded) < 600000) {
        const auto pass = std::chrono::steady_clock::now();
        Application->HandleMessage();
        a.Longest = std::max(a.Longest, Ms(std::chrono::steady_clock::now() - pass));
    }
    a.LaidOut = Control->LaidOut() ? Ms(std::chrono::steady_clock::now() - loaded) : -1;
    // the caret moved by one character (SetSelStart, which reads the whole text
    // for its byte position) and the window painted
    for (int i = 0; i < 3; ++i) {
        const auto paint = std::chrono::steady_clock::now();
        Control->SetSelStart(1 - i % 2);
        Application->ProcessMessages();
        a.Repaint = std::max(a.Repaint, Ms(std::chrono::steady_clock::now() - paint));
    }
    if (Control->CanFocus()) {
        Control->SetFocus();
        Application->ProcessMessages();
        const auto key = std::chrono::steady_clock::now();
        SendKey(Control, VK_RIGHT);
        Application->ProcessMessages();
        a.Arrow = Ms(std::chrono::steady_clock::now() - key);
        // the longest of three typed letters with their paints
        const char* types = std::getenv("TASKMOOR_BENCH_RTF_TYPES");
        for (int i = 0, n = types ? std::atoi(types) : 3; i < n; ++i) {
            const auto typed = std::chrono::steady_clock::now();
            SendText(Control, "x");
            Application->ProcessMessages();
            a.Type = std::max(a.Type, Ms(std::chrono::steady_clock::now() - typed));
        }
        // the loop's passes while the caret blinks
        const auto blinking = std::chrono::steady_clock::now();
        while (Ms(std::chrono::steady_clock::now() - blinking) < 1500) {
            const auto pass = std::chrono::steady_clock::now();
            Application->ProcessMessages();
            a.Blink = std::max(a.Blink, Ms(std::chrono::steady_clock::now() - pass));
            timespec pause{0, 5000000};
            nanosleep(&pause, nullptr);
        }
    }
    return a;
}

// One case in this process: prints "milliseconds peak-KB held-KB characters".
int Probe(int argc, char** argv, const std::string& Target, const std::string& Kind, std::size_t Bytes) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    InitializeApplication(argc, argv);
    Application->Initialize();
    if (const char* mb = std::getenv("TASKMOOR_BENCH_RTF_GLYPH_MB"))
        TCustomRichEdit::SetGlyphBudget(static_cast<std::size_t>(std::stod(mb) * 1048576));
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
    if (Target == "dbrichedit" || Target == "gridcell" || Target == "bound") {
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
    std::unique_ptr<TBusyWatch> watch;
    const bool caret = Target.rfind("caret-", 0) == 0;
    if (Target == "ctrlend" || Target == "typed" || caret) watch = std::make_unique<TBusyWatch>(form);
    // the peak from here on: the bound control's own load above has its own
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKb("VmRSS:");
    const double cpuStart = CpuMs();
    const auto start = std::chrono::steady_clock::now();
    std::size_t chars = 0;
    TCustomRichEdit* control = nullptr;
    auto place = [&](TCustomRichEdit* r, int Width, int Height) {
        r->SetParent(form);
        r->SetBounds(8, 8, Width, Height);
        control = r;
    };
    if (Target == "reader") {
        TRtfDocument d;
        if (Kind == "lines")
            d = TRtfDocument::FromPlainText(data, TRtfCharFormat());
        else if (!RtfRead(data, d).Ok)
            return 1;
        chars = d.PlainText().size();
    } else if (caret) {
        return ProbeCaretDuringLayout(form, *watch, Target, data, Kind != "lines", start, cpuStart);
    } else if (Target == "ctrlend" || Target == "typed") {
        return ProbeKeysDuringLayout(form, *watch, Target == "ctrlend", data, Kind != "lines", start,
                                     cpuStart);
    } else if (Target == "richedit") {
        auto* r = new TRichEdit(form);
        place(r, 600, 400);
        if (!r->StreamIn(data, Kind != "lines", false)) return 1;
    } else if (Target == "qzriched") {
        auto* r = new TqzDBRichEdit(form);
        place(r, 600, 400);
        TMemoryStream s;
        s.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        s.SetPosition(0);
        r->LoadFromStream(&s, false, 0);
    } else if (Target == "dbrichedit") {
        auto* r = new TqzDBRichEdit(form);
        place(r, 600, 400);
        r->LoadFromBlobField(table->FieldByName("Notes"));
    } else if (Target == "bound") {
        auto* r = new TqzDBRichEdit(form);
        place(r, 200, 40);
        r->SetDataSource(source.get());
        r->SetDataField("Notes");
    } else if (Target == "pages") {
        return ProbePages(form, data, Kind != "lines");
    } else if (Target == "gridcell") {
        TBitmap bmp;
        bmp.SetSize(200, 40);
        cellControl->PaintGridCopy(bmp.Canvas(), TRect{0, 0, 200, 40});
        chars = 1;
    }
    if (control) {
        Application->ProcessMessages();
        chars = control->Text().size();
    }
    const double ms = Ms(std::chrono::steady_clock::now() - start);
    const double cpu = CpuMs() - cpuStart;
    const long peak = StatusKb("VmHWM:") - before, held = StatusKb("VmRSS:") - before;
    // Then the event loop, one pass at a time as the program's own loop runs it,
    // until the whole text is laid out: how long that takes, and the longest
    // pass (the window not answering; a pass that waits for the layout's timer
    // counts its wait too).
    TAfterLoad after;
    if (control) after = MeasureAfterLoad(control);
    std::printf("%.1f %.1f %ld %ld %zu %zu %.1f %.1f %.1f %.1f %.1f %.1f 0 0\n", ms, cpu, peak, held, chars,
                data.size(), after.LaidOut, after.Longest, after.Repaint, after.Arrow, after.Blink,
                after.Type);
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--probe") == 0)
        return Probe(argc, argv, argv[2], argv[3], std::strtoull(argv[4], nullptr, 10));
    auto list = [](const char* Name, const char* Default) {
        const char* env = std::getenv(Name);
        std::istringstream in(env ? env : Default);
        std::vector<std::string> out;
        for (std::string w; in >> w;) out.push_back(w);
        return out;
    };
    const std::vector<std::string> sizes = list("TASKMOOR_BENCH_RTF_MB", "4 20 50");
    const std::vector<std::string> kinds =
        list("TASKMOOR_BENCH_RTF_KINDS", "groups paragraphs plain bold lines long");
    const std::vector<std::string> targets =
        list("TASKMOOR_BENCH_RTF_TARGETS", "reader richedit qzriched dbrichedit bound gridcell");
    const std::string self = argv[0];
    std::printf("%-11s %6s %-10s %9s %9s %8s %8s %8s %7s %9s %9s %9s %9s %9s %9s %9s %9s\n", "document", "MB",
                "target", "ms", "cpu ms", "x reader", "peak MB", "held MB", "x file", "laid out", "longest",
                "repaint", "arrow", "blink", "type", "no busy", "ctrl+end");
    for (const std::string& kind : kinds)
        for (const std::string& mb : sizes) {
            double readerCpu = 0;
            for (const std::string& target : targets) {
                const auto bytes = static_cast<std::size_t>(std::stod(mb) * 1024 * 1024);
                const std::string command =
                    self + " --probe " + target + " " + kind + " " + std::to_string(bytes) + " 2>/dev/null";
                FILE* pipe = ::popen(command.c_str(), "r");
                double ms = 0, cpu = 0, laidOut = 0, longest = 0, repaint = 0, arrow = 0, blink = 0, type = 0,
                       noBusy = 0, ctrlEnd = 0;
                long peak = 0, held = 0;
                unsigned long long chars = 0, size = 0;
                const bool ok =
                    pipe && std::fscanf(pipe, "%lf %lf %ld %ld %llu %llu %lf %lf %lf %lf %lf %lf %lf %lf",
                                        &ms, &cpu, &peak, &held, &chars, &size, &laidOut, &longest, &repaint,
                                        &arrow, &blink, &type, &noBusy, &ctrlEnd) == 14;
                if (pipe) ::pclose(pipe);
                if (!ok) {
                    std::printf("%-11s %6s %-10s   failed\n", kind.c_str(), mb.c_str(), target.c_str());
                    continue;
                }
                if (target == "reader") readerCpu = cpu;
                std::printf(
                    "%-11s %6.1f %-10s %9.1f %9.1f %8.2f %8.1f %8.1f %7.2f %9.1f %9.1f %9.1f %9.1f %9.1f "
                    "%9.1f %9.1f %9.1f\n",
                    kind.c_str(), size / 1048576.0, target.c_str(), ms, cpu,
                    readerCpu > 0 ? cpu / readerCpu : 0.0, peak / 1024.0, held / 1024.0,
                    peak * 1024.0 / static_cast<double>(size), laidOut, longest, repaint, arrow, blink, type,
                    noBusy, ctrlEnd);
                std::fflush(stdout);
            }
        }
    return 0;
}
