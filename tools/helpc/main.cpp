// helpc: makes the help files from the manual's source.
//   helpc MANUAL.txt [--hlp FILE.hlp] [--htm FILE.htm]
// Each output is written under a temporary name and renamed into place, so a failed
// run leaves the earlier file. Exit status: 0 done, 1 the manual has faults (each told
// as MANUAL:LINE: what), 2 a file could not be read or written, or a wrong argument.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "files/complete_file.h"
#include "tools/helpc/help_file_writer.h"
#include "tools/helpc/html_page.h"
#include "tools/helpc/manual_parser.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitManual = 1;
constexpr int kExitFiles = 2;

struct Arguments {
  std::string manual, hlp, htm;
};

void PrintUsage(std::FILE* out) {
  std::fputs("Usage: helpc MANUAL.txt [--hlp FILE.hlp] [--htm FILE.htm]\n"
             "Makes the WinHelp file and the web page of the manual.\n",
             out);
}

bool ReadArguments(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    std::string* output = arg == "--hlp" ? &args.hlp : arg == "--htm" ? &args.htm : nullptr;
    if (output != nullptr && i + 1 < argc) {
      *output = argv[++i];
    } else if (output == nullptr && args.manual.empty() && !arg.empty() && arg[0] != '-') {
      args.manual = arg;
    } else {
      return false;
    }
  }
  return !args.manual.empty();
}

bool ReadWhole(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteWhole(const std::string& path, std::string_view bytes) {
  qh::CompleteFile file;
  if (file.Open(path) && file.Write(bytes) && file.Commit()) return true;
  std::fprintf(stderr, "helpc: cannot write %s: %s\n", path.c_str(), file.Error().reason.c_str());
  return false;
}

void ReportFault(const std::string& manual, int line, std::string_view what) {
  std::fprintf(stderr, "%s:%d: %.*s\n", manual.c_str(), line, static_cast<int>(what.size()), what.data());
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    PrintUsage(stdout);
    return kExitOk;
  }
  if (!ReadArguments(argc, argv, args)) {
    PrintUsage(stderr);
    return kExitFiles;
  }

  std::string source;
  if (!ReadWhole(args.manual, source)) {
    std::fprintf(stderr, "helpc: cannot read %s\n", args.manual.c_str());
    return kExitFiles;
  }
  const qh::help::ParseResult parsed = qh::help::ParseManual(source);
  for (const qh::help::ManualError& error : parsed.errors) {
    ReportFault(args.manual, error.line, error.message);
  }
  if (!parsed.errors.empty()) return kExitManual;

  // Both outputs are made before either is written: a fault leaves both as they were.
  std::string hlp, htm;
  try {
    if (!args.hlp.empty()) {
      const qh::help::Bytes bytes = qh::help::WriteHelpFile(parsed.manual);
      hlp.assign(bytes.begin(), bytes.end());
    }
  } catch (const qh::help::ManualTextError& e) {
    ReportFault(args.manual, e.Line(), e.what());
    return kExitManual;
  }
  if (!args.htm.empty()) htm = qh::help::WriteHtmlPage(parsed.manual);

  if (!args.hlp.empty() && !WriteWhole(args.hlp, hlp)) return kExitFiles;
  if (!args.htm.empty() && !WriteWhole(args.htm, htm)) return kExitFiles;
  return kExitOk;
}
