// TAsciiFile: the settings of a text export of a data source (delimited or
// fixed-width, with or without a header line). The main window holds one;
// it carries its settings and does nothing else.
#pragma once

#include <string>

#include "platform/core/component.h"
#include "platform/core/enums.h"

class TDataSource;

TASKMOOR_ENUM(TFileType, CSV, Fixed)

class TAsciiFile : public TComponent {
    TASKMOOR_CLASS(TAsciiFile, TComponent)
public:
    explicit TAsciiFile(TComponent* AOwner);

    TFileType FileType() const { return FFileType; }
    void SetFileType(TFileType Value) { FFileType = Value; }
    bool Headers() const { return FHeaders; }
    void SetHeaders(bool Value) { FHeaders = Value; }
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& Value) { FFileName = Value; }
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    bool QuoteAll() const { return FQuoteAll; }
    void SetQuoteAll(bool Value) { FQuoteAll = Value; }

    static void Publish(TPublisher<TAsciiFile>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TFileType FFileType = CSV;
    bool FHeaders = true;
    std::string FFileName;
    TDataSource* FDataSource = nullptr;
    bool FQuoteAll = false;
};
