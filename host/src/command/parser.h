// The MEL parser: a whole text into a Unit (see ast.h).
//
// Statements: commands in command syntax (`setAttr loc1.tx 2;`) and function
// syntax (`getAttr("loc1.tx")`), expressions, declarations, blocks, if/else,
// while, do-while, for, for-in, switch, break, continue, return, and proc /
// global proc definitions at the top level. The last statement of a text (or
// of a block) may omit its ';'.
//
// Throws SyntaxError naming the line and the token where the text stops
// making sense; nesting deeper than kMaxNesting levels is an error too, so no
// text can exhaust the stack of the parser or of the evaluator.
#pragma once

#include "command/ast.h"
#include "command/lexer.h"

#include <memory>
#include <string>

namespace rdhost::cmd {

constexpr int kMaxNesting = 200;

std::shared_ptr<Unit> parseUnit(const std::string& text, const std::string& file = "", bool anonymous = false,
                                int firstLine = 1);

}  // namespace rdhost::cmd
