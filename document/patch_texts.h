#pragma once

#include <QString>

#include "patch_formats.h"

// What the window and the command line say about patches, in Russian.

// Why a patch was not made or applied; empty for kNone.
QString PatchRefusalText(PatchRefusal refusal);

// How many changed bytes lie outside the table records and where the first of
// them is, e.g. "патч меняет 3 байта вне записей таблиц, первый по смещению
// 0x000400 (1024)".
QString OutsideChangesText(const OutsideChanges& outside);
