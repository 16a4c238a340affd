// The streaming CSV reader: RFC 4180 quoting, line ends and line numbers,
// the separator line. (Records past the bound: the tool's tests.)
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/csv_reader.h"

namespace {

struct Row {
  std::vector<std::string> fields;
  cli::CsvProblem problem;
  std::uint64_t line;
  std::string line_end;
  bool plain;
};

std::vector<Row> read_all(const std::string& text, std::size_t max_record_bytes = cli::kDefaultMaxRecordBytes) {
  std::istringstream in(text);
  cli::TextInput input(in);
  cli::CsvReader reader(input, max_record_bytes, ',');
  cli::CsvRecord record;
  std::vector<Row> rows;
  while (reader.next(record)) {
    rows.push_back({{record.fields.begin(), record.fields.end()}, record.problem, record.line,
                    std::string(record.line_end), !record.plain.empty()});
  }
  return rows;
}

using Fields = std::vector<std::string>;

TEST(CsvReader, QuotedFieldsLineEndsAndLines) {
  // CR LF, LF or CR end a record and are kept with it; an empty line is a
  // record without fields; a quoted field may hold lines, and the lines
  // count on; blanks are kept.
  const auto rows = read_all("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\n\"two\r\nlines\",,x\r,\r a \n\"\"");
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0].fields, (Fields{"a", "b,c", "say \"hi\""}));
  EXPECT_EQ(rows[1].fields, Fields{});
  EXPECT_EQ(rows[2].fields, (Fields{"two\r\nlines", "", "x"}));
  EXPECT_EQ(rows[3].fields, (Fields{"", ""}));
  EXPECT_EQ(rows[4].fields, (Fields{" a "}));
  EXPECT_EQ(rows[5].fields, (Fields{""}));
  const std::vector<std::uint64_t> lines = {1, 2, 3, 5, 6, 7};
  const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\r", "\n", ""};
  const std::vector<bool> plain = {false, false, false, true, true, false};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].line, lines[i]) << i;
    EXPECT_EQ(rows[i].line_end, ends[i]) << i;
    EXPECT_EQ(rows[i].plain, plain[i]) << i;
    EXPECT_EQ(rows[i].problem, cli::CsvProblem::kNone) << i;
  }
  EXPECT_TRUE(read_all("").empty());
}

TEST(CsvReader, QuotingFaultsAreReportedPerRecord) {
  std::istringstream in("ab\"c,d\n\"x\"y,z\nok,1\nq,\"two\nlines\",\"open,2\nmore");
  cli::TextInput input(in);
  cli::CsvReader reader(input);
  cli::CsvRecord record;
  const cli::CsvProblem expected[] = {cli::CsvProblem::kMisplacedQuote, cli::CsvProblem::kMisplacedQuote,
                                      cli::CsvProblem::kNone, cli::CsvProblem::kUnterminatedQuote};
  for (const auto problem : expected) {
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record.problem, problem);
    EXPECT_EQ(record.fields.size(), 2u + (problem == cli::CsvProblem::kUnterminatedQuote));
  }
  // The open quote is on the record's second line.
  EXPECT_EQ(record.line, 4u);
  EXPECT_EQ(record.quote_line, 5u);
  EXPECT_FALSE(reader.next(record));
  EXPECT_EQ(reader.line(), 6u);
  EXPECT_EQ(reader.byte_in_line(), 5u);
}

TEST(CsvReader, RecordsAndLineEndsAcrossReadChunks) {
  // The reader takes its text in 64 KiB pieces; a CR ends one piece and its
  // LF starts the next.
  const std::size_t piece = 64 * 1024;
  const std::string text = "h1,h2\n" + std::string(piece - 9, 'y') + ",q\r\n\"z\"\"z\",w\n";
  ASSERT_EQ(text.find("\r\n"), piece - 1);
  const auto rows = read_all(text, 2 * piece);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].fields.back(), "q");
  EXPECT_EQ(rows[1].line_end, "\r\n");
  EXPECT_EQ(rows[2].fields, (Fields{"z\"z", "w"}));
  EXPECT_EQ(rows[2].line, 3u);
}

TEST(CsvReader, SeparatorLineAndRestart) {
  for (const std::string line : {"sep=;\r\n", "SEP=;\n"}) {
    std::istringstream in(line + "a;b\n1;2\n");
    cli::TextInput input(in);
    cli::CsvReader reader(input);
    std::string taken;
    ASSERT_EQ(reader.take_separator_line(taken), ';') << line;
    EXPECT_EQ(taken, line);
    reader.set_delimiter(';');
    cli::CsvRecord record;
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record.fields, (std::vector<std::string_view>{"a", "b"}));
    EXPECT_EQ(record.line, 2u);
    // A restart reads from after the separator line, with its line numbers.
    ASSERT_TRUE(reader.next(record));
    ASSERT_TRUE(reader.restart(','));
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record.fields, (std::vector<std::string_view>{"a;b"}));
    EXPECT_EQ(record.line, 2u);
  }
  for (const std::string text : {"sep=\"\n", "sep=;;\n", "sep\n", "separator=;\n", "sep=\n"}) {
    std::istringstream in(text);
    cli::TextInput input(in);
    cli::CsvReader reader(input);
    std::string taken;
    EXPECT_FALSE(reader.take_separator_line(taken)) << text;
    cli::CsvRecord record;
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record.line, 1u);
  }
}

}  // namespace
