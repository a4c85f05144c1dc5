#pragma once
// The program's string table: the texts of item labels and choices by their id.

#include "StringIds.h"

#include <string>

// The text of a string id, or an empty string for an id the table does not hold.
std::string LoadString(int id);

// True when the table holds the id.
bool HasString(int id);
