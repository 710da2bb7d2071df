#pragma once

#include <QString>
#include <string_view>

#include "document/table_document.h"
#include "tables/record_field.h"

// What a field is: its caption, whether it is signed, its width and the
// values it can hold, e.g. "Атака: целое со знаком, 1 байт, от -128 до 127".
QString FieldKindHint(std::string_view caption, FieldLayout layout);

// What the cell of `field` tells the user before anything is stored, one line
// a fact: the field's kind and range, then, for a cell with typed text, what a
// commit will store when that differs from the text, or that the text is not a
// number and the field keeps its value; that its record lies past the end of
// a short file and it cannot be changed; and while a comparison file is set
// and the cell differs from it, that file's value. Empty for a cell that is no field and
// while no file is loaded (nothing would be stored then).
QString CellHint(const TableDocument& document, const FieldRef& field);
