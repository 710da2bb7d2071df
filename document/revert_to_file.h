#pragma once

#include <vector>

#include "document/table_document.h"

// Sets `fields` back to their values in the current file, dropping the text
// typed into their cells, as one step of the document's history.
void RevertToFile(TableDocument& document, const std::vector<FieldRef>& fields);
