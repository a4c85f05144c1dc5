#pragma once
// The program's string table: the texts of item labels and choices by their id.

#include "StringIds.h"

#include <string>
#include <vector>

// The text of a string id, or an empty string for an id the table does not hold.
std::string LoadString(int id);

// True when the table holds the id.
bool HasString(int id);

// Fills the numbered inserts of a table text ("GPI Input %1!d!:") with the given values,
// in order: %1 takes the first. An insert without a value is left as it stands.
std::string FormatInserts(const std::string& text, const std::vector<std::string>& values);
