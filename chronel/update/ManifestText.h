#pragma once
// The update manifest is UTF-16LE text searched for its elements by plain, case-sensitive text
// search, not parsed as XML: only the element names matter.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace manifest {

// The manifest read from the update server is never taken in beyond this size.
inline constexpr size_t kMaxBytes = 1024 * 1024;

// The body as UTF-16LE text, two bytes to a character; a last odd byte (half a character) is
// dropped, and a leading byte-order mark is skipped.
std::wstring decode(const std::vector<BYTE>& body);

// The text between the first "<name>" and the first "</name>" in `text`, white space trimmed
// at both ends; empty when either tag is missing or the closing one does not follow the
// opening one.
std::wstring element(std::wstring_view text, std::wstring_view name);

// A "Yes" switch: the value begins with "Yes" (case-sensitive).
bool isYes(std::wstring_view value);

} // namespace manifest
