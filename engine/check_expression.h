// Internal to the engine: the checker with reusable buffers, so the evaluator
// checks a line without allocating once the buffers have grown.
#pragma once

#include "engine/error_state.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::engine {

struct CheckBuffers {
    std::string copy;      // the text with blanks removed and %, ^, ! rewritten
    std::string rewritten; // the copy with every function call rewritten
    // Per '(' of the copy, in order: the commas directly inside it and
    // whether a ')' closes it.
    std::vector<std::uint32_t> ownCommas;
    std::vector<bool> closed;
    // The '(' open at the scan position: its ordinal and whether its call
    // was rewritten (its commas become '*').
    struct Open {
        std::size_t ordinal;
        bool call;
    };
    std::vector<Open> open;
    // Lets a clean text pass after one sweep; off, every pass runs.
    bool shortcut = true;
};

// CheckExpression on the caller's error state: records the messages found
// and answers whether the text passed.
bool CheckInto(std::string_view expression, ErrorState& errors, CheckBuffers& buffers);

} // namespace tolvane::engine
