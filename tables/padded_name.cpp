#include "padded_name.h"

#include "target_file.h"

ShortName ReadPaddedName() {
  ShortName name;
  char byte = 0;
  // The name: every non-zero byte up to the first zero byte.
  for (;;) {
    if (TargetHandle.Read(&byte, 1) != 1)
      return name;  // end of file: no zero run follows
    if (byte == 0)
      break;
    name.Append(byte);
  }
  // The zero run: read up to the first byte of the next name, then step back onto it.
  for (;;) {
    if (TargetHandle.Read(&byte, 1) != 1)
      return name;
    if (byte != 0)
      break;
  }
  TargetHandle.SeekRelative(-1);
  return name;
}
