#include "status_text.h"

const char* StatusText(RowStatus status) {
  switch (status) {
    case RowStatus::Ready: return "就绪";
    case RowStatus::Success: return "成功";
    case RowStatus::Failed: return "失败";
    case RowStatus::TooLargeEncrypt: return "失败,文件大于1G";
    case RowStatus::TooLargeDecrypt: return "失败, 文件大于1G";
    case RowStatus::AlreadyEncrypted: return "被加密过的";
    case RowStatus::NotEncrypted: return "没有被加密过的";
    case RowStatus::NameTaken: return "失败,文件已存在";
  }
  return "失败";
}
