// The field link of a data-aware control, with the plumbing every such
// control shares: the data source tells the control when it goes away, a
// field's focus request can focus the control, and the control's handlers
// are unhooked before it is destroyed.
#pragma once

#include "platform/db/datasource.h"

class TControlFieldLink : public TFieldDataLink {
    TASKMOOR_CLASS(TControlFieldLink, TFieldDataLink)
public:
    explicit TControlFieldLink(TComponent* AControl);

    // Links Value, moving the control's free notification from the old data
    // source to it.
    void AttachDataSource(TDataSource* Value);
    // For the control's Notification: a data source being removed is left.
    void DataSourceRemoved(TComponent* AComponent, TOperation Operation);
    // A focus request for the field focuses the control when it can take it.
    void FocusControlOnRequest();
    // For the control's destructor: unhooks its handlers, then leaves the
    // data source (which fires no handler any more).
    void Release();

private:
    void FocusRequest(TFieldDataLink* Link, bool& Handled);
};
