// The running program file: its path and its product version.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace vt {

// First three parts of a file's product version (the fourth is not compared).
struct ProductVersion {
    WORD major = 0;
    WORD minor = 0;
    WORD build = 0;
    bool operator==(const ProductVersion& o) const {
        return major == o.major && minor == o.minor && build == o.build;
    }
    bool operator!=(const ProductVersion& o) const { return !(*this == o); }
};

// Reads the fixed version record of a file; nothing when the file is missing
// or has no version resource.
std::optional<ProductVersion> ReadProductVersion(const std::string& path);

// Full path of the running program file ("" if the system cannot say).
std::string ProgramFilePath();

}  // namespace vt
