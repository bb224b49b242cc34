// The command-line walk of IOsArgument.
#include <gtest/gtest.h>

#include <string>

#include "core/argument_walk.h"

namespace qh {
namespace {

struct Walk {
  int result;
  std::string text;
};

// Walks a 1024-character cache made from `commandLine` with an output of `width`
// characters filled with '#' beforehand, so an untouched output shows.
Walk WalkLine(std::string_view commandLine, int n, std::size_t width = 20) {
  const std::string cache = MakeArgumentCache(commandLine);
  std::string out(width, '#');
  const int result = WalkArgument(cache, n, out);
  return {result, out};
}

std::string Padded(std::string_view text, std::size_t width = 20) {
  std::string s(text);
  s.resize(width, ' ');
  return s;
}

TEST(ArgumentWalk, QuotedArgumentWithBlankAndPlainOne) {
  const char* line = "prog \"a b\" xyz";
  Walk w = WalkLine(line, 1);
  EXPECT_EQ(w.text, Padded("a b"));
  EXPECT_EQ(w.result, 1);
  w = WalkLine(line, 2);
  EXPECT_EQ(w.text, Padded("xyz"));
  EXPECT_EQ(w.result, 2);
  w = WalkLine(line, 0);
  EXPECT_EQ(w.text, Padded("prog"));
  EXPECT_EQ(w.result, 0);
}

TEST(ArgumentWalk, MissingArgumentLeavesOutputAndReturnsLastCount) {
  Walk w = WalkLine("prog \"a b\" xyz", 3);
  EXPECT_EQ(w.text, std::string(20, '#'));
  EXPECT_EQ(w.result, 2);
  w = WalkLine("prog \"a b\" xyz", -1);
  EXPECT_EQ(w.text, std::string(20, '#')) << "-1 matches no argument";
  EXPECT_EQ(w.result, 2);
  w = WalkLine("", 0);
  EXPECT_EQ(w.text, std::string(20, '#'));
  EXPECT_EQ(w.result, -1);
  w = WalkLine("      ", 1);
  EXPECT_EQ(w.result, -1);
}

TEST(ArgumentWalk, QuotedProgramPathAndRunsOfBlanks) {
  const char* line = "\"C:\\Program Files\\Quill\\q.exe\"   -a    b";
  Walk w = WalkLine(line, 0, 40);
  EXPECT_EQ(w.text, Padded("C:\\Program Files\\Quill\\q.exe", 40));
  EXPECT_EQ(WalkLine(line, 1).text, Padded("-a"));
  EXPECT_EQ(WalkLine(line, 2).text, Padded("b"));
  EXPECT_EQ(WalkLine(line, 9).result, 2);
}

TEST(ArgumentWalk, EmptyQuotesAndALoneQuoteAreNotArguments) {
  EXPECT_EQ(WalkLine("prog \"\" x", 1).text, Padded("x"));
  EXPECT_EQ(WalkLine("prog \"\"tail x", 1).text, Padded("x")) << "the whole word is skipped";
  const Walk w = WalkLine("prog a \"   ", 2);
  EXPECT_EQ(w.text, std::string(20, '#'));
  EXPECT_EQ(w.result, 1);
}

TEST(ArgumentWalk, TheCharacterAfterAClosingQuoteSeparates) {
  // The walk steps over the closing quote and the one character after it.
  EXPECT_EQ(WalkLine("prog \"a\"bc d", 1).text, Padded("a"));
  EXPECT_EQ(WalkLine("prog \"a\"bc d", 2).text, Padded("c"));
  EXPECT_EQ(WalkLine("prog \"a\"bc d", 3).text, Padded("d"));
}

TEST(ArgumentWalk, UnclosedQuoteRunsToTheEnd) {
  const Walk w = WalkLine("prog \"a  b", 1);
  EXPECT_EQ(w.text, Padded("a  b"));
  EXPECT_EQ(w.result, 1);
  EXPECT_EQ(WalkLine("prog \"a  b", 2).result, 1);
}

TEST(ArgumentWalk, BlankInsideQuotesIsAnArgument) {
  const Walk w = WalkLine("prog \"  \" z", 2);
  EXPECT_EQ(w.text, Padded("z"));
  EXPECT_EQ(WalkLine("prog \"  \" z", 1).text, Padded(""));
}

TEST(ArgumentWalk, OutputIsCutOrPadded) {
  EXPECT_EQ(WalkLine("prog abcdefgh", 1, 4).text, "abcd");
  EXPECT_EQ(WalkLine("prog ab", 1, 6).text, "ab    ");
}

TEST(ArgumentWalk, WordsReachingTheEndOfTheCache) {
  // A cache that ends without a blank: the last word runs to its end.
  std::string out(5, '#');
  EXPECT_EQ(WalkArgument("a bcd", 1, out), 1);
  EXPECT_EQ(out, "bcd  ");
  // A quote in the very last position is an ordinary one-character word.
  std::string cache(kArgumentCacheLength, ' ');
  cache[0] = 'p';
  cache.back() = '"';
  EXPECT_EQ(WalkArgument(cache, 1, out), 1);
  EXPECT_EQ(out, "\"    ");
}

TEST(ArgumentWalk, CacheIsTheLineCutAtItsNulAndPadded) {
  std::string line = "prog a";
  line += '\0';
  line += "hidden";
  const std::string cache = MakeArgumentCache(line);
  ASSERT_EQ(cache.size(), kArgumentCacheLength);
  EXPECT_EQ(cache.substr(0, 6), "prog a");
  EXPECT_EQ(cache.find_first_not_of(' ', 6), std::string::npos);
  EXPECT_EQ(WalkLine(line, 2).result, 1);

  const std::string longLine = "p " + std::string(1100, 'x');
  const std::string longCache = MakeArgumentCache(longLine);
  EXPECT_EQ(longCache.size(), kArgumentCacheLength);
  std::string out(1100, '#');
  EXPECT_EQ(WalkArgument(longCache, 1, out), 1);
  EXPECT_EQ(out.substr(0, 1022), std::string(1022, 'x'));
  EXPECT_EQ(out.substr(1022), std::string(78, ' ')) << "the cut argument is padded";
}

}  // namespace
}  // namespace qh
