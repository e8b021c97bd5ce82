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

}  // namespace
