#pragma once
// The service control manager as tests see it: whether a service exists, and removing one a
// test run left behind.

namespace testservice {

bool exists(const wchar_t* name);
void remove(const wchar_t* name);

} // namespace testservice
