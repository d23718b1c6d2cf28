// Resource numbers of the property-sheet tests. The resource compiler reads this file too.
#pragma once

#define IDD_SHEET_FIRST 201
#define IDD_SHEET_SECOND 202
#define IDD_SHEET_THIRD 203
#define IDB_SHEET_WATERMARK 301
#define IDB_SHEET_HEADER 302
#define IDC_SHEET_FIELD 1001
