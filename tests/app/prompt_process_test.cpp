// sorvan.exe started with a container, as the shell opens one: the prompt
// is found, typed into, clicked, and its message boxes read and dismissed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "res/resource.h"
#include "tests/support/name_table.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/screenshot.h"
#include "tests/app/sorvan_process.h"

namespace {

const std::wstring kPromptTitle = L"Tavrel文件加密";
const std::wstring kMainTitle = L"Tavrel文件加密 7.2 ";

struct Prompt {
  SorvanProcess process;
  HWND window;
  explicit Prompt(const std::string& file) : Prompt(WideText(file)) {}
  explicit Prompt(const std::wstring& file)
      : process(SorvanExecutable(), L"\"" + file + L"\""), window(process.WaitForWindow(kPromptTitle)) {}

  void Type(const std::wstring& password) {
    SetDlgItemTextW(window, IDC_PROMPT_PASSWORD, password.c_str());
  }
  // Presses "解密" and returns the box it raised: caption and text, then OK.
  std::pair<std::wstring, std::wstring> Decrypt(bool* icon = nullptr) {
    ClickButton(window, IDC_PROMPT_DECRYPT);
    HWND box = process.WaitForBox(window);
    if (!box) return {};
    std::pair<std::wstring, std::wstring> read = {WindowText(box), BoxText(box)};
    if (icon) *icon = BoxHasIcon(box);
    DismissBox(box);
    return read;
  }
  // "解密" with the right password fails with text, the prompt stays, and
  // "取消" then ends the program.
  void FailsThenCancel(const std::wstring& text) {
    Type(L"pw");
    EXPECT_EQ(Decrypt(), std::make_pair(std::wstring(L"error"), text));
    EXPECT_TRUE(IsWindow(window));
    ClickButton(window, IDCANCEL);
    EXPECT_EQ(process.WaitForExit(), 0);
  }
};

const std::string kContent = "the secret content";

class PromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    container = dir / "x.p6k";
    WriteBytes(container, ContainerFromLayout(kContent, "txt", DeriveKey("pw")));
  }
  ScratchDir dir;
  std::string container;
};

TEST_F(PromptTest, WrongThenRightPassword) {
  Prompt prompt(container);
  ASSERT_NE(prompt.window, nullptr);
  // Let the other process finish painting before the screen is read.
  RedrawWindow(prompt.window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(300);
  SaveScreenshot(prompt.window, SORVAN_SCREENSHOT_DIR, "prompt");

  prompt.Type(L"wrong");
  bool icon = true;
  EXPECT_EQ(prompt.Decrypt(&icon), std::make_pair(std::wstring(L"error"), std::wstring(L"password is incorrect!")));
  EXPECT_FALSE(icon);
  EXPECT_TRUE(IsWindow(prompt.window));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"x.p6k"});

  prompt.Type(L"pw");
  EXPECT_EQ(prompt.Decrypt(), std::make_pair(std::wstring(L"ok"), std::wstring(L"文件解密成功")));
  EXPECT_EQ(prompt.process.WaitForExit(), 0);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"x.txt"});
  EXPECT_EQ(ReadBytes(dir / "x.txt"), kContent);
}

TEST_F(PromptTest, QuotedPathWithSpacesAndThePrintVerb) {
  // As the registered open and print commands pass it: one quoted argument.
  const std::string folder = dir / "my files";
  ASSERT_TRUE(MakeFolder(folder));
  const std::string spaced = folder + "\\a b.p6k";
  WriteBytes(spaced, ContainerFromLayout(kContent, "doc", DeriveKey("pw")));
  SorvanProcess process(SorvanExecutable(), "/p \"" + spaced + "\"");
  HWND window = process.WaitForWindow(kPromptTitle);
  ASSERT_NE(window, nullptr);
  SetDlgItemTextW(window, IDC_PROMPT_PASSWORD, L"pw");
  ClickButton(window, IDC_PROMPT_DECRYPT);
  HWND box = process.WaitForBox(window);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(BoxText(box), L"文件解密成功");
  DismissBox(box);
  EXPECT_EQ(process.WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(folder + "\\a b.doc"), kContent);
}

// A container named in the forms scripts pass, "\\?\C:\..." and on a
// share "\\?\UNC\server\share\...", opens as the plain form does.
TEST_F(PromptTest, ContainersInEveryFormOfPathOpen) {
  LocalShare share(dir.path());
  ASSERT_FALSE(share.path().empty());
  for (const std::string& folder : {"\\\\?\\" + dir.path(), share.path(),
                                    "\\\\?\\UNC\\" + share.path().substr(2)}) {
    SCOPED_TRACE(folder);
    WriteBytes(container, ContainerFromLayout(kContent, "txt", DeriveKey("pw")));
    Prompt prompt(folder + "x.p6k");
    ASSERT_NE(prompt.window, nullptr);
    prompt.Type(L"pw");
    EXPECT_EQ(prompt.Decrypt(), std::make_pair(std::wstring(L"ok"), std::wstring(L"文件解密成功")));
    EXPECT_EQ(prompt.process.WaitForExit(), 0);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"x.txt"});
    EXPECT_EQ(ReadBytes(dir / "x.txt"), kContent);
    DeleteFileW(WideText(dir / "x.txt").c_str());
  }
}

TEST_F(PromptTest, CancelEndsTheProgramAndTouchesNothing) {
  Prompt prompt(container);
  ASSERT_NE(prompt.window, nullptr);
  prompt.Type(L"pw");
  ClickButton(prompt.window, IDCANCEL);
  EXPECT_EQ(prompt.process.WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(container), ContainerFromLayout(kContent, "txt", DeriveKey("pw")));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"x.p6k"});
}

TEST_F(PromptTest, EmptyPasswordHasTheProgramsBox) {
  Prompt prompt(container);
  ASSERT_NE(prompt.window, nullptr);
  bool icon = false;
  EXPECT_EQ(prompt.Decrypt(&icon), std::make_pair(std::wstring(L"sorvan"), std::wstring(L"密码为空，请输入密码")));
  EXPECT_TRUE(icon);  // the exclamation the program's box adds
  ClickButton(prompt.window, IDCANCEL);
  EXPECT_EQ(prompt.process.WaitForExit(), 0);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"x.p6k"});
}

// A key as the prompt's own message loop takes it.
void PressEnter(HWND control) {
  PostMessageW(control, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(control, WM_KEYUP, VK_RETURN, 0xC0000001);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// The focus starts on "取消", which is then the default button: Enter
// pressed at once ends the program, touching nothing.
TEST_F(PromptTest, EnterAtOnceEndsTheProgram) {
  Prompt prompt(container);
  ASSERT_NE(prompt.window, nullptr);
  HWND cancel = GetDlgItem(prompt.window, IDCANCEL);
  EXPECT_EQ(FocusOf(prompt.window), cancel);
  PressEnter(cancel);
  EXPECT_EQ(prompt.process.WaitForExit(), 0);
  EXPECT_EQ(ReadBytes(container), ContainerFromLayout(kContent, "txt", DeriveKey("pw")));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"x.p6k"});
}

// The password typed, the focus moved to its field as Tab moves it, and
// Enter there: the prompt closes without decrypting and the main window
// opens as if no file had been named.
TEST_F(PromptTest, EnterInThePasswordFieldOpensTheMainWindow) {
  Prompt prompt(container);
  ASSERT_NE(prompt.window, nullptr);
  prompt.Type(L"pw");
  HWND field = GetDlgItem(prompt.window, IDC_PROMPT_PASSWORD);
  SendMessageW(prompt.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
  EXPECT_EQ(FocusOf(prompt.window), field);
  PressEnter(field);
  HWND main = prompt.process.WaitForWindow(kMainTitle);
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindow(prompt.window));
  EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_FILE_LIST), LVM_GETITEMCOUNT, 0, 0), 0);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(prompt.process.WaitForExit(), 0);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"x.p6k"});
}

TEST_F(PromptTest, FailuresKeepThePromptOpen) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::wstring text;
  } cases[] = {
      {"restored name taken", [&] { WriteBytes(dir / "x.txt", "first copy"); },
       L"File already exists!"},
      {"refused extension", [&] { WriteBytes(container, ContainerFromLayout("c", "a:b", DeriveKey("pw"))); },
       L"Failed to open file,Please try again later!"},
      {"too short to be a container", [&] { WriteBytes(container, "short"); },
       L"password is incorrect!"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(container, ContainerFromLayout(kContent, "txt", DeriveKey("pw")));
    c.arrange();
    std::string before = *ReadBytes(container);
    std::vector<std::string> names = dir.Names();
    Prompt prompt(container);
    ASSERT_NE(prompt.window, nullptr);
    prompt.FailsThenCancel(c.text);
    EXPECT_EQ(ReadBytes(container), before);
    EXPECT_EQ(dir.Names(), names);
    DeleteFileW(WideText(dir / "x.txt").c_str());
  }
}

// A link, a name code page 936 cannot hold (x¹.p6k, with x1.p6k beside it)
// and one Windows cannot hold (x1.p6k., which the system would take for
// x1.p6k) open nothing: the prompt cannot open the file and every file stays.
TEST_F(PromptTest, LinksAndLookAlikeNamesOpenNothing) {
  ScratchDir outside;
  const std::string bytes = ContainerFromLayout(kContent, "txt", DeriveKey("pw"));
  WriteBytes(outside / "box.p6k", bytes);
  ASSERT_TRUE(MakeLink(outside / "box.p6k", dir / "link.p6k"));
  WriteBytes(dir / "x1.p6k", bytes);
  ASSERT_TRUE(MakeUnixNamedFile(dir.path(), "x1.p6k.", bytes));
  for (const std::wstring& file : {WideText(dir / "link.p6k"), WideText(dir.path()) + L"x\u00B9.p6k",
                                   WideText(dir / "x1.p6k.")}) {
    Prompt prompt(file);
    ASSERT_NE(prompt.window, nullptr);
    prompt.FailsThenCancel(L"Failed to open file,Please try again later!");
  }
  EXPECT_EQ(outside.Names(), std::vector<std::string>{"box.p6k"});
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"link.p6k", "x.p6k", "x1.p6k", "x1.p6k."}));
  EXPECT_EQ(ReadBytes(dir / "x1.p6k"), bytes);
}

// A container of any name the system holds opens as a double-click opens
// it, and its file comes back under its own name, byte for byte.
TEST_F(PromptTest, ContainersOfEveryNameOpen) {
  for (const NameCase& c : NameTable()) {
    if (c.container.empty()) continue;  // refused when masking: no container
    SCOPED_TRACE(c.name);
    ScratchDir names;
    WriteBytes(names / c.container, ContainerFromLayout(ContentOf(c), c.field, DeriveKey("pw")));
    Prompt prompt(names / c.container);
    ASSERT_NE(prompt.window, nullptr);
    prompt.Type(L"pw");
    EXPECT_EQ(prompt.Decrypt(), std::make_pair(std::wstring(L"ok"), std::wstring(L"文件解密成功")));
    EXPECT_EQ(prompt.process.WaitForExit(), 0);
    EXPECT_EQ(names.Names(), std::vector<std::string>{c.name});
    EXPECT_EQ(ReadBytes(names / c.name), ContentOf(c));
  }
}

// A container whose restored name Windows cannot hold ("dots." from a base
// name ending in "." and no extension) is refused, and stays.
TEST_F(PromptTest, ARestoredNameWindowsCannotHoldIsRefused) {
  const std::string bytes = ContainerFromLayout(kContent, "", DeriveKey("pw"));
  WriteBytes(dir / "dots..p6k", bytes);
  Prompt prompt(dir / "dots..p6k");
  ASSERT_NE(prompt.window, nullptr);
  prompt.FailsThenCancel(L"Failed to open file,Please try again later!");
  EXPECT_EQ(ReadBytes(dir / "dots..p6k"), bytes);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"dots..p6k", "x.p6k"}));
}

// A container at a path of any length opens from the desktop, and its file
// is restored beside it.
TEST_F(PromptTest, ContainersAtPathsOfAnyLength) {
  for (std::size_t length : {250, 259, 260, 261, 300, 600}) {
    SCOPED_TRACE(length);
    ScratchDir deep;
    const std::string stem = PathOfWindowsLength(deep, length - 4);
    WriteBytes(stem + ".p6k", ContainerFromLayout(kContent, "txt", DeriveKey("pw")));
    Prompt prompt(stem + ".p6k");
    ASSERT_NE(prompt.window, nullptr);
    prompt.Type(L"pw");
    EXPECT_EQ(prompt.Decrypt(), std::make_pair(std::wstring(L"ok"), std::wstring(L"文件解密成功")));
    EXPECT_EQ(prompt.process.WaitForExit(), 0);
    EXPECT_EQ(ReadBytes(stem + ".txt"), kContent);
    EXPECT_FALSE(PathExists(stem + ".p6k"));
  }
}

TEST_F(PromptTest, ContainerHeldOpenByAnotherProcess) {
  // This test process holds it without sharing, as another program would.
  ExclusiveLock lock(container);
  ASSERT_TRUE(lock.held());
  Prompt prompt(container);
  ASSERT_NE(prompt.window, nullptr);
  prompt.FailsThenCancel(L"Failed to open file,Please try again later!");
}

}  // namespace
