#pragma once
// The folder a hive lives in: finding and creating it. For the hive's own code; moving a
// damaged hive aside and naming what blocks the folder are declared in registry_hive.h.

#include <string>

#include "platform/last_error.h"

namespace bitvane {

// The folder part of `path`: "." when it has none, "/" for a file in the root.
[[nodiscard]] std::string FolderOf(const std::string& path);

// Creates the folders of `folder` that are missing, private to the user, each synced
// into its parent; the error of the first that cannot be made, or ERROR_PATH_NOT_FOUND
// when `folder` is there but no folder.
[[nodiscard]] ErrorCode CreateFolders(const std::string& folder);

}  // namespace bitvane
