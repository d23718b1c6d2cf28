#pragma once
// Names that arrive from the update server (in the manifest or stored in a cabinet) decide
// where files are written, so they are checked before any file is made: a name is accepted
// only when it stays inside the folder it is meant for.

#include <string>
#include <string_view>

namespace safepath {

// True when `name` is a relative path of one or more components separated by "\" or "/",
// with no drive or stream (":"), no root, no "." or ".." component, no empty component, no
// character that Windows forbids in file names (control characters and <>"|?*), no component
// ending in a dot or a blank, and no device name (CON, NUL, COM1 ...).
bool isSafeRelative(std::wstring_view name);

// `folder` (with or without a trailing "\") joined with a safe relative name, "/" turned into
// "\". Empty when the name is not safe.
std::wstring inside(const std::wstring& folder, std::wstring_view name);

// Creates the folders of `path` below `folder` that do not exist yet (not the last component).
bool createParents(const std::wstring& folder, const std::wstring& path);

} // namespace safepath
