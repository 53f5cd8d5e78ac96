// A data-aware rich edit for the grid's RichEdit cells, made where the rich
// edit's header can be included (the grid's header declares its own URL
// event under the rich edit's name).
#pragma once

#include <string>

class TComponent;
class TDataSource;
class TWinControl;

// A named, bordered rich edit on Parent bound to DataField of Source.
TWinControl* NewRichCellControl(TComponent* Owner, TWinControl* Parent, const std::string& Name,
                                TDataSource* Source, const std::string& DataField);
