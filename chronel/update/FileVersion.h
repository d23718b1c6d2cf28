#pragma once
// The "FileVersion" text of a program's version resource, split into its numbers.

#include <optional>
#include <string>
#include <vector>

namespace fileversion {

// The numbers of "\StringFileInfo\<language><code page>\FileVersion", the language and code
// page taken from "\VarFileInfo\Translation" (1033 and 1252 when that table is empty). Nothing
// when the file is missing or has no version resource or no such text.
std::optional<std::vector<unsigned>> numbers(const std::wstring& path);

// "2.0.5.3" -> {2, 0, 5, 3}; any run of non-digits separates numbers.
std::vector<unsigned> split(const std::wstring& text);

// Major and minor of "MinVersion" ("2.1"); a missing part is 0.
std::pair<unsigned, unsigned> majorMinor(const std::wstring& text);

} // namespace fileversion
