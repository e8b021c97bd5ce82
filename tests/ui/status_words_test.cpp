// The words of every status a row can show: the window takes them from its
// string table, p6k from its own text; both must read the same.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/status_text.h"
#include "cli/status_utf8.h"

namespace {

std::wstring FromUtf8(const std::string& utf8) {
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                   static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) return L"<not UTF-8>";
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      &wide[0], length);
  return wide;
}

TEST(StatusWords, TheWindowAndP6kShowTheSameWords) {
  for (RowStatus status : {RowStatus::Ready, RowStatus::Success, RowStatus::Failed,
                           RowStatus::TooLargeEncrypt, RowStatus::TooLargeDecrypt,
                           RowStatus::AlreadyEncrypted, RowStatus::NotEncrypted,
                           RowStatus::NameTaken}) {
    SCOPED_TRACE(StatusUtf8(status));
    std::wstring window = StatusText(status);
    EXPECT_FALSE(window.empty()) << "the string table has no words for it";
    EXPECT_EQ(window, FromUtf8(StatusUtf8(status)));
  }
}

}  // namespace
