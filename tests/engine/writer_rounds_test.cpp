// Another program holds a file open, or opens it, while the run encrypts it,
// round after round with the moments varied: whatever the other program
// managed to write must still be found, in the file or in its container.
// Windows only, where the other program's hold is real.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#include "crypt/container_format.h"
#include "tests/support/run_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

// How the other program treats the file in a round.
enum class Writer : int {
  HoldsSharingAll,   // opened for writing before the run, every sharing; appends
  HoldsSharingRead,  // opened for writing before the run, sharing reading; appends
  HoldsUnshared,     // opened for reading before the run, no sharing
  Reads,             // opened for reading before the run, every sharing
  MapsForWriting,    // a writable view, its file handle closed; writes in place
  OpensToAppend,     // opens, appends and closes again and again from the start
  Count
};

const char* NameOf(Writer writer) {
  const char* names[] = {"holds sharing all", "holds sharing read", "holds unshared",
                         "reads sharing all", "maps for writing", "opens to append"};
  return names[static_cast<int>(writer)];
}

// The round, as parent and helper share it in a named mapping.
struct Round {
  int writer;
  int pauses[8];   // microseconds before each write
  int written;     // bit i: record i was written completely
  char path[MAX_PATH];
};

constexpr int kRecords = 8;
// Records written through a view go here, past the head and within every file.
constexpr int kViewOffset = 4096;

std::string Record(int i) { return "<record " + std::to_string(i) + ">"; }

void Pause(int micros) {
  if (micros >= 1000) Sleep(static_cast<DWORD>(micros / 1000));
  else for (volatile int spin = 0; spin < micros * 50; spin = spin + 1) {}
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD put = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
         put == bytes.size();
}

bool AppendRecord(HANDLE file, int i) {
  LARGE_INTEGER end = {};
  return SetFilePointerEx(file, end, nullptr, FILE_END) && WriteAll(file, Record(i));
}

// Holds the file as the round says, signals "ready", then writes its records.
void PlayRound(Round& round, HANDLE ready) {
  Writer writer = static_cast<Writer>(round.writer);
  round.written = 0;
  HANDLE file = INVALID_HANDLE_VALUE;
  char* view = nullptr;
  const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  switch (writer) {
    case Writer::HoldsSharingAll:
    case Writer::HoldsSharingRead:
      file = CreateFileW(WideText(round.path).c_str(), GENERIC_WRITE,
                         writer == Writer::HoldsSharingAll ? all : FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
      break;
    case Writer::HoldsUnshared:
    case Writer::Reads:
      file = CreateFileW(WideText(round.path).c_str(), GENERIC_READ, writer == Writer::Reads ? all : 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
      break;
    case Writer::MapsForWriting: {
      HANDLE opened = CreateFileW(WideText(round.path).c_str(), GENERIC_READ | GENERIC_WRITE, all, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
      HANDLE mapping = CreateFileMappingA(opened, nullptr, PAGE_READWRITE, 0, 0, nullptr);
      if (mapping) view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
      if (mapping) CloseHandle(mapping);
      CloseHandle(opened);
      break;
    }
    default:
      break;
  }
  SetEvent(ready);
  for (int i = 0; i < kRecords; ++i) {
    Pause(round.pauses[i]);
    bool wrote = false;
    if (writer == Writer::HoldsSharingAll || writer == Writer::HoldsSharingRead) {
      wrote = file != INVALID_HANDLE_VALUE && AppendRecord(file, i);
    } else if (writer == Writer::MapsForWriting) {
      std::string record = Record(i);
      if (view) std::copy(record.begin(), record.end(), view + kViewOffset + 16 * i);
      wrote = view != nullptr;
    } else if (writer == Writer::OpensToAppend) {
      HANDLE again = CreateFileW(WideText(round.path).c_str(), FILE_APPEND_DATA, all, nullptr, OPEN_ALWAYS, 0, nullptr);
      wrote = again != INVALID_HANDLE_VALUE && AppendRecord(again, i);
      if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
    }
    if (wrote) round.written |= 1 << i;
  }
  if (view) UnmapViewOfFile(view);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// The helper process: plays every round the parent starts until told to end.
TEST(DISABLED_WriterHelper, PlaysRounds) {
  const std::string tag = std::getenv("P6K_ROUNDS_TAG") ? std::getenv("P6K_ROUNDS_TAG") : "";
  HANDLE block = OpenFileMappingA(FILE_MAP_WRITE, FALSE, ("p6k-round-" + tag).c_str());
  ASSERT_NE(block, nullptr);
  Round* round = static_cast<Round*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, sizeof(Round)));
  HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, ("p6k-go-" + tag).c_str());
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, ("p6k-ready-" + tag).c_str());
  HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, ("p6k-done-" + tag).c_str());
  while (WaitForSingleObject(go, 60000) == WAIT_OBJECT_0 && round->writer >= 0) {
    PlayRound(*round, ready);
    SetEvent(done);
  }
}

// The parent's side of the helper: starts it and hands it one round at a time.
class OtherProgram {
 public:
  OtherProgram() {
    std::string tag = std::to_string(GetCurrentProcessId());
    m_block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Round),
                                 ("p6k-round-" + tag).c_str());
    m_round = static_cast<Round*>(MapViewOfFile(m_block, FILE_MAP_WRITE, 0, 0, sizeof(Round)));
    m_go = CreateEventA(nullptr, FALSE, FALSE, ("p6k-go-" + tag).c_str());
    m_ready = CreateEventA(nullptr, FALSE, FALSE, ("p6k-ready-" + tag).c_str());
    m_done = CreateEventA(nullptr, FALSE, FALSE, ("p6k-done-" + tag).c_str());
    SetEnvironmentVariableA("P6K_ROUNDS_TAG", tag.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=DISABLED_WriterHelper.*";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    m_started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &si, &m_process) != FALSE;
  }
  ~OtherProgram() {
    m_round->writer = -1;
    SetEvent(m_go);
    if (m_started) {
      WaitForSingleObject(m_process.hProcess, 30000);
      CloseHandle(m_process.hProcess);
      CloseHandle(m_process.hThread);
    }
    UnmapViewOfFile(m_round);
    for (HANDLE h : {m_block, m_go, m_ready, m_done}) CloseHandle(h);
  }
  bool started() const { return m_started; }
  Round& round() { return *m_round; }
  // Starts the round and waits until the helper holds the file as it says.
  bool Begin() {
    SetEvent(m_go);
    return WaitForSingleObject(m_ready, 30000) == WAIT_OBJECT_0;
  }
  bool End() { return WaitForSingleObject(m_done, 30000) == WAIT_OBJECT_0; }

 private:
  HANDLE m_block, m_go, m_ready, m_done;
  Round* m_round;
  PROCESS_INFORMATION m_process = {};
  bool m_started = false;
};

// The data a container holds, unmasked; nothing when there is no container.
std::string DataOf(const std::optional<std::string>& container, std::uint8_t key) {
  if (!container || container->size() < container::kTrailerSize) return std::string();
  std::string data = container->substr(0, container->size() - container::kTrailerSize);
  std::uint8_t mask = container::DataMask(key, data.size());
  for (char& c : data) c = static_cast<char>(c ^ mask);
  return data;
}

int RoundsFromEnvironment(int fallback) {
  const char* rounds = std::getenv("P6K_WRITER_ROUNDS");
  return rounds ? std::atoi(rounds) : fallback;
}

TEST(WriterRounds, WhatAnotherProgramWroteIsNeverLost) {
  OtherProgram other;
  ASSERT_TRUE(other.started());
  const int rounds = RoundsFromEnvironment(96);
  const std::uint8_t key = DeriveKey("pw");
  std::mt19937 random(static_cast<unsigned>(GetTickCount()));
  std::map<std::string, std::map<Outcome, int>> tally;
  ScratchDir dir;
  for (int n = 0; n < rounds; ++n) {
    Round& round = other.round();
    Writer writer = static_cast<Writer>(n % static_cast<int>(Writer::Count));
    round.writer = static_cast<int>(writer);
    // Pauses from none to tens of milliseconds, so the writes fall before,
    // during and after the run's open, read, removal and close.
    for (int& pause : round.pauses) pause = static_cast<int>(random() % 4 == 0 ? 0 : random() % 30000);
    const std::string name = "f" + std::to_string(n);
    const std::string head = "<head " + std::to_string(n) + ">";
    WriteBytes(dir / (name + ".txt"), head + PatternBytes(2 * kViewOffset + random() % (3 << 20), n));
    std::snprintf(round.path, sizeof round.path, "%s", (dir / (name + ".txt")).c_str());
    SCOPED_TRACE(std::string(NameOf(writer)) + ", round " + std::to_string(n));
    ASSERT_TRUE(other.Begin());
    Pause(static_cast<int>(random() % 20000));
    RecordingListener view = RunEncrypt({dir / (name + ".txt")}, "pw");
    ASSERT_TRUE(other.End());
    ASSERT_EQ(view.outcomes.size(), 1u);
    ++tally[NameOf(writer)][view.outcomes[0]];

    std::string file = ReadBytes(dir / (name + ".txt")).value_or("");
    std::string data = DataOf(ReadBytes(dir / (name + ".p6k")), key);
    EXPECT_TRUE(file.find(head) != std::string::npos || data.find(head) != std::string::npos);
    for (int i = 0; i < kRecords; ++i) {
      if (!(round.written & (1 << i))) continue;
      EXPECT_TRUE(file.find(Record(i)) != std::string::npos ||
                  data.find(Record(i)) != std::string::npos)
          << Record(i) << ", outcome " << static_cast<int>(view.outcomes[0]);
    }
    EXPECT_TRUE(NoTemporaryFiles(dir.Names()));
  }
  for (auto& [writer, outcomes] : tally) {
    std::string line = writer + ":";
    for (auto& [outcome, count] : outcomes)
      line += " outcome " + std::to_string(static_cast<int>(outcome)) + " x" + std::to_string(count);
    std::printf("%s\n", line.c_str());
  }
}

}  // namespace
#endif
