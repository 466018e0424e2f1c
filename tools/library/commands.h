#pragma once

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "library/library_index.h"
#include "tool_options.h"

namespace tramlet::library::tool {

// Each returns the exit status: 0 all is well, 1 something needs a look,
// 2 the command line cannot be followed (also thrown as UsageError).
int RunIngest(const ToolOptions& options);
int RunVerify(const ToolOptions& options);
int RunFind(const ToolOptions& options);

// The index of an existing library; a library folder that is not there is a
// usage error.
std::unique_ptr<LibraryIndex> OpenExistingIndex(const ToolOptions& options);

// Prints JSON on stdout; bytes that are no UTF-8 (a file name on a card can
// hold any) are replaced rather than refused.
void PrintJson(const nlohmann::ordered_json& json);

}  // namespace tramlet::library::tool
