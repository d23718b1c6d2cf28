// Resource ids of Cofferctl. The numbers are fixed: callers and the string table refer to them.
#pragma once

#define IDS_VAULT_TITLE             145
#define IDS_CONFIRM_DELETE          164
#define IDS_DELETE_DATA_FAILED      165
#define IDS_WRONG_PASSWORD          175
#define IDS_DATA_FILE_MISSING       208
#define IDS_DATA_FILE_READ_ONLY     210
#define IDS_DATA_FILE_COMPRESSED    224
#define IDS_DATA_FILE_ENCRYPTED     225
#define IDS_CREATE_DATA_FILE_FAILED 32788
#define IDS_WRONG_ANSWER            32795
#define IDS_WRITE_FAILED            32799
