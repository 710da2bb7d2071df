#pragma once

#include "tables/short_name.h"

// Reads one name of a name list at the position of TargetHandle. In the
// executable a list is a sequence of names of non-zero bytes, each followed by
// one or more zero bytes. The reader returns the name (its first 255 bytes when
// it is longer) and leaves the position on the first byte of the next name,
// having consumed the whole run of zero bytes.
//
// At the end of the file (or on a handle that delivers nothing) it stops and
// returns what it has read so far; it never waits for a byte that cannot come.
ShortName ReadPaddedName();
