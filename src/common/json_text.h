#pragma once

#include <string>
#include <string_view>

namespace tramlet {

// `text` as a JSON string, quotes included. Valid UTF-8 passes through;
// control characters and bytes that are no UTF-8 (a file name may hold any)
// are written as \u00XX, read as Latin-1, so that any text gives valid JSON.
std::string JsonString(std::string_view text);

}  // namespace tramlet
