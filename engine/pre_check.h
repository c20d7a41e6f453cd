// Whether a line reads as plain four-operator arithmetic with decimal numbers: the question the
// sheet asks before it evaluates a line, to choose between reporting a failure in a box and
// answering it quietly.
//
// The pre-check works a plain line out in single precision only to see whether that succeeds.
// When it does not (a number that is no number, a division by zero, 0/0, a value stored beyond
// the single range) the fault comes back as data: its description for the application's
// top-level error report (messages.h, kFault...), and the sheet drops the key.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::engine {

struct PreCheck {
    bool plain = false;
    // Non-empty when the pre-check ended in a fault instead of an answer; its description.
    std::string fault;
};

// The expression as the sheet holds it (UTF-8, blanks not yet removed). Any '(' or ')' decides
// at once: both make the line plain, one alone does not. Otherwise the line is plain when it
// holds only digits, '.' and + - * / in a well-formed order ("--" reads "+0") and every number
// in it can be worked out; that computation reads each factor in extended precision and stores
// what it keeps (a term's running value, a term loaded for the sum, each partial sum) in single
// precision, in the order the floating-point unit would.
[[nodiscard]] PreCheck IsPlainArithmetic(std::string_view expression);

} // namespace tolvane::engine
