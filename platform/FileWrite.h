#pragma once
// Writing a whole file so that it holds either its old content or all the new.

#include "HResult.h"

#include <string_view>

class QString;

// S_OK, HRESULT_PATH_NOT_FOUND when the folder is missing, E_ACCESSDENIED when the file
// cannot be made, HRESULT_WRITE_FAULT when the writing fails.
HRESULT WriteFileAtomically(const QString& path, std::string_view content);
