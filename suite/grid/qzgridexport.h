// The published grid's export: TqzExportOptions walks the grid's dataset and
// writes its exported columns as delimited or fixed-width text, an HTML
// table or a SYLK sheet, into a file or onto the clipboard.
//
// The writers are pure functions of a TqzExportModel (columns, fonts,
// colours, options) and of each row's cells; the run builds the model from
// the grid, and text and HTML rows go to the file one at a time.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/enums.h"
#include "platform/core/object.h"
#include "platform/db/dbtypes.h"
#include "platform/ui/graphics.h"

class TqzGridExportHost;
class TStream;

TASKMOOR_ENUM(TqzGridExportType, qzgetTxt, qzgetHTML, qzgetSYLK, qzgetXML)
TASKMOOR_ENUM(TqzExportSaveOption, esoShowHeader, esoShowFooter, esoDynamicColors, esoShowTitle,
              esoDblQuoteFields, esoSaveSelectedOnly, esoAddControls, esoBestColFit, esoShowRecordNo,
              esoEmbedURL, esoShowAlternating, esoTransparentGrid, esoClipboard)
using TqzExportSaveOptions = TSet<TqzExportSaveOption>;

// A font as the writers describe it.
struct TqzExportFont {
    std::string Name = "Sans";
    int Size = 9;
    TColor Color = clBlack;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    bool SameLook(const TqzExportFont& Other) const {
        return Name == Other.Name && Size == Other.Size && Color == Other.Color;
    }
    bool SameAll(const TqzExportFont& Other) const {
        return SameLook(Other) && Bold == Other.Bold && Italic == Other.Italic &&
               Underline == Other.Underline && StrikeOut == Other.StrikeOut;
    }
};

// One column of the grid's field map.
struct TqzExportColumn {
    std::string FieldName;
    std::string Title;                  // "~" breaks lines
    std::string Group;                  // empty: not grouped
    int GroupFirst = 0, GroupLast = 0;  // the group's column range (indexes of the column list)
    int WidthChars = 10;
    int PixelWidth = 64;
    int DisplayWidth = 10;
    TAlignment Alignment = taLeftJustify;
    TFieldType DataType = ftString;
    std::string ControlType, Parameters;
    // A CustomEdit column naming a combo box: its items as (display, value).
    bool Combo = false, ComboMapList = false;
    std::vector<std::pair<std::string, std::string>> ComboItems;
    bool ShownMemo = false;  // a memo shown in the grid (mGridShow)
    std::string Footer;
    bool Exported = true;
};

// One cell of a row: the text the grid shows and the field's value.
struct TqzExportCell {
    std::string Text;
    bool Null = false;
    bool BoolValue = false;
    long long IntValue = 0;
    double FloatValue = 0;  // floats, dates (day number), times (fraction)
};

struct TqzExportModel {
    std::vector<TqzExportColumn> Columns;
    TqzExportFont GridFont, TitleFont;
    TColor GridColor = clWhite, TitleColor = clSilver, FooterColor = clSilver, FooterCellColor = clSilver;
    TColor AlternatingColor = static_cast<TColor>(0x1FFFFFFF);
    TAlignment TitleAlignment = taLeftJustify;
    int TitleLines = 1;
    bool RightToLeft = false;
    bool ShowFooter = false;  // the grid shows its footer
    int PixelsPerInch = 96;
    std::string DecimalSeparator = ".";
    // With esoDynamicColors: the grid's cell-colour and title-attribute events.
    std::function<void(int Col, TqzExportFont& Font, TColor& Brush)> CellColors;
    std::function<void(int Col, TqzExportFont& Font, TColor& Brush, TAlignment& Alignment)> TitleAttributes;
};

struct TqzExportSettings {
    TqzGridExportType ExportType = qzgetTxt;
    std::string Delimiter = ",";
    TqzExportSaveOptions Options{esoShowHeader, esoShowTitle, esoDblQuoteFields, esoShowAlternating};
    std::string TitleName;
    std::string FileName;
    int OutputWidthinTwips = 0;
    int HTMLBorderWidth = 1;
};

// The state one export run shares between header, rows and trailer.
struct TqzExportState {
    std::vector<int> FormatIndex;    // per column, SYLK picture format
    std::vector<std::string> Fonts;  // SYLK font records in numbering order
    int WidthSum = 0;                // exported pixel widths + 5 each
};

// The writers.
std::string qzExportQuoteField(const TqzExportSettings& S, const std::string& Value);
std::string qzHTMLEscape(const std::string& Text);
std::string qzTextHeader(const TqzExportSettings& S, const TqzExportModel& M);
std::string qzTextRow(const TqzExportSettings& S, const TqzExportModel& M, int RecNo,
                      const std::vector<TqzExportCell>& Cells);
std::string qzHTMLHeader(const TqzExportSettings& S, const TqzExportModel& M);
std::string qzHTMLRow(const TqzExportSettings& S, const TqzExportModel& M, const TqzExportState& St,
                      int RecNo, const std::vector<TqzExportCell>& Cells);
std::string qzHTMLNoRecordsRow(const TqzExportSettings& S, const TqzExportModel& M);
std::string qzHTMLTrailer();
// Formats: per column the picture format chosen (SYLKFormat may change it).
std::string qzSYLKHeader(const TqzExportSettings& S, const TqzExportModel& M, TqzExportState& St,
                         const std::function<void(int Col, std::string& Format)>& SYLKFormat = {});
std::string qzSYLKRow(const TqzExportSettings& S, const TqzExportModel& M, TqzExportState& St, int RecNo,
                      const std::vector<TqzExportCell>& Cells);
// Appends "E", the row bound and the font records.
void qzSYLKFinish(const TqzExportSettings& S, const TqzExportModel& M, const TqzExportState& St,
                  int LastRecNo, std::string& Result);

class TqzExportOptions : public TPersistent {
    TASKMOOR_CLASS(TqzExportOptions, TPersistent)
public:
    // Host: what the export sees of its grid.
    explicit TqzExportOptions(TqzGridExportHost& Host);

    // The stored name, else the program's name with ".txt".
    std::string FileName() const;
    void SetFileName(const std::string& Value) { FSettings.FileName = Value; }
    TqzGridExportType ExportType() const { return FSettings.ExportType; }
    void SetExportType(TqzGridExportType Value) { FSettings.ExportType = Value; }
    const std::string& Delimiter() const { return FSettings.Delimiter; }
    void SetDelimiter(const std::string& Value) { FSettings.Delimiter = Value; }
    TqzExportSaveOptions Options() const { return FSettings.Options; }
    void SetOptions(TqzExportSaveOptions Value) { FSettings.Options = Value; }
    const std::string& TitleName() const { return FSettings.TitleName; }
    void SetTitleName(const std::string& Value) { FSettings.TitleName = Value; }
    int OutputWidthinTwips() const { return FSettings.OutputWidthinTwips; }
    void SetOutputWidthinTwips(int Value) { FSettings.OutputWidthinTwips = Value; }
    int HTMLBorderWidth() const { return FSettings.HTMLBorderWidth; }
    void SetHTMLBorderWidth(int Value) { FSettings.HTMLBorderWidth = Value; }

    std::string QuoteField(const std::string& Value) const { return qzExportQuoteField(FSettings, Value); }
    void Assign(TPersistent* Source) override;
    // Runs an export with the current settings. The file is written beside
    // its name and replaces it only when the export is finished; a file that
    // cannot be written raises EFCreateError naming it and keeps the old one.
    // The dataset's controls and its position are restored on every way out.
    virtual void Save();
    // The same export written to Stream instead of the file or the clipboard.
    void SaveToStream(TStream* Stream);

    // The model of the grid as the writers see it (for tests and callers).
    TqzExportModel BuildModel();

    static void Publish(TPublisher<TqzExportOptions>& p);

private:
    // Writes to Out, or to the clipboard when Out is nil; False when there
    // was nothing to export (no open dataset) or the grid or dataset went
    // away before the export was finished.
    bool Run(TStream* Out);
    TqzExportSettings FSettings;
    TqzGridExportHost* FHost;
};
