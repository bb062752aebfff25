// Datum names of OziExplorer files and the engine datums they stand for.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tk {

struct OziDatumRow {
  const char* name;
  const char* altName;  // null: none
  const char* code;     // engine datum code; null: none
};

// The 121 rows, in lookup order.
std::span<const OziDatumRow> OziDatumTable();

// The engine datum of an OziExplorer datum name: the first row whose name or
// alternative name equals `name` (ASCII case ignored) gives the index of its
// code; no row, or a row without a code, gives -1.
int32_t DatumIndexByName(std::string_view name);

}  // namespace tk
