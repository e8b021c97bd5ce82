#include <gtest/gtest.h>

#include "resource.h"
#include "scratch_dir.h"
#include "window_driver.h"

namespace {

const std::wstring kNotice = L"提示";

struct Command {
  int button;
  const wchar_t* emptyList;
  const wchar_t* cannotStart;
};
const Command kCommands[] = {
    {IDC_ENCRYPT, L"请将待加密的文件或文件夹拖入列表框", L"加密失败"},
    {IDC_DECRYPT, L"请将待解密的文件或文件夹拖入列表框", L"解密失败"},
};

// Each refusal of both commands, in the order the checks are made: an empty
// list before the password, and the rows reset before the password checks.
TEST(Commands, RefuseWithTheirMessagesInOrder) {
  struct Case {
    bool rows;
    const wchar_t* password;
    const wchar_t* confirm;
    const wchar_t* message;  // null: the command's empty-list text
  } cases[] = {
      {false, L"", L"", nullptr},
      {false, L"pw", L"pw", nullptr},
      {true, L"", L"", L"没有输入密码"},
      {true, L"", L"pw", L"没有输入密码"},
      {true, L"pw", L"", L"请再次输入密码"},
      {true, L"Secret", L"secret", L"密码验证错误，请重新输入密码"},
      {true, L"secret", L"secret ", L"密码验证错误，请重新输入密码"},
  };
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  WriteBytes(dir / "b.txt", "b");
  for (const Command& command : kCommands) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(command.button) + " " + std::to_string(&c - cases));
      WindowDriver ui;
      if (c.rows) {
        ui.Drop({dir / "a.txt", dir / "b.txt"});
        ListView& list = ui.dialog().m_wndFileList;
        list.SetItemImage(1, kCross);
        list.SetItemText(1, 1, kFailed);
      }
      ui.Type(IDC_PASSWORD, c.password);
      ui.Type(IDC_CONFIRM, c.confirm);
      std::vector<Box> boxes = ui.Click(command.button);
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].caption, kNotice);
      EXPECT_EQ(boxes[0].text, c.message ? c.message : command.emptyList);
      EXPECT_EQ(ui.dialog().m_nRowCount, c.rows ? 2 : 0);
      for (const Row& row : ui.Rows()) {
        EXPECT_EQ(row.status, kReady);
        EXPECT_EQ(row.image, kDot);
      }
      EXPECT_FALSE(ui.dialog().IsRunning());
      EXPECT_TRUE(IsWindowEnabled(ui.item(command.button)));
      wchar_t kept[16];
      GetDlgItemTextW(ui.window(), IDC_CONFIRM, kept, 16);
      EXPECT_EQ(std::wstring(kept), c.confirm) << "the entries keep their text";
    }
  }
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// A password of double-byte characters typed alike twice passes the checks
// and keys the run with its code page 936 bytes.
TEST(Commands, DoubleBytePasswordStartsTheRun) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "content");
  WindowDriver ui;
  ui.Drop({dir / "a.txt"});
  ui.TypePasswords(L"密码");
  EXPECT_TRUE(ui.Click(IDC_ENCRYPT).empty());
  ui.WaitForRun();
  EXPECT_EQ(ui.dialog().m_strPassword, std::string("\xC3\xDC\xC2\xEB"));
  EXPECT_EQ(ui.Rows()[0].status, kSuccess);
}

HANDLE CannotStart(WorkerEntry, void*) { return nullptr; }

TEST(Commands, WorkerThatCannotStartLeavesTheWindowReady) {
  ScratchDir dir;
  WriteBytes(dir / "a.txt", "a");
  for (const Command& command : kCommands) {
    WindowDriver ui;
    ui.dialog().SetWorkerStarter(&CannotStart);
    ui.Drop({dir / "a.txt"});
    ui.TypePasswords(L"pw");
    std::vector<Box> boxes = ui.Click(command.button);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, kNotice);
    EXPECT_EQ(boxes[0].text, command.cannotStart);
    EXPECT_TRUE(IsWindowEnabled(ui.item(IDC_ENCRYPT)));
    EXPECT_TRUE(IsWindowEnabled(ui.item(IDC_DECRYPT)));
    EXPECT_EQ(ui.Rows(), (std::vector<Row>{{dir / "a.txt", kReady, kDot}}));
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"a.txt"});
}

}  // namespace
