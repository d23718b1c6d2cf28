#pragma once
// The HTML of the About page: the About text the update stored (or string 32800), with "%s"
// replaced by the application's title and line breaks as "<br>", then the "More Information"
// link (the stored one, or string 32801).

#include <string>

namespace abouttext {

std::wstring html(const std::wstring& title);

// The same from given parts (the stored values, when present).
std::wstring compose(const std::wstring& title, const std::wstring& text, const std::wstring& link);

} // namespace abouttext
