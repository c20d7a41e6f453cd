// tolvane-eval: evaluates lines the way the calculator does, for scripts and
// tests. Engine mode hands each line straight to the engine; sheet mode (the
// default) does to each line what Enter does on the sheet.
#include "engine/engine.h"
#include "tools/sheet_mode.h"

#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage = "usage: tolvane-eval [--engine] [--] [EXPRESSION ...]\n";

constexpr std::string_view kHelp =
    "Evaluates each EXPRESSION argument as one line, or else each line of standard\n"
    "input (a CR before the LF is dropped), and prints exactly one line per input line.\n"
    "\n"
    "  --engine  hand each line straight to the expression engine (named values reset\n"
    "            to pi, PI, e, E before each line; no \"@@\" variables). Prints the\n"
    "            result, or \"error\" followed by a TAB and the engine's messages when\n"
    "            there are any.\n"
    "  --help    print this text.\n"
    "  --        end of options: what follows is an expression even if it starts\n"
    "            with \"--\".\n"
    "\n"
    "Without --engine each line is treated as Enter treats a line of the sheet.\n"
    "An argument that starts with \"--\" and a letter is an option; others, such as\n"
    "-2^2 or --5, are expressions.\n"
    "\n"
    "Exit status: 0 when every line gave a number, 1 when any did not (empty lines\n"
    "do not count), 2 on an unknown option.\n";

// Splits standard input into lines; a line ended by LF loses a CR in front of
// it, and a final LF does not start another line.
std::vector<std::string> ReadLines(std::istream& in)
{
    const std::string all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t lf = all.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(all.substr(start));
            break;
        }
        std::size_t end = lf;
        if (end > start && all[end - 1] == '\r')
            --end;
        lines.push_back(all.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(' ') == std::string_view::npos;
}

int RunEngineMode(const std::vector<std::string>& lines, std::ostream& out)
{
    using namespace tolvane::engine;
    int status = 0;
    for (const std::string& line : lines) {
        ResetNamedValues();
        const Evaluation e = EvaluateExpression(line);
        if (e.ok) {
            out << FormatNumber(e.value) << '\n';
            continue;
        }
        out << "error";
        if (!e.error.empty())
            out << '\t' << e.error;
        out << '\n';
        if (!IsBlank(line))
            status = 1;
    }
    out.flush();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    bool engine = false;
    bool optionsDone = false;
    std::vector<std::string> expressions;
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        const bool looksLikeOption =
            arg.size() > 2 && arg.starts_with("--") &&
            ((arg[2] >= 'a' && arg[2] <= 'z') || (arg[2] >= 'A' && arg[2] <= 'Z'));
        if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && looksLikeOption) {
            if (arg == "--engine") {
                engine = true;
            } else if (arg == "--help") {
                std::cout << kUsage << '\n' << kHelp;
                return 0;
            } else {
                std::cerr << "tolvane-eval: unknown option " << arg << '\n' << kUsage;
                return 2;
            }
        } else {
            expressions.emplace_back(arg);
        }
    }
    const std::vector<std::string> lines =
        argc > 1 && !expressions.empty() ? expressions : ReadLines(std::cin);

    tolvane::engine::InitExpressionEngine();
    const int status = engine ? RunEngineMode(lines, std::cout)
                              : tolvane::tools::RunSheetMode(lines, std::cout, std::cerr);
    tolvane::engine::FinalizeExpressionEngine();
    return status;
}
