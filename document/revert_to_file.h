#pragma once

#include <vector>

#include "document_history.h"
#include "table_document.h"

// Sets `fields` back to their values in the current file, dropping the text
// typed into their cells, as one step of `history`.
void RevertToFile(DocumentHistory& history, TableDocument& document,
                  const std::vector<FieldRef>& fields);
