// Identifiers of the resources in sorvan.rc, shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_SORVAN_DIALOG 102

#define IDI_PRODUCT 140
#define IDI_P6K_FILE 141
#define IDI_ROW_TICK 142
#define IDI_ROW_DOT 143
#define IDI_ROW_CROSS 144

// System-menu command; the menu keeps the low four bits of its ids for itself.
#define IDM_ABOUTBOX 0x0010

#define IDC_FILE_PATH 1000
#define IDC_BROWSE 1001
#define IDC_PASSWORD 1002
#define IDC_ENCRYPT 1004
#define IDC_DECRYPT 1005
#define IDC_ONLINE_HELP 1007
#define IDC_ABOUT 1008
#define IDC_CLEAR_LIST 1009
#define IDC_PROGRESS 1010
#define IDC_CONFIRM 1012
#define IDC_SITE_LINK 1013
#define IDC_FILE_SIZE 1014
#define IDC_FILE_LIST 1027
#define IDC_WEB_PANEL 1035

// Status texts of the rows' column 1.
#define IDS_STATUS_READY 200
#define IDS_STATUS_SUCCESS 201
#define IDS_STATUS_FAILED 202
#define IDS_STATUS_TOO_LARGE_ENCRYPT 203
#define IDS_STATUS_TOO_LARGE_DECRYPT 204
#define IDS_STATUS_ALREADY_ENCRYPTED 205
#define IDS_STATUS_NOT_ENCRYPTED 206
#define IDS_STATUS_NAME_TAKEN 207

#define IDS_COLUMN_FILE 220
#define IDS_COLUMN_STATUS 221

// Message boxes of the main window.
#define IDS_NOTICE_CAPTION 230
#define IDS_EMPTY_LIST_ENCRYPT 231
#define IDS_EMPTY_LIST_DECRYPT 232
#define IDS_NO_PASSWORD 233
#define IDS_NO_CONFIRMATION 234
#define IDS_PASSWORD_MISMATCH 235
#define IDS_ENCRYPT_FAILED 236
#define IDS_DECRYPT_FAILED 237
#define IDS_OLE_INIT_FAILED 240

// The document string and its menu: the shell registration reads the string.
#define IDR_DOCUMENT 128
#define ID_FILE_OPEN 57601

// The password prompt for a file opened from the shell.
#define IDD_PASSWORD_DIALOG 152
#define IDC_PROMPT_DECRYPT 1028
#define IDC_PROMPT_PASSWORD 1029
#define IDS_PROMPT_EMPTY_PASSWORD 250
#define IDS_PROMPT_ERROR_CAPTION 251
#define IDS_PROMPT_OK_CAPTION 252
#define IDS_PROMPT_OPEN_FAILED 253
#define IDS_PROMPT_WRONG_PASSWORD 254
#define IDS_PROMPT_DELETE_FAILED 255
#define IDS_PROMPT_SUCCESS 256
#define IDS_PROMPT_NAME_TAKEN 257
#define IDS_PROMPT_READ_FAILED 258
#define IDS_PROMPT_WRITE_FAILED 259

// The About box.
#define IDC_ABOUT_SITE_LINK 1015
