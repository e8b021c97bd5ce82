// The words a row's status shows, in the window's string table and on p6k's
// lines alike: one source for both. UTF-8, as the resource script is.
#pragma once

#define STATUS_WORD_READY "就绪"
#define STATUS_WORD_SUCCESS "成功"
#define STATUS_WORD_FAILED "失败"
#define STATUS_WORD_TOO_LARGE_ENCRYPT "失败,文件大于1G"
#define STATUS_WORD_TOO_LARGE_DECRYPT "失败, 文件大于1G"
#define STATUS_WORD_ALREADY_ENCRYPTED "被加密过的"
#define STATUS_WORD_NOT_ENCRYPTED "没有被加密过的"
#define STATUS_WORD_NAME_TAKEN "失败,文件已存在"
