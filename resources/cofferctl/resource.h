// Resource ids of Cofferctl. The numbers are fixed: callers and the string table refer to them.
#pragma once

#define IDS_VAULT_TITLE             145
#define IDS_CONFIRM_DELETE          164
#define IDS_NUMBER_NONE             172
#define IDS_DELETE_DATA_FAILED      165
#define IDS_WRONG_PASSWORD          175
#define IDS_INUSE_ONE_LOCKBOX       181
#define IDS_AUTO_CLOSED             184
#define IDS_VAULT_OPEN_PARTIAL      186
#define IDS_VAULT_OPENED            187
#define IDS_VAULT_NOT_OPENED        188
#define IDS_VAULT_NOT_CLOSED        189
#define IDS_VAULT_CLOSED            190
#define IDS_VAULT_CLOSE_PARTIAL     191
#define IDS_LOCKBOX_CREATED         192
#define IDS_NUMBER_ONE              193 // to 202: "one" to "ten"
#define IDS_LOCKBOX_DONE            203
#define IDS_LOCKBOX_NOT_DONE        204
#define IDS_OPENED                  205
#define IDS_CLOSED                  206
#define IDS_DATA_FILE_MISSING       208
#define IDS_DATA_FILE_READ_ONLY     210
#define IDS_INUSE_STANDBY           213
#define IDS_DATA_FILE_COMPRESSED    224
#define IDS_DATA_FILE_ENCRYPTED     225
#define IDS_INUSE_DIRECTORY         233
#define IDS_INUSE_FILE              234
#define IDS_INUSE_ALL_CEASED        235
#define IDS_INUSE_SEVERAL_LOCKBOXES 236
#define IDS_INUSE_DETAILS_SHOW      237
#define IDS_INUSE_DETAILS_HIDE      238
#define IDS_INUSE_UNKNOWN           240
#define IDS_EMPTY_PASSWORD          32778
#define IDS_CREATE_DATA_FILE_FAILED 32788
#define IDS_ENTER_PASSWORD_FOR      32789
#define IDS_ENTER_FEATURE_PASSWORD  32791
#define IDS_PASSWORD_HELP           32792
#define IDS_EMPTY_QUESTION          32793
#define IDS_EMPTY_ANSWER            32794
#define IDS_WRONG_ANSWER            32795
#define IDS_WRITE_FAILED            32799

#define IDD_INUSE                   174
#define IDC_INUSE_DETAILS           1066
#define IDC_INUSE_LIST              1067
#define IDC_INUSE_ITEMS             1069
#define IDC_INUSE_REFRESH           1070
#define IDC_INUSE_ICON              1071
#define IDC_INUSE_HEADING           1072
#define IDC_INUSE_TEXT              1073

#define IDD_PASSWORD                171
#define IDC_PASSWORD_HELP           209
#define IDC_PASSWORD_HEADING        1007
#define IDC_PASSWORD_FIELD          1040

#define IDD_SECRET_QUESTION         242
#define IDC_ANSWER_FIELD            1020
#define IDC_QUESTION_FIELD          1032
