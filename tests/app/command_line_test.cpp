#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

TEST(CommandLine, FirstArgumentThatIsNotASwitch) {
  struct Case { std::vector<std::string> arguments; std::string file; } cases[] = {
      {{}, ""},
      {{"C:\\a.p6k"}, "C:\\a.p6k"},
      {{"C:\\a.p6k", "C:\\b.p6k"}, "C:\\a.p6k"},              // the second is ignored
      {{"/p", "C:\\a.p6k"}, "C:\\a.p6k"},                     // print verb
      {{"/pt", "C:\\a.p6k", "printer", "driver", "port"}, "C:\\a.p6k"},
      {{"-x.p6k"}, ""},                                       // a switch is never the file
      {{"/C:\\a.p6k", "-dde"}, ""},
      {{"/Embedding", "C:\\my files\\a b.p6k"}, "C:\\my files\\a b.p6k"},
      {{"C:\\my", "files\\a.p6k"}, "C:\\my"},                 // unquoted spaces split it
      {{"", "x"}, ""},                                        // an empty argument is a name
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineFile(c.arguments), c.file);
}

TEST(CommandLine, AddTakesEveryPathThatIsNotASwitch) {
  struct Case { std::vector<std::string> arguments; bool asked; std::vector<std::string> paths; } cases[] = {
      {{"/add", "C:\\a.txt"}, true, {"C:\\a.txt"}},
      {{"/ADD", "C:\\a.txt", "D:\\my folder"}, true, {"C:\\a.txt", "D:\\my folder"}},
      {{"-add", "/x", "C:\\a.txt", ""}, true, {"C:\\a.txt"}},  // other switches and empties go
      {{"/add"}, true, {}},
      {{"C:\\a.p6k", "/added"}, false, {}},  // not the switch: a container for the prompt
      {{}, false, {}},
  };
  for (const auto& c : cases) {
    AddRequest request = CommandLineAdd(c.arguments);
    EXPECT_EQ(request.asked, c.asked);
    EXPECT_EQ(request.paths, c.paths);
  }
}

}  // namespace
