// The tools' messages: read once and understood, naming the file and the system's reason.
#include "tests/tools/tools_test_support.h"

namespace qh {
namespace {

using namespace tools_test;

#ifndef _WIN32
// Messages a person reads once and understands: counts in the singular for one, both
// names of a hard-linked pair, a name with a line
// break quoted, a hexadecimal number called by its name; and a DOS end-of-file byte is
// no error at all.
TEST(Tools, MessagesAPersonReadsOnceAndUnderstands) {
  TempFolder folder;
  WriteFile(folder.File("one.psp"), PushpinFile({{36.1 * kDegree, -86.7 * kDegree, "GCEBB"}}));
  WriteFile(folder.File("linked.psp"), ThreePins());
  WriteFile(folder.File("linked.asc"), "earlier");
  std::filesystem::create_hard_link(folder.File("linked.asc"), folder.File("linked.ov2"));
  WriteFile(folder.File("hex.asc"), "0x10,2,\"x\"\n");
  WriteFile(folder.File("dos.asc"), "1,2,\"a\"\r\n\x1A");
  const std::string broken = folder.File("a\nb.psp");
  struct Case {
    const char* name;
    std::string command;
    int status;
    std::string said;  // on standard output or error
  };
  const Case cases[] = {
      {"one pin", kPsp2Ov2 + " " + Quote(folder.File("one.psp")), 0, "one.psp: 1 pin -> "},
      {"an .asc hard-linked to the .ov2", kPsp2Ov2 + " " + Quote(folder.File("linked.psp")), 2,
       "its .asc file " + folder.File("linked.asc") + " and its overlay " + folder.File("linked.ov2") +
           " are the same file"},
      {"a name with a line break", kPsp2Ov2 + " -q " + Quote(broken), 2,
       "psp2ov2: \"" + folder.File("a\\nb.psp") + "\": No such file or directory\n"},
      {"an overlay named with a line break",
       kOv2 + " make " + Quote(folder.File("one.psp")) + " -o " + Quote(folder.File("a\nb.ov2")), 0,
       "\"" + folder.File("a\\nb.ov2") + "\": 1 point from 1 input\n"},
      {"a hexadecimal number", kMakeOv2 + " " + Quote(folder.File("hex.asc")), 1,
       "hex.asc:1: the longitude is not a decimal number"},
      {"a DOS end-of-file byte", kMakeOv2 + " " + Quote(folder.File("dos.asc")), 0, ""},
  };
  for (const Case& c : cases) {
    const RunResult r = RunTool(folder, c.command);
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
    EXPECT_NE((r.out + r.err).find(c.said), std::string::npos) << c.name << ": " << r.out << r.err;
    if (c.said.empty()) {
      EXPECT_EQ(r.err, "") << c.name;
    }
  }
  EXPECT_EQ(ReadFile(folder.File("linked.asc")), "earlier");
}

// The tools speak for themselves: the file, what happened in their own words and the
// system's reason; a summary that cannot be written is a failure too.
TEST(Tools, MessagesNameTheFileAndTheSystemsReasonInTheToolsWords) {
  TempFolder folder;
  const std::string psp = folder.File("trip.psp");
  const std::string pins = ThreePins();
  WriteFile(psp, pins.substr(0, pins.size() - 10));
  WriteFile(folder.File("whole.psp"), pins);
  // Text taken for a pushpin file: its header's "count" asks for far more than it holds.
  const std::string text = folder.File("notes.psp");
  WriteFile(text, "Shopping list, written in a text editor and saved under the wrong name.\n");
  // Pins after a count damaged to 0: told, and no empty outputs over the earlier ones.
  const std::string uncounted = folder.File("uncounted.psp");
  WriteFile(uncounted, WithCount(pins, 0));
  WriteFile(folder.File("uncounted.ov2"), "earlier");
  std::filesystem::create_directory(folder.File("locked"));
  std::filesystem::permissions(folder.File("locked"), std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_exec);
  struct Case {
    const char* name;
    std::string command;
    int status;
    std::string message;
    bool deniedToRoot;  // root may write anywhere: no "Permission denied" to see
  };
  const Case cases[] = {
      {"ends early", kPsp2Ov2 + " -q " + Quote(psp), 2, "psp2ov2: " + psp + ": file ends early (pin 3 of 3)", false},
      {"not a pushpin file", kPsp2Ov2 + " -q " + Quote(text), 2,
       "psp2ov2: " + text + ": its header counts 1998597236 pins, more than its 72 bytes can "
       "hold: not a pushpin file, or one cut short", false},
      {"not a pushpin file to ov2", kOv2 + " make " + Quote(text) + " -o " + Quote(folder.File("n.ov2")), 2,
       "ov2: cannot read " + text + ": its header counts 1998597236 pins", false},
      {"a count of 0 before pins", kPsp2Ov2 + " -q " + Quote(uncounted), 1,
       "psp2ov2: " + uncounted + ": its header counts 0 pins, but the file holds " +
           std::to_string(pins.size() - 32) + " more bytes of pins; they are not read\n"
           "psp2ov2: " + uncounted + ": no pin gave a point; nothing is written\n", false},
      {"missing", kPsp2Ov2 + " -q " + Quote(folder.File("absent.psp")), 2,
       "psp2ov2: " + folder.File("absent.psp") + ": No such file or directory", false},
      {"summary to a full disk", kPsp2Ov2 + " " + Quote(folder.File("whole.psp")) + " >/dev/full", 2,
       "psp2ov2: cannot write to standard output: No space left on device", false},
      {"version to a full disk", kMakeOv2 + " --version >/dev/full", 2,
       "makeov2: cannot write to standard output: No space left on device", false},
      {"a folder without write permission",
       kPsp2Ov2 + " -q -o " + Quote(folder.File("locked/trip.ov2")) + " " + Quote(folder.File("whole.psp")), 2,
       "psp2ov2: cannot write " + folder.File("locked/trip.asc") + ": Permission denied", true},
  };
  for (const Case& c : cases) {
    if (c.deniedToRoot && geteuid() == 0) {
      std::printf("[ SKIPPED  ] %s: running as root, which no permission denies\n", c.name);
      continue;
    }
    // The shell's own redirection comes after RunTool's, so the command is grouped.
    const RunResult r = RunTool(folder, "{ " + c.command + "; }");
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(r.err.find("unit "), std::string::npos) << c.name << ": " << r.err;
  }
  EXPECT_EQ(ReadFile(folder.File("uncounted.ov2")), "earlier");
  EXPECT_FALSE(std::filesystem::exists(folder.File("uncounted.asc")));
}
#endif

}  // namespace
}  // namespace qh
