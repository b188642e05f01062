// Whole files as bytes (the settings file of Export and Import). Paths are
// narrow strings in the process code page, as everywhere.
#pragma once
#include <string>

namespace vt {

// The file's bytes. False when it cannot be opened or read, or is larger
// than maxBytes (then tooLarge, when given, is set).
bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes,
                   bool* tooLarge = nullptr);

// Writes the bytes beside the file first and then moves them into its
// place, so that a write that fails half-way leaves an existing file as it
// was. False when any step fails (nothing is left beside it then).
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace vt
