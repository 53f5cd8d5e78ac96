// The export settings' data source link, dropped when the source goes away.
#include "app/ascii_file.h"

#include "platform/core/properties.h"
#include "platform/db/datasource.h"

TAsciiFile::TAsciiFile(TComponent* AOwner) : TComponent(AOwner) {}

void TAsciiFile::SetDataSource(TDataSource* Value) {
    if (FDataSource == Value) return;
    if (FDataSource) FDataSource->RemoveFreeNotification(this);
    FDataSource = Value;
    if (FDataSource) FDataSource->FreeNotification(this);
}

void TAsciiFile::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSource) FDataSource = nullptr;
}

void TAsciiFile::Publish(TPublisher<TAsciiFile>& p) {
    p.Property("FileType", &TAsciiFile::FileType, &TAsciiFile::SetFileType);
    p.Property("Headers", &TAsciiFile::Headers, &TAsciiFile::SetHeaders);
    p.Property("FileName", &TAsciiFile::FileName, &TAsciiFile::SetFileName);
    p.Property("DataSource", &TAsciiFile::DataSource, &TAsciiFile::SetDataSource);
    p.Property("QuoteAll", &TAsciiFile::QuoteAll, &TAsciiFile::SetQuoteAll);
}
