// The streaming CSV reader: RFC 4180 quoting and line ends. (Records past the
// bound: the tool's tests.)
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/csv_reader.h"

namespace {

struct Row {
  std::vector<std::string> fields;
  cli::CsvProblem problem;
};

std::vector<Row> read_all(const std::string& text, std::size_t max_record_bytes = cli::kDefaultMaxRecordBytes) {
  std::istringstream in(text);
  cli::CsvReader reader(in, max_record_bytes, ',');
  cli::CsvRecord record;
  std::vector<Row> rows;
  while (reader.next(record)) rows.push_back({{record.fields.begin(), record.fields.end()}, record.problem});
  return rows;
}

using Fields = std::vector<std::string>;

TEST(CsvReader, QuotedFieldsLineEndsAndEmptyLines) {
  // CR LF, LF or CR end a record; empty lines are skipped, an empty quoted
  // field is a record; blanks are kept.
  const auto rows = read_all("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\n\"two\nlines\",,x\n\r\n,\r a \n\"\"\n");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].fields, (Fields{"a", "b,c", "say \"hi\""}));
  EXPECT_EQ(rows[1].fields, (Fields{"two\nlines", "", "x"}));
  EXPECT_EQ(rows[2].fields, (Fields{"", ""}));
  EXPECT_EQ(rows[3].fields, (Fields{" a "}));
  EXPECT_EQ(rows[4].fields, (Fields{""}));
  for (const auto& row : rows) EXPECT_EQ(row.problem, cli::CsvProblem::kNone);
  for (const char* empty : {"", "\r\n\n"}) EXPECT_TRUE(read_all(empty).empty());
}

TEST(CsvReader, QuotingFaultsAreReportedPerRecord) {
  const auto rows = read_all("ab\"c,d\n\"x\"y,z\nok,1\n\"open,2\nmore");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].problem, cli::CsvProblem::kMisplacedQuote);
  EXPECT_EQ(rows[0].fields.size(), 2u);
  EXPECT_EQ(rows[1].problem, cli::CsvProblem::kMisplacedQuote);
  EXPECT_EQ(rows[2].fields, (Fields{"ok", "1"}));
  EXPECT_EQ(rows[2].problem, cli::CsvProblem::kNone);
  EXPECT_EQ(rows[3].problem, cli::CsvProblem::kUnterminatedQuote);
}

TEST(CsvReader, RecordsAndLineEndsAcrossReadChunks) {
  // The reader takes its input in 64 KiB pieces; a CR ends one piece and its
  // LF starts the next.
  const std::size_t piece = 64 * 1024;
  const std::string text = "h1,h2\n" + std::string(piece - 9, 'y') + ",q\r\n\"z\"\"z\",w\n";
  ASSERT_EQ(text.find("\r\n"), piece - 1);
  const auto rows = read_all(text, 2 * piece);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].fields.back(), "q");
  EXPECT_EQ(rows[2].fields, (Fields{"z\"z", "w"}));
}

}  // namespace
