#pragma once
// Calls the methods of an IDispatch by name, as a script engine does: GetIDsOfNames, then
// Invoke with DISPATCH_METHOD and the arguments in reverse order. The arguments and the
// result travel as text: each argument is a type letter and its value ("i12", "d0.5",
// "sname", "b1"), the result is a JSON object.

#include "ComPtr.h"

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

class CDispatchForwarder {
public:
    explicit CDispatchForwarder(IDispatch* target) : m_target(target) {}

    // {"ok":true,"value":...} or {"ok":false,"hr":"0x........","error":"..."}.
    std::string call(const std::string& name, const std::vector<std::string>& arguments) const;
    // The callable method names of the target's type information, as a JSON array.
    std::string names() const;

    static std::wstring widen(const std::string& utf8);
    static std::string narrow(const std::wstring& text);
    // A JSON string literal of `text`.
    static std::string quote(const std::wstring& text);

private:
    TComPtr<IDispatch> m_target;
};
