// What no input, interrupt or second run may do to the tools' outputs: leave a part of
// one, or an input overwritten.
#include "tests/tools/tools_test_support.h"

#include "files/output_set.h"

namespace qh {
namespace {

using namespace tools_test;

#ifndef _WIN32
// Inputs no tool may take down: each ends the run with 2 and the file's name and
// what is wrong with it, and leaves nothing behind (no output, no temporary file).
TEST(Tools, HostileInputsEndWithTwoAndLeaveNothingBehind) {
  const std::string three = ThreePins();
  struct Case {
    const char* name;
    std::string file;        // the input's name in the folder
    std::string content;     // its bytes; "folder" makes it a folder, "fifo" a FIFO
    std::string command;     // the tool and its options; the input's path follows
    std::string message;     // after the input's path
  };
  const Case cases[] = {
      {"a count of 2,147,483,647 in 32 bytes", "huge.psp", WithCount(std::string(32, '\0'), 0x7FFFFFFF),
       kPsp2Ov2 + " -q", ": its header counts 2147483647 pins, more than its 32 bytes can hold"},
      {"one bit more in the count", "flip.psp", WithCount(three, 3 | 1u << 28), kPsp2Ov2 + " -q",
       ": its header counts 268435459 pins, more than its 238 bytes can hold"},
      {"one bit more in the count, --asc-only", "flip.psp", WithCount(three, 3 | 1u << 29),
       kPsp2Ov2 + " -q --asc-only", ": its header counts 536870915 pins"},
      {"the count's sign bit", "sign.psp", WithCount(three, 3 | 1u << 31), kPsp2Ov2 + " -q",
       ": the pin count -2147483645 is negative"},
      {"cut in the header", "cut.psp", three.substr(0, 20), kPsp2Ov2 + " -q",
       ": file ends early (in its header)"},
      {"a folder named x.psp", "x.psp", "folder", kPsp2Ov2 + " -q", ": Is a directory"},
      {"a folder named x.asc", "x.asc", "folder", kMakeOv2, ": Is a directory"},
      // Bytes without a line end for as long as they are read.
      {"endless input without a line end", "endless.asc", "fifo",
       "timeout 60 sh -c 'cat /dev/zero >\"$FIFO\"' & exec timeout 60 " + kMakeOv2,
       ": line 1 is longer than 1 MiB"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string input = folder.File(c.file);
    if (c.content == "folder") {
      std::filesystem::create_directory(input);
    } else if (c.content == "fifo") {
      ASSERT_EQ(mkfifo(input.c_str(), 0600), 0) << std::strerror(errno);
    } else {
      WriteFile(input, c.content);
    }
    const std::vector<std::string> before = Names(folder);
    const RunResult r =
        RunTool(folder, "export FIFO=" + Quote(input) + "; " + c.command + " " + Quote(input));
    EXPECT_EQ(r.status, 2) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(input + c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(Joined(Names(folder)), Joined(before)) << c.name;
  }
}

// A tool blocked reading its input (a FIFO that gives no more) is interrupted: it
// ends by that signal, its temporary files are gone and the earlier outputs are as
// they were.
TEST(Tools, AnInterruptRemovesTheTemporaryFilesAndKeepsTheEarlierOutputs) {
  // More pins than the reader takes in one read: it holds the header and waits.
  std::vector<Pin> pins;
  for (int i = 0; i < 4000; ++i) pins.push_back({(i % 80) * kDegree, (i % 170) * kDegree, "pin " + std::to_string(i)});
  const std::string many = PushpinFile(pins);
  struct Case {
    const char* name;
    const char* tool;
    std::vector<std::string> options;
    std::string input;
    std::string given;  // what the FIFO gives before it stops
    std::vector<std::string> outputs;
    int signal;
  };
  const Case cases[] = {
      {"psp2ov2, Ctrl+C", QH_PSP2OV2, {"-q"}, "in.psp", many.substr(0, many.size() / 2),
       {"in.asc", "in.ov2", "in.bmp"}, SIGINT},
      {"psp2ov2, kill", QH_PSP2OV2, {"-q", "--flat"}, "in.psp", many.substr(0, many.size() / 2),
       {"in.asc", "in.ov2", "in.bmp"}, SIGTERM},
      {"makeov2, Ctrl+C", QH_MAKEOV2, {}, "in.asc", "1,2,\"a\"\n3,4,\"b\"\n", {"in.ov2"}, SIGINT},
      {"makeov2, Ctrl+\\", QH_MAKEOV2, {}, "in.asc", "1,2,\"a\"\n", {"in.ov2"}, SIGQUIT},
  };
  // SIGQUIT's own end writes a core file; none is wanted here.
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string fifo = folder.File(c.input);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    for (const std::string& output : c.outputs) WriteFile(folder.File(output), "earlier " + output);
    const std::vector<std::string> before = Names(folder);

    std::vector<std::string> arguments{c.tool};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    arguments.push_back(fifo);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The signal reaches the tool however this test was started: a background job of a
    // shell, for one, inherits SIGINT and SIGQUIT ignored, and the tool keeps them so.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t byDefault;
    sigemptyset(&byDefault);
    sigaddset(&byDefault, c.signal);
    posix_spawnattr_setsigdefault(&attributes, &byDefault);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, c.tool, nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    ASSERT_EQ(spawned, 0) << c.name;
    // The writing end opens once the tool has opened the reading end; a tool that ends
    // first must not leave the test waiting, nor end it by SIGPIPE.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int writer = -1;
    while ((writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0 &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_GE(writer, 0) << c.name << ": the tool did not open its input";
    fcntl(writer, F_SETFL, fcntl(writer, F_GETFL) & ~O_NONBLOCK);
    const auto pipeWas = signal(SIGPIPE, SIG_IGN);
    EXPECT_EQ(write(writer, c.given.data(), c.given.size()), static_cast<ssize_t>(c.given.size()));
    signal(SIGPIPE, pipeWas);
    // The tool is ready to be interrupted once its temporary files are there.
    auto temporaries = [&folder] {
      std::size_t count = 0;
      for (const std::string& name : Names(folder)) count += name.size() > 4 && name.ends_with(".tmp");
      return count;
    };
    while (temporaries() < c.outputs.size() - (c.outputs.size() > 1 ? 1 : 0) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GT(temporaries(), 0u) << c.name << ": no temporary file appeared";
    ASSERT_EQ(kill(pid, c.signal), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(writer);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
        << c.name << ": status " << status;
    EXPECT_EQ(Joined(Names(folder)), Joined(before)) << c.name;
    for (const std::string& output : c.outputs) {
      EXPECT_EQ(ReadFile(folder.File(output)), "earlier " + output) << c.name;
    }
  }
}

// Two runs on the same outputs at once: while the first holds them (here blocked on
// its input, a FIFO), a second run of either tool waits a few seconds, then ends with
// 2 and leaves them alone; the first then finishes as if it were alone.
TEST(Tools, ASecondRunOnTheSameOutputsGivesWayToTheFirst) {
  TempFolder folder, other;
  const std::string fifo = folder.File("in.psp");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
  const char* const outputs[] = {"in.asc", "in.ov2", "in.bmp"};
  for (const char* output : outputs) WriteFile(folder.File(output), std::string("earlier ") + output);
  WriteFile(other.File("in.psp"), ThreePins());
  std::string tool = QH_PSP2OV2, quiet = "-q";
  char* argv[] = {tool.data(), quiet.data(), const_cast<char*>(fifo.c_str()), nullptr};
  pid_t first = 0;
  ASSERT_EQ(posix_spawn(&first, tool.c_str(), nullptr, nullptr, argv, environ), 0);
  // The first run holds the outputs once their lock file is there.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  auto locked = [&folder] {
    for (const std::string& name : Names(folder)) {
      if (name.starts_with(".qh~") && name.ends_with(".jnl")) return true;
    }
    return false;
  };
  while (!locked() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(locked()) << "the first run took no lock";
  const std::vector<std::string> before = Names(folder);
  const std::string second[] = {
      kPsp2Ov2 + " -q -o " + Quote(folder.File("in.ov2")) + " " + Quote(other.File("in.psp")),
      kMakeOv2 + " " + Quote(folder.File("in.asc")),
      Quote(QH_OV2) + " make " + Quote(other.File("in.psp")) + " -o " + Quote(folder.File("in.ov2"))};
  for (const std::string& command : second) {
    const RunResult r = RunTool(other, command);
    EXPECT_EQ(r.status, 2) << command << ": " << r.err;
    EXPECT_NE(r.err.find(" is being written by another run"), std::string::npos) << r.err;
    EXPECT_EQ(Joined(Names(folder)), Joined(before)) << command;
    for (const char* output : outputs) {
      EXPECT_EQ(ReadFile(folder.File(output)), std::string("earlier ") + output) << command;
    }
  }
  WriteFile(fifo, ThreePins());  // opens the FIFO's writing end: the first run goes on
  int status = 0;
  ASSERT_EQ(waitpid(first, &status, 0), first);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(ReadFile(folder.File("in.asc")).find("GCEBB"), std::string::npos);
  EXPECT_EQ(Joined(Names(folder)), "in.asc in.bmp in.ov2 in.psp") << "the lock file stayed";
}


// A journal beside the outputs that this program did not write (here one that would
// have a file up the tree removed) ends every tool's run with 2 and a message that
// names it, before anything is read or written; the journal and the file stay.
TEST(Tools, APlantedJournalEndsTheRunWithTwoAndTouchesNothing) {
  TempFolder folder;
  std::filesystem::create_directory(folder.Path() / "out");
  std::filesystem::create_directory(folder.Path() / "home");
  WriteFile(folder.File("home/a.txt"), "the user's own");
  WriteFile(folder.File("out/trip.asc"), "1,2,\"a\"\n");
  WriteFile(folder.File("out/trip.psp"), ThreePins());
  WriteFile(folder.File("out/trip.ov2"), "earlier overlay");
  std::string journal;
  {
    OutputSet planter;
    ASSERT_EQ(planter.Take({folder.File("out/trip.ov2")}, 0), OutputSet::Taken::kTaken);
    ASSERT_TRUE(planter.Begin({{"trip.ov2", "../home/a.txt", ""}}, false));
    journal = planter.Path();
    planter.LeaveAsIfKilledForTest();
  }
  const std::string planted = ReadFile(journal);
  // As the tools name it, run in `folder`.
  const std::string shown = "out/" + std::filesystem::path(journal).filename().string();
  auto outputs = [&folder] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path() / "out"))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return Joined(names);
  };
  const std::string before = outputs();
  const std::string commands[] = {
      kMakeOv2 + " out/trip.asc", kPsp2Ov2 + " -q out/trip.psp",
      kOv2 + " make out/trip.psp -o out/trip.ov2"};
  for (const std::string& command : commands) {
    const RunResult r = RunTool(folder, "cd " + Quote(folder.Path().string()) + " && " + command);
    EXPECT_EQ(r.status, 2) << command << ": " << r.err;
    EXPECT_NE(r.err.find(shown + " was not written by this program (it names ../home/a.txt, not a "
                         "temporary file of this program): remove it, or look at what it names"),
              std::string::npos)
        << command << ": " << r.err;
    EXPECT_EQ(outputs(), before) << command;
    EXPECT_EQ(ReadFile(folder.File("home/a.txt")), "the user's own") << command;
    EXPECT_EQ(ReadFile(folder.File("out/trip.ov2")), "earlier overlay") << command;
    EXPECT_EQ(ReadFile(journal), planted) << command;
  }
}

// Outputs that would overwrite an input or one another, whatever their spelling, and
// outputs whose place holds something other than a regular file: refused with 2
// before anything is written.
TEST(Tools, OutputsThatWouldOverwriteAnInputOrEachOtherAreRefused) {
  struct Case {
    const char* name;
    std::string command;  // run in the folder
    const char* message;
  };
  const Case cases[] = {
      {"-o ./a.psp a.psp", kPsp2Ov2 + " -o ./a.psp a.psp", "its overlay ./a.psp would overwrite the input a.psp"},
      {"overlay and icon one file", kPsp2Ov2 + " -o x.bmp a.psp", "its overlay and its icon would both be x.bmp"},
      {"an overlay named as a pushpin file", kPsp2Ov2 + " -o b.psp a.psp", "-o names the overlay (.ov2), not a .psp file"},
      {"two inputs, one set of outputs", kPsp2Ov2 + " a.psp a.dat", "a.psp and a.dat would both write a.asc"},
      {"one input twice", kPsp2Ov2 + " a.psp sub/../a.psp", "a.psp and sub/../a.psp are the same file"},
      {"an output linked to the input", kPsp2Ov2 + " -o linked.ov2 a.psp", "would overwrite the input a.psp"},
      {"a FIFO in the overlay's place", kPsp2Ov2 + " b.psp", "cannot write b.ov2: it is not a regular file"},
      {"a folder in the icon's place", kPsp2Ov2 + " c.psp", "cannot write c.bmp: Is a directory"},
      {"makeov2 onto its own input", kMakeOv2 + " d.asc", "the overlay d.ov2 would overwrite the input"},
      {"makeov2 onto a FIFO", kMakeOv2 + " e.asc", "cannot write e.ov2: it is not a regular file"},
      {"makeov2 onto a device", kMakeOv2 + " f.asc", "cannot write f.ov2: it is not a regular file"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    for (const char* name : {"a.psp", "a.dat", "b.psp", "c.psp"}) WriteFile(folder.File(name), ThreePins());
    WriteFile(folder.File("d.asc"), "1,2,\"d\"\n");
    WriteFile(folder.File("e.asc"), "1,2,\"e\"\n");
    WriteFile(folder.File("f.asc"), "1,2,\"f\"\n");
    std::filesystem::create_symlink("/dev/null", folder.File("f.ov2"));
    std::filesystem::create_directory(folder.File("sub"));
    std::filesystem::create_symlink("a.psp", folder.File("linked.asc"));
    std::filesystem::create_symlink("d.asc", folder.File("d.ov2"));
    ASSERT_EQ(mkfifo(folder.File("b.ov2").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(folder.File("e.ov2").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.File("c.bmp"));
    const std::vector<std::string> before = Names(folder);
    const RunResult r = RunTool(folder, "cd " + Quote(folder.Path().string()) + " && " + c.command);
    EXPECT_EQ(r.status, 2) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(Joined(Names(folder)), Joined(before)) << c.name;
    EXPECT_EQ(ReadFile(folder.File("a.psp")), ThreePins()) << c.name;
    EXPECT_EQ(ReadFile(folder.File("d.asc")), "1,2,\"d\"\n") << c.name;
  }
}
#endif

}  // namespace
}  // namespace qh
