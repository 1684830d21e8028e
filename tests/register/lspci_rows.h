// SPDX-License-Identifier: GPL-3.0-or-later
// The rows that tie what lspci -vvv prints to the decoded tree's fields; each group of
// capabilities keeps its own rows (lspci_rows_*.h).
#pragma once

#include <vector>

namespace qbus::config_space {

// Where lspci prints a flag: the tree's block (the header or a capability, by its name in the
// tree), lspci's key (with the sub-key a "Word:" inside the entry gives) and the flag's name.
struct FlagRow {
  const char* block;
  const char* key;
  const char* flag;
  const char* reg;    // the register's name in the tree
  const char* field;  // the field's name under it
};

// A value lspci prints, captured by `pattern` from the entry's text, against a field's meaning
// (spaces, commas and case aside), its value as a decimal or hex number, its meaning read as a
// hex number (an address put in its place), or a range "first-last" ("disabled" when lspci
// prints "[disabled]").
enum class Compare {
  kMeaning,
  kDecimal,
  kHex,
  kLeadingNumber,
  kHexMeaning,
  kRange,
  kSpeedRange,  // "2.5-16GT/s" against a list of speeds
  kBitList,     // "0 2" against the bits set
  kMeaningOrUnnamed,  // as kMeaning, where the tree may have no name
  kLeadingName,   // a name lspci prints before another: the vendor's
  kTrailingName,  // a name lspci prints after the vendor's: the device's
};
struct ValueRow {
  const char* block;
  const char* key;
  const char* pattern;
  const char* reg;
  const char* field;  // empty: the register itself
  Compare compare;
  // Where lspci words a meaning otherwise: "lspci's=ours|...", applied to what it prints.
  const char* aliases = "";
};
}  // namespace qbus::config_space
