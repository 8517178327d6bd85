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

// The value of a MEL string literal body (between the quotes), as MEL reads
// it: backslash with n, t or r stands for newline, tab or carriage return, a
// backslash with any other character for that character.
std::string unescape(std::string_view body);

}  // namespace rdhost::ma
