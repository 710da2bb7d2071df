#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tables/table_set.h"
#include "tables/target_file.h"

// Loads all three tables from `image` as the Open command does.
inline TableSet LoadTables(const Bytes& image) {
  TableSet tables;
  TargetHandle.Open(image, false);
  LoadAllTables(tables);
  TargetHandle.Close();
  return tables;
}

// Writes all three tables into a copy of `image` as Save As does.
inline Bytes SaveTables(const TableSet& tables, Bytes image) {
  TargetHandle.Open(std::move(image), true);
  WriteAllTables(tables);
  return TargetHandle.Close();
}

// The offsets at which two images differ.
inline std::vector<std::size_t> DifferingOffsets(const Bytes& a, const Bytes& b) {
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i])
      offsets.push_back(i);
  }
  return offsets;
}
