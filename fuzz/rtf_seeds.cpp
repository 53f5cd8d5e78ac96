// Writes the seed corpora of the RTF reader and the "Data" reader: documents
// made by the writer, each read back before it is written.
//   rtf_seeds <rtf_reader folder> <rich_data folder>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/rtf.h"

namespace {

std::vector<TRtfDocument> Documents() {
    std::vector<TRtfDocument> docs;
    TRtfCharFormat plain;
    TRtfCharFormat fancy;
    fancy.FontName = "Times New Roman";
    fancy.Charset = 238;
    fancy.Pitch = 2;
    fancy.Size = 28;
    fancy.Bold = fancy.Italic = fancy.Underline = fancy.StrikeOut = true;
    fancy.Offset = 6;
    fancy.Color = 0x0000FF;
    fancy.BackColor = 0x00FFFF;
    TRtfCharFormat link = plain;
    link.Link = "https://example.org/";
    TRtfParaFormat para;
    para.Alignment = TRtfAlign::Justify;
    para.FirstIndent = -360;
    para.LeftIndent = 720;
    para.RightIndent = 144;
    para.SpaceBefore = 120;
    para.SpaceAfter = 60;
    para.LineSpacing = 360;
    para.LineSpacingMultiple = true;
    para.Bullet = true;
    para.Tabs = {{720, TRtfTabAlign::Left}, {1440, TRtfTabAlign::Decimal}};
    TRtfRun pic;
    pic.Raw = "{\\pict\\pngblip\\picwgoal720\\pichgoal360 89504e470d0a1a0a}";
    TRtfRun obj;
    obj.Raw = "{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 0102}{\\result{\\pict\\jpegblip ffd8}}}";
    docs.emplace_back();
    TRtfDocument hello;
    hello.Paragraphs = {{{}, {hello.Run("Hello", plain)}}};
    docs.push_back(hello);
    TRtfDocument mixed;
    mixed.Paragraphs = {{para, {mixed.Run("caf\xc3\xa9 \xe2\x82\xac \xe4\xb8\xad {\\}\tx\ny", fancy)}},
                        {{}, {mixed.Run("see ", plain), mixed.Run("here", link)}},
                        {{}, {pic, mixed.Run("\xf0\x9f\x98\x80", plain), obj}}};
    docs.push_back(mixed);
    return docs;
}

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: rtf_seeds <rtf_reader folder> <rich_data folder>\n");
        return 2;
    }
    int n = 0;
    std::string all;
    for (const TRtfDocument& d : Documents()) {
        const std::string rtf = RtfWrite(d);
        TRtfDocument back;
        if (!RtfRead(rtf, back).Ok || !(back == d)) {
            std::fprintf(stderr, "seed %d does not read back\n", n);
            return 1;
        }
        const std::string name = "seed" + std::to_string(n++);
        if (!Write(std::string(argv[1]) + "/" + name + ".rtf", rtf) ||
            !Write(std::string(argv[2]) + "/" + name, RtfWriteDataBlock(rtf)))
            return 1;
        all += RtfWriteDataBlock(rtf);
    }
    return Write(std::string(argv[2]) + "/all", all) ? 0 : 1;
}
