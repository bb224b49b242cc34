// The manual's markup, the web page, and the whole help file made from a manual: its
// internal files, contents page, context table and jumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "help_reader.h"
#include "tests/support/temp_folder.h"
#include "tools/helpc/context_hash.h"
#include "tools/helpc/help_file_writer.h"
#include "tools/helpc/html_page.h"
#include "tools/helpc/manual_parser.h"
#include "tools/helpc/paragraph_record.h"
#include "tools/helpc/system_file.h"
#include "tools/helpc/topic_file.h"

namespace qh::help {
namespace {

using test::Reader;

constexpr char kSample[] =
    "% a comment\n"
    "@title Sample Help\n"
    "@copyright Sample people\n"
    "@topic start Start here\n"
    "First line,\n"
    "  second line with **bold**, `code` and [[next]].\n"
    "\n"
    "- one [[start|back]]\n"
    "- two\n"
    "  goes on\n"
    "2. numbered <&>\n"
    "@topic next The next \"topic\"\n"
    "@heading A heading\n"
    "```\n"
    "  kept   as written\n"
    "```\n"
    "@topic zzzzzzzzzzzz Last, whose name's hash is negative\n";

TEST(ManualParser, TopicsBlocksAndSpans) {
  const ParseResult parsed = ParseManual(kSample);
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front().line << ": " << parsed.errors.front().message;
  const Manual& m = parsed.manual;
  EXPECT_EQ(m.title, "Sample Help");
  EXPECT_EQ(m.copyright, "Sample people");
  ASSERT_EQ(m.topics.size(), 3u);
  EXPECT_EQ(m.topics[1].title, "The next \"topic\"");

  const std::vector<Block>& blocks = m.topics[0].blocks;
  ASSERT_EQ(blocks.size(), 4u);
  const std::vector<Span>& p = blocks[0].spans;
  ASSERT_EQ(p.size(), 7u);
  EXPECT_EQ(p[0].text, "First line, second line with ");
  EXPECT_EQ(p[1].style, SpanStyle::kBold);
  EXPECT_EQ(p[3].style, SpanStyle::kCode);
  EXPECT_EQ(p[5].jumpTo, "next");
  EXPECT_EQ(p[5].text, "The next \"topic\"") << "a jump without text shows the topic's title";
  EXPECT_EQ(blocks[1].kind, BlockKind::kBullet);
  EXPECT_EQ(blocks[1].spans[1].text, "back");
  EXPECT_EQ(blocks[2].spans[0].text, "two goes on");
  EXPECT_EQ(blocks[3].kind, BlockKind::kNumbered);
  EXPECT_EQ(blocks[3].number, "2.");
  EXPECT_EQ(blocks[3].line, 11);

  const std::vector<Block>& second = m.topics[1].blocks;
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].kind, BlockKind::kHeading);
  EXPECT_EQ(second[1].kind, BlockKind::kLines);
  EXPECT_EQ(second[1].spans.at(0).text, "  kept   as written");
}

TEST(ManualParser, FaultsAreToldWithTheirLine) {
  const struct {
    const char* source;
    int line;
    const char* words;
  } cases[] = {
      {"", 0, "no @topic"},
      {"text\n", 1, "before the first @topic"},
      {"@topic bad_name Title\n", 1, "letters and digits"},
      {"@topic lonely\n", 1, "has no title"},
      {"@topic a One\n@topic A Two\n", 2, "cannot be told from topic a"},
      {"@topic a One\nsee [[b]]\n", 2, "a jump to b"},
      {"@topic a One\nsee [[A]]\n", 2, "a jump to A"},
      {"@topic a One\nsee [[|x]]\n", 2, "without the name"},
      {"@topic a One\nsee [[a\n", 2, "[[ without its ]]"},
      {"@topic a One\n**open\n", 2, "** without its closing"},
      {"@topic a One\n`x **y** z`\n", 2, "cannot cross"},
      {"@topic a One\n\n```\nx\n", 3, "no closing ```"},
      {"@topic a One\n@bogus\n", 2, "unknown directive @bogus"},
      {"@topic a One\nx\ty\n", 2, "tab"},
  };
  for (const auto& c : cases) {
    const ParseResult parsed = ParseManual(c.source);
    ASSERT_FALSE(parsed.errors.empty()) << c.source;
    EXPECT_EQ(parsed.errors[0].line, c.line) << c.source;
    EXPECT_NE(parsed.errors[0].message.find(c.words), std::string::npos)
        << c.source << ": expected \"" << c.words << "\", actual \"" << parsed.errors[0].message << "\"";
  }
}

TEST(HtmlPage, SectionsListsAndLinksInThePage) {
  const std::string page = WriteHtmlPage(ParseManual(kSample).manual);
  for (const char* part : {
           "<title>Sample Help</title>", "<section id=\"start\">\n<h1>Start here</h1>",
           "<section id=\"next\">\n<h2>The next &quot;topic&quot;</h2>",
           "<a href=\"#next\">The next &quot;topic&quot;</a>", "<strong>bold</strong>", "<code>code</code>",
           "<ul>\n<li>one <a href=\"#start\">back</a></li>\n<li>two goes on</li>\n</ul>\n<ol>\n"
           "<li value=\"2\">numbered &lt;&amp;&gt;</li>\n</ol>",
           "<h3>A heading</h3>", "<pre>  kept   as written\n</pre>", "Sample people"}) {
    EXPECT_NE(page.find(part), std::string::npos) << "missing: " << part;
  }
}

// Each topic's address, as the context table gives it for the topic's name.
std::uint32_t AddressByName(const Bytes& context, const std::string& name) {
  const auto at = test::FindInBtree(context, test::Field::kInt32, test::Field::kInt32,
                                    test::Le32(static_cast<std::uint32_t>(ContextHash(name))));
  EXPECT_TRUE(at.has_value()) << name << " is not in |CONTEXT";
  return at ? Reader(context, *at).U32() : 0;
}

TEST(HelpFile, ContentsPageTopicsAndJumpsResolve) {
  const Manual manual = ParseManual(kSample).manual;
  const Bytes file = WriteHelpFile(manual);
  const auto system = test::InternalFile(file, "|SYSTEM");
  const auto font = test::InternalFile(file, "|FONT");
  const auto topic = test::InternalFile(file, "|TOPIC");
  const auto context = test::InternalFile(file, "|CONTEXT");
  const auto titles = test::InternalFile(file, "|TTLBTREE");
  ASSERT_TRUE(system && font && topic && context && titles) << "an internal file is missing";

  // Topics by address, as a viewer finds them.
  std::map<std::uint32_t, std::string> headers;
  std::set<std::int32_t> jumps;
  for (const test::WalkedRecord& w : test::WalkRecords(*topic)) {
    if (w.record.type == kTopicHeaderRecord) headers[w.address] = Reader(w.record.part2).String();
    if (w.record.type != kTextRecord) continue;
    bool inHotspot = false;
    for (const test::Command& c : test::ReadCommands(w.record.part1)) {
      EXPECT_FALSE(inHotspot && (c.code == kJumpCommand || c.code == kParagraphEndCommand))
          << "a hotspot not ended before command " << int{c.code};
      if (c.code == kJumpCommand) jumps.insert(c.argument);
      if (c.code == kJumpCommand || c.code == kHotspotEndCommand) inHotspot = c.code == kJumpCommand;
    }
  }
  for (const Topic& t : manual.topics) {
    const std::uint32_t address = AddressByName(*context, t.name);
    EXPECT_EQ(headers[address], t.title) << "the topic at the address of " << t.name;
    const auto title = test::FindInBtree(*titles, test::Field::kInt32, test::Field::kString, test::Le32(address));
    EXPECT_TRUE(title && Reader(*titles, *title).String() == t.title) << t.name << " in |TTLBTREE";
  }
  EXPECT_EQ(jumps, (std::set<std::int32_t>{ContextHash("start"), ContextHash("next")}));

  // The context table's keys ascend as signed numbers, as a viewer searches them.
  Reader leaf(*context, 38 + 2);
  std::vector<std::int32_t> keys(leaf.U16());
  leaf.U32();
  for (std::int32_t& key : keys) key = leaf.I32(), leaf.U32();
  ASSERT_EQ(keys.size(), manual.topics.size());
  EXPECT_LT(keys.front(), 0) << "the case needs a negative hash";
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));

  Reader s(*system);
  EXPECT_EQ(s.U16(), kSystemMagic);
  EXPECT_EQ(s.U16(), kWinHelp31);
  EXPECT_EQ(s.U16(), 1);
  s.U32();
  EXPECT_EQ(s.U16(), 0) << "no compression";
  std::map<std::uint16_t, Bytes> records;
  while (true) {
    const std::uint16_t type = s.U16(), size = s.U16();
    if (s.Failed()) break;
    Bytes& data = records[type];
    for (std::uint16_t i = 0; i < size; ++i) data.push_back(s.U8());
  }
  EXPECT_EQ(Reader(records[kTitleRecord]).String(), "Sample Help");
  EXPECT_EQ(Reader(records[kCopyrightRecord]).String(), "Sample people");
  EXPECT_EQ(Reader(records[kContentsRecord]).U32(), AddressByName(*context, "start"));
  const Bytes& window = records[kWindowRecord];
  ASSERT_EQ(window.size(), 90u);
  EXPECT_EQ(Reader(window, 12).String(), "main");
  EXPECT_EQ(Reader(window, 21).String(), "Sample Help") << "the viewer's caption";

  Reader f(*font);
  EXPECT_EQ(f.U16(), 2);  // face names
  EXPECT_EQ(f.U16(), kFontCount);
  const std::uint16_t namesAt = f.U16(), descriptorsAt = f.U16();
  EXPECT_EQ(Reader(*font, namesAt).String(), "Arial");
  EXPECT_EQ(Reader(*font, namesAt + (descriptorsAt - namesAt) / 2).String(), "Courier New");
  EXPECT_EQ(font->size(), descriptorsAt + 11u * kFontCount);
}

TEST(HelpFile, TextOutsideTheCodePageNamesItsLine) {
  const Manual manual = ParseManual("@topic a One\n\nWrite \xC5\x81\xC3\xB3" "d\xC5\xBA.\n").manual;
  try {
    WriteHelpFile(manual);
    ADD_FAILURE() << "no error for a character without a Windows-1252 byte";
  } catch (const ManualTextError& e) {
    EXPECT_EQ(e.Line(), 3);
    EXPECT_NE(std::string(e.what()).find("U+0141"), std::string::npos) << e.what();
  }
}

TEST(Manual, EveryTopicIsReachedFromTheContentsPage) {
  const std::string source = qh::test::ReadFile(QH_SOURCE_DIR "/docs/manual/quillhaven.txt");
  const ParseResult parsed = ParseManual(source);
  ASSERT_TRUE(parsed.errors.empty()) << "line " << parsed.errors.front().line << ": " << parsed.errors.front().message;
  std::set<std::string> linked;
  for (const Block& block : parsed.manual.topics.at(0).blocks) {
    for (const Span& span : block.spans) linked.insert(span.jumpTo);
  }
  for (std::size_t i = 1; i < parsed.manual.topics.size(); ++i) {
    EXPECT_EQ(linked.count(parsed.manual.topics[i].name), 1u) << parsed.manual.topics[i].name;
  }
  EXPECT_NO_THROW(WriteHelpFile(parsed.manual));
}

}  // namespace
}  // namespace qh::help
