#pragma once
// Extracts every file of a Microsoft Cabinet through the system's cabinet.dll (FDI): each file
// is written into the target folder under its stored name and then gets the stored date and
// time (local time) as its creation and last-write time and the stored read-only, hidden,
// system and archive attributes. A stored name that would leave the folder is refused and the
// rest is extracted.

#include <string>
#include <vector>

class CCabinetExtractor {
public:
    struct Result {
        bool complete = false;             // the cabinet was read to its end
        std::vector<std::wstring> written; // full paths of the files made
        std::vector<std::wstring> refused; // stored names that were not extracted
    };

    static Result extract(const std::wstring& cabinet, const std::wstring& folder);
};
