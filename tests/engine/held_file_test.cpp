// A file held open by another process, without sharing or for writing: the
// row fails and nothing changes. Windows only, where such a hold is real.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

// Runs in the child process: holds P6K_HOLD open until P6K_RELEASE is
// signalled, for writing with every sharing when P6K_HOLD_WRITING is set,
// else for reading without sharing.
TEST(DISABLED_HoldHelper, HoldsTheFile) {
  const wchar_t* path = _wgetenv(L"P6K_HOLD");
  ASSERT_NE(path, nullptr);
  bool writing = std::getenv("P6K_HOLD_WRITING") != nullptr;
  HANDLE file = CreateFileW(path, writing ? GENERIC_WRITE : GENERIC_READ,
                            writing ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, std::getenv("P6K_HELD"));
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, std::getenv("P6K_RELEASE"));
  SetEvent(held);
  WaitForSingleObject(release, 60000);
  CloseHandle(file);
}

class OtherProcessHold {
 public:
  OtherProcessHold(const std::string& path, bool writing) {
    std::string tag = std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA("P6K_HOLD_WRITING", writing ? "1" : nullptr);
    m_held = CreateEventA(nullptr, TRUE, FALSE, ("p6k-held-" + tag).c_str());
    m_release = CreateEventA(nullptr, TRUE, FALSE, ("p6k-release-" + tag).c_str());
    SetEnvironmentVariableW(L"P6K_HOLD", WideText(path).c_str());
    SetEnvironmentVariableA("P6K_HELD", ("p6k-held-" + tag).c_str());
    SetEnvironmentVariableA("P6K_RELEASE", ("p6k-release-" + tag).c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=DISABLED_HoldHelper.*";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    m_started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &si, &m_process) != FALSE;
    if (m_started) m_started = WaitForSingleObject(m_held, 30000) == WAIT_OBJECT_0;
  }
  ~OtherProcessHold() {
    SetEvent(m_release);
    if (m_process.hProcess) {
      WaitForSingleObject(m_process.hProcess, 30000);
      CloseHandle(m_process.hProcess);
      CloseHandle(m_process.hThread);
    }
    CloseHandle(m_held);
    CloseHandle(m_release);
  }
  bool held() const { return m_started; }

 private:
  HANDLE m_held, m_release;
  PROCESS_INFORMATION m_process = {};
  bool m_started = false;
};

TEST(HeldByAnotherProcess, BothRunsFailTheRowAndChangeNothing) {
  const std::string container = ContainerFromLayout("kept", "txt", DeriveKey("pw"));
  for (bool writing : {false, true}) {
    SCOPED_TRACE(writing ? "held for writing, shared" : "held without sharing");
    ScratchDir dir;
    WriteBytes(dir / "plain.txt", "plain");
    WriteBytes(dir / "box.p6k", container);
    {
      OtherProcessHold hold(dir / "plain.txt", writing);
      ASSERT_TRUE(hold.held());
      RecordingListener view = RunEncrypt({dir / "plain.txt"}, "pw");
      EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::OpenFailed});
      EXPECT_EQ(view.rows[0].status, RowStatus::Failed);
    }
    {
      OtherProcessHold hold(dir / "box.p6k", writing);
      ASSERT_TRUE(hold.held());
      RecordingListener view = RunDecrypt({dir / "box.p6k"}, "pw");
      EXPECT_EQ(view.outcomes, std::vector<Outcome>{Outcome::OpenFailed});
    }
    EXPECT_EQ(ReadBytes(dir / "plain.txt"), "plain");
    EXPECT_EQ(ReadBytes(dir / "box.p6k"), container);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"box.p6k", "plain.txt"}));
  }
}

}  // namespace
#endif
