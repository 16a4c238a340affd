// ferrant-reach batch as a spreadsheet's round trip: every field, line end
// and encoding comes back, the results sit in their columns, a second run
// writes over its own. (The files spreadsheets write: sheets_test.sh.)
#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/csv_reader.h"
#include "cli/reach_cli.h"

namespace {

using namespace std::string_literals;

struct Outcome {
  int exit_code;
  std::string out;
  std::string err;
};

Outcome batch(const std::string& input, std::vector<std::string_view> options = {}) {
  options.insert(options.begin(), "batch");
  std::istringstream in(input);
  std::ostringstream out, err;
  const int exit_code = cli::run_reach(options, in, out, err);
  return {exit_code, out.str(), err.str()};
}

using Fields = std::vector<std::string>;

struct Line {
  Fields fields;
  std::string line_end;
};

std::vector<Line> read_back(const std::string& text) {
  std::istringstream in(text);
  cli::TextInput input(in);
  cli::CsvReader reader(input);
  cli::CsvRecord record;
  std::vector<Line> lines;
  while (reader.next(record)) lines.push_back({{record.fields.begin(), record.fields.end()}, std::string(record.line_end)});
  return lines;
}

// UTF-16 text as the bytes of a file in that byte order.
std::string utf16_bytes(std::u16string_view text, bool little_endian) {
  std::string bytes;
  for (const char16_t unit : text) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes += little_endian ? low : high;
    bytes += little_endian ? high : low;
  }
  return bytes;
}

TEST(Batch, EveryShapeOfRowKeepsItsFieldsAndLineEnds) {
  const std::string input =
      "link,\"distance_m\",diameter,model\r\n"
      "plain,5000,0.4,pellion\r\n"
      "one more,5000,0.4,pellion,extra\n"
      "\"two, more\",5000,0.4,,\"x,y\",\"\"\r\n"
      "\r\n"
      "short,100\r"
      " blanks , 5000 ,\t0.4 , Pellion\r\n"
      "\"quoted \"\"name\"\"\",12000,0.5,\n"
      "open,1,0.4,\"the rest\r\nof the file";
  const Outcome outcome = batch(input);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "ferrant-reach batch: 4 rows have errors, the first on line 3; the error column says why\n");
  const std::vector<Line> lines = read_back(outcome.out);
  const std::vector<Line> expected = {
      {{"link", "distance_m", "diameter", "model", "baserate", "line_rate_kbps", "loop_ohm", "error"}, "\r\n"},
      {{"plain", "5000", "0.4", "pellion", "17", "1088", "685", ""}, "\r\n"},
      {{"one more", "5000", "0.4", "pellion", "", "", "",
        "line 3: row has 1 field more than the header; it follows the results", "extra"},
       "\n"},
      {{"two, more", "5000", "0.4", "", "", "", "",
        "line 4: row has 2 fields more than the header; they follow the results", "x,y", ""},
       "\r\n"},
      {{}, "\r\n"},
      {{"short", "100", "", "", "", "", "", "line 6: row has 2 fields fewer than the header"}, "\r"},
      {{" blanks ", " 5000 ", "\t0.4 ", " Pellion", "17", "1088", "685", ""}, "\r\n"},
      {{"quoted \"name\"", "12000", "0.5", "", "0", "0", "1050", ""}, "\n"},
      {{"open", "1", "0.4", "the rest\r\nof the file", "", "", "",
        "line 9: the quote opened on line 9 is not closed before the end of the input"},
       ""},
  };
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].fields, expected[i].fields) << "line " << i + 1;
    EXPECT_EQ(lines[i].line_end, expected[i].line_end) << "line " << i + 1;
  }
  // Fields come back byte for byte, quoted as they were.
  EXPECT_TRUE(outcome.out.starts_with("link,\"distance_m\",diameter,model,baserate,line_rate_kbps,loop_ohm,error\r\n"
                                      "plain,5000,0.4,pellion,17,1088,685,\r\n"));

  // JSON: the extra fields in an array of their own, loops with their shares.
  const Outcome json = batch("distance_m,diameter\n100,0.4,x,y\n", {"--format", "json"});
  EXPECT_EQ(json.out,
            "{\"distance_m\":\"100\",\"diameter\":\"0.4\",\"baserate\":null,\"line_rate_kbps\":null,"
            "\"loop_ohm\":null,\"error\":\"line 2: row has 2 fields more than the header; they follow the "
            "results\",\"extra_fields\":[\"x\",\"y\"]}\n");
  const Outcome loops = batch("sections;model\n0,4:2000 0,6:3000;pellion\n0.4:20000;\n", {"--format", "json"});
  EXPECT_EQ(loops.out,
            "{\"sections\":\"0,4:2000 0,6:3000\",\"model\":\"pellion\",\"baserate\":26,\"line_rate_kbps\":1664,"
            "\"equivalent_m\":4054,\"loop_ohm\":456,\"shares\":[0.4929,0.5062],\"error\":null}\n"
            "{\"sections\":\"0.4:20000\",\"model\":\"\",\"baserate\":0,\"line_rate_kbps\":0,\"equivalent_m\":20000,"
            "\"loop_ohm\":2740,\"shares\":[2.3345],\"error\":null}\n");
}

TEST(Batch, EncodingsComeBackAsTheyCame) {
  // Windows-1252: every byte a character, given back as itself; JSON in
  // UTF-8 with the characters the bytes stand for.
  std::string every_byte;
  for (int byte = 0x80; byte <= 0xFF; ++byte) every_byte += static_cast<char>(byte);
  const std::string cp1252 = "link;distance_m;diameter\r\nS\xFC" "dhang " + every_byte + ";5000;0,4\r\n";
  for (const std::string_view encoding : {"cp1252", "LATIN1"}) {
    const Outcome outcome = batch(cp1252, {"--encoding", encoding});
    EXPECT_EQ(outcome.out, "link;distance_m;diameter;baserate;line_rate_kbps;loop_ohm;error\r\nS\xFC" "dhang " +
                               every_byte + ";5000;0,4;29;1856;685;\r\n")
        << encoding;
  }
  const Outcome json = batch("link;distance_m;diameter\nS\xFC\x80\x81;5000;0,4\n", {"--encoding", "cp1252", "--format", "json"});
  EXPECT_TRUE(json.out.starts_with("{\"link\":\"S\xC3\xBC\xE2\x82\xAC\xC2\x81\",")) << json.out;

  // UTF-16 with its mark in either order, and UTF-8 with a mark: the same
  // encoding, mark and line ends out; JSON in UTF-8 without a mark.
  const std::u16string input = u"\uFEFFlink\tdistance_m\tdiameter\r\nS\u00FCd \U0001F4E1\t5000\t0,4\r\n";
  const std::u16string output =
      u"\uFEFFlink\tdistance_m\tdiameter\tbaserate\tline_rate_kbps\tloop_ohm\terror\r\n"
      u"S\u00FCd \U0001F4E1\t5000\t0,4\t29\t1856\t685\t\r\n";
  for (const bool little_endian : {true, false}) {
    EXPECT_EQ(batch(utf16_bytes(input, little_endian)).out, utf16_bytes(output, little_endian));
  }
  EXPECT_EQ(batch(utf16_bytes(input, true), {"--format", "json"}).out,
            "{\"link\":\"S\xC3\xBC" "d \xF0\x9F\x93\xA1\",\"distance_m\":\"5000\",\"diameter\":\"0,4\",\"baserate\":29,"
            "\"line_rate_kbps\":1856,\"loop_ohm\":685,\"error\":null}\n");
  EXPECT_EQ(batch("\xEF\xBB\xBF" "distance_m,diameter\n5000,0.4\n").out,
            "\xEF\xBB\xBF" "distance_m,diameter,baserate,line_rate_kbps,loop_ohm,error\n5000,0.4,29,1856,685,\n");
  // A mark decides over --encoding, which is for files without one.
  EXPECT_EQ(batch("\xEF\xBB\xBF" "distance_m,diameter\n5000,0.4\n", {"--encoding", "latin1"}).exit_code, 0);

  // A character cut by the 64 KiB pieces the input is read in.
  const std::string name(64 * 1024 - 26, 'n');
  const std::string long_row = "link,distance_m,diameter\n" + name + "\xC3\xBC,5000,0.4\n";
  ASSERT_EQ(long_row.find('\xC3'), 64 * 1024 - 1);
  EXPECT_TRUE(batch(long_row).out.ends_with("\n" + name + "\xC3\xBC,5000,0.4,29,1856,685,\n"));
}

TEST(Batch, TextNotInItsEncodingIsRefusedWhereItStops) {
  struct Case {
    std::string input;
    std::string message;
  };
  const std::string header = "link,distance_m,diameter\n";
  const Case cases[] = {
      {header + "S\xFC" "d,5000,0.4\n",
       "ferrant-reach batch: standard input is not UTF-8 text: line 2, byte 2 (0xFC) begins no UTF-8 character; for "
       "a file saved as Windows-1252 or Latin-1 give --encoding cp1252 or --encoding latin1\n"},
      {header + "A,5000,0.4\r\n\xED\xA0\x80", "line 3, byte 1 (0xED) begins no UTF-8 character"},
      {header + "A,5000,0.4\nB\xE2\x82", "line 3 ends inside a character (0xE2)"},
      {"\xFF\xFE" + utf16_bytes(u"distance_m,diameter\n", true) + "\x00\xD8,\x00"s, "UTF-16LE text: line 2 holds half of a UTF-16 pair (0x00D8)"},
      {"\xFE\xFF" + utf16_bytes(u"distance_m,diameter\n5", false) + "\x00"s, "UTF-16BE text: line 2 ends inside a character (0x00)"},
      // Saved as UTF-16 without its mark: NULs in the header.
      {utf16_bytes(u"distance_m,diameter\n", true), "a file saved as UTF-16 needs its byte-order mark"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = batch(c.input);
    EXPECT_EQ(outcome.exit_code, 2) << c.message;
    EXPECT_EQ(outcome.out, "") << c.message;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
  }
  // Once output has begun, it goes on up to the line that stopped it.
  std::string rows = header;
  for (int i = 0; i < 5000; ++i) rows += "A,5000,0.4\n";
  const Outcome late = batch(rows + "\x80\n");
  EXPECT_EQ(late.exit_code, 2);
  EXPECT_EQ(std::count(late.out.begin(), late.out.end(), '\n'), 5001);
  EXPECT_NE(late.err.find("line 5002, byte 1 (0x80) begins no UTF-8 character"), std::string::npos) << late.err;
  EXPECT_NE(late.err.find("; the rows before it were written"), std::string::npos);
}

TEST(Batch, ASecondRunWritesOverItsOwnColumns) {
  const std::string sheet = "link,distance_m,diameter,note\nA,5000,0.4,x\nB,9999,0.45,y,extra\n";
  const Outcome first = batch(sheet);
  const Outcome second = batch(first.out);
  EXPECT_EQ(second.exit_code, 1);
  EXPECT_EQ(second.out, first.out);
  // The columns of a file from before loop_ohm: written over in place, the
  // new one appended.
  EXPECT_EQ(batch("distance_m,diameter,baserate,line_rate_kbps,error\n5000,0.4,1,64,\n").out,
            "distance_m,diameter,baserate,line_rate_kbps,error,loop_ohm\n5000,0.4,29,1856,,685\n");
  // A planner's own column of such a name is kept unless --replace says
  // otherwise; then it is written over where it is.
  for (const std::string header : {"distance_m,diameter,Baserate", "distance_m,baserate,diameter"}) {
    const Outcome refused = batch(header + "\n5000,0.4,old\n");
    EXPECT_EQ(refused.exit_code, 2) << header;
    EXPECT_NE(refused.err.find("which batch writes; rename or remove it, or give --replace"), std::string::npos);
  }
  EXPECT_EQ(batch("distance_m,BaseRate ,diameter\n5000,old,0.4\n", {"--replace"}).out,
            "distance_m,BaseRate ,diameter,line_rate_kbps,loop_ohm,error\n5000,29,0.4,1856,685,\n");
  EXPECT_EQ(batch("distance_m,diameter,error,error\n").exit_code, 2);
  // JSON leaves the written-over columns to the results.
  EXPECT_EQ(batch("distance_m,diameter,baserate\n5000,0.4,1\n", {"--format", "json"}).out,
            "{\"distance_m\":\"5000\",\"diameter\":\"0.4\",\"baserate\":29,\"line_rate_kbps\":1856,\"loop_ohm\":685,"
            "\"error\":null}\n");
}

TEST(Batch, SeparatorLineNamesTheDelimiter) {
  const std::string sheet = "\xEF\xBB\xBFsep=;\r\n\r\ndistance_m;diameter\r\n5000;0,4\r\n";
  EXPECT_EQ(batch(sheet).out,
            "\xEF\xBB\xBFsep=;\r\n\r\ndistance_m;diameter;baserate;line_rate_kbps;loop_ohm;error\r\n"
            "5000;0,4;29;1856;685;\r\n");
  EXPECT_EQ(batch(sheet, {"--delimiter", ";"}).exit_code, 0);
  const Outcome conflict = batch(sheet, {"--delimiter", "tab"});
  EXPECT_EQ(conflict.exit_code, 2);
  EXPECT_NE(conflict.err.find("the first line \"sep=;\" names another delimiter than --delimiter"), std::string::npos);
  EXPECT_EQ(batch("sep=|\ndistance_m|diameter\n5000|0.4\n", {"--format", "json"}).out,
            "{\"distance_m\":\"5000\",\"diameter\":\"0.4\",\"baserate\":29,\"line_rate_kbps\":1856,\"loop_ohm\":685,"
            "\"error\":null}\n");
}

// A stream that fails every write with a system error.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(int error_number) : error_number_(error_number) {}

 protected:
  int_type overflow(int_type) override { return fail(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return fail(); }

 private:
  int fail() {
    errno = error_number_;
    return 0;
  }
  int error_number_;
};

// Exit code 3 whatever the subcommand, said once with the system's reason;
// a closed pipe is the reader's choice and ends quietly.
TEST(Batch, WriteFailuresAreExitCodeThree) {
  for (const std::vector<std::string_view>& args :
       std::vector<std::vector<std::string_view>>{{"table"}, {"batch"}, {"--version"}}) {
    for (const int error_number : {ENOSPC, EPIPE}) {
      std::istringstream in("distance_m,diameter\n100,0.4\n");
      FailingBuffer failing(error_number);
      std::ostream out(&failing);
      std::ostringstream err;
      EXPECT_EQ(cli::run_reach(args, in, out, err), 3) << args[0];
      const std::string expected =
          error_number == EPIPE ? "" : "ferrant-reach: cannot write the output: " + std::generic_category().message(ENOSPC) + "\n";
      EXPECT_EQ(err.str(), expected) << args[0];
    }
  }
}

}  // namespace
