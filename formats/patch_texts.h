#pragma once

#include <QString>

#include "formats/patch_formats.h"

// What the window and the command line say about patches, in Russian.

// Why a patch was not made or applied; empty for kNone.
QString PatchRefusalText(PatchRefusal refusal);

// What a patch changes outside the table records: the file's size, from what
// to what, and how many changed bytes lie outside the records and where the
// first of them is, e.g. "патч меняет 3 байта вне записей таблиц, первый по
// смещению 0x000400 (1024)". Only for outside.Any().
QString OutsideChangesText(const OutsideChanges& outside);
// The same for a patch whose result ends before RecordsEnd(), with why it is
// refused even where other bytes are allowed.
QString CutTooShortText(const OutsideChanges& outside);
