#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace spindle {

// One record of a comma-separated file.
struct CsvRecord {
    int Line = 0;  // the line it starts on, from 1
    std::vector<std::string> Fields;
    std::string Problem;  // what is malformed in it, for the operator; empty when nothing
};

// Reads comma-separated text as RFC 4180 writes it, and as spreadsheets save it: records
// end with CR LF, LF or a lone CR; a field in double quotes may hold commas, line ends and
// doubled quotes; a leading UTF-8 byte order mark is skipped; a final line end starts no
// record, and a blank line is a record of one empty field. A quote inside an unquoted
// field is kept as written. A record with text after a closing quote, or a quoted field
// never closed (it runs to the end of the text), is kept with its Problem.
std::vector<CsvRecord> ReadCsv(std::string_view text, char delimiter = ',');

// The delimiter of a file whose first line names its columns: ";" when that line holds more
// semicolons than commas outside quotes (as spreadsheets save where the comma is the
// decimal mark), else ",".
char CsvDelimiterOf(std::string_view text);

}  // namespace spindle
