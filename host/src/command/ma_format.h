// Text forms of values in Maya ASCII scene files and command results.
//
// Every number written here reads back to the identical stored value: plain
// numbers use the shortest decimal that round-trips at the attribute's own
// precision (float or double), angles are written in degrees with as many
// digits as it takes for the reader's degree-to-radian conversion to land on
// the same radian value again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rdhost::ma {

// Shortest decimal that parses back to exactly `value` ("0.7", "1e-09", "-3").
std::string formatDouble(double value);
std::string formatFloat(float value);

// Parse a whole token as a number (MEL syntax: decimal, exponent, leading sign,
// hexadecimal integers "0x1F"). nullopt when the token is not a number.
std::optional<double> parseNumber(std::string_view text);

// Angles: the files and commands speak degrees, the graph holds radians.
// degreesToRadians is the commands' conversion; parseAngle applies it to texts
// of up to 17 significant digits and reads longer ones in extended precision,
// so that every radian value has some decimal form; formatAngle finds the
// shortest one.
double degreesToRadians(double degrees);
std::optional<double> parseAngle(std::string_view degreesText);  // radians
std::string formatAngle(double radians);                         // degrees text

// A MEL double-quoted string literal, escaping \ " and control characters.
std::string quote(std::string_view text);

// A name as one word of a statement: bare when it is a plain name
// ("transform", ":time1", "|grp|loc"), else quoted, so that no name can end
// the statement or start another.
std::string word(std::string_view name);

// Text for a "//" comment line: it can never end the line. A backslash and
// anything a reader might take for a line end (control characters, the
// Unicode line and paragraph separators, C1 controls such as NEL) or that is
// not UTF-8 are written as escapes (\n, \t, \r, \\, \xHH for each byte).
std::string commentText(std::string_view text);

// The value of a MEL string literal body (between the quotes), as MEL reads
// it: backslash with n, t or r stands for newline, tab or carriage return, a
// backslash with any other character for that character.
std::string unescape(std::string_view body);

}  // namespace rdhost::ma
