// tolvane-eval: evaluates lines the way the calculator does, for scripts and
// tests. Engine mode hands each line straight to the engine; sheet mode (the
// default) does to each line what Enter does on the sheet; amount mode writes
// the sheet's result as the uppercase amount for bills.
#include "engine/engine.h"
#include "tolvane/version.h"
#include "tools/amount_mode.h"
#include "tools/sheet_mode.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage =
    "usage: tolvane-eval [--engine | --rmb] [--] [EXPRESSION ...]\n";

constexpr std::string_view kHelp =
    "Evaluates each EXPRESSION argument as one line, or else each line of standard\n"
    "input (a CR before the LF is dropped), and prints exactly one line per input line.\n"
    "\n"
    "  --engine  hand each line straight to the expression engine (named values reset\n"
    "            to pi, PI, e, E before each line; no \"@@\" variables). Prints the\n"
    "            result, or \"error\" followed by a TAB and the engine's messages when\n"
    "            there are any.\n"
    "  --rmb     evaluate each line as sheet mode does and print its result as the\n"
    "            uppercase amount for bills (1000+680.32 prints 壹仟陆佰捌拾元零叁角贰分),\n"
    "            rounded half away from zero to the fen on the result's decimal digits.\n"
    "            A line without a number, or with 10^16 yuan or more, prints what sheet\n"
    "            mode prints instead and counts as a line that gave no number.\n"
    "  --help    print this text.\n"
    "  --version print the version.\n"
    "  --        end of options: what follows is an expression even if it starts\n"
    "            with \"--\".\n"
    "\n"
    "Without an option each line is treated as Enter treats a line of the sheet.\n"
    "An argument that starts with \"--\" and a letter is an option; others, such as\n"
    "-2^2 or --5, are expressions.\n"
    "\n"
    "Exit status: 0 when every line gave a number, 1 when any did not (empty lines\n"
    "do not count), 2 on an unknown option or --engine with --rmb.\n";

// Reads the next line of standard input; a line ended by LF loses a CR in
// front of it, and a final LF does not start another line. Lines are answered
// as they arrive, so a pipe or a terminal gets each answer at once.
bool NextLine(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    if (!in.eof() && !line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool IsBlank(std::string_view line)
{
    return line.find_first_not_of(' ') == std::string_view::npos;
}

// Engine mode: the number, or "error" and the engine's messages. False when the
// line gave no number (a line of blanks does not count).
bool RunEngineLine(std::string_view line, std::ostream& out)
{
    using namespace tolvane::engine;
    const NamedValues named; // the four constants, nothing else
    const Evaluation e = EvaluateExpression(line, named);
    if (e.ok) {
        out << FormatNumber(e.value) << '\n';
        return true;
    }
    out << "error";
    if (!e.error.empty())
        out << '\t' << e.error;
    out << '\n';
    return IsBlank(line);
}

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    bool engine = false;
    bool amount = false;
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
            } else if (arg == "--rmb") {
                amount = true;
            } else if (arg == "--help") {
                std::cout << kUsage << '\n' << kHelp;
                return 0;
            } else if (arg == "--version") {
                std::cout << "tolvane-eval " << tolvane::kVersion << '\n';
                return 0;
            } else {
                std::cerr << "tolvane-eval: unknown option " << arg << '\n' << kUsage;
                return 2;
            }
        } else {
            expressions.emplace_back(arg);
        }
    }
    if (engine && amount) {
        std::cerr << "tolvane-eval: --engine and --rmb exclude each other\n" << kUsage;
        return 2;
    }
    const auto evaluate = [engine, amount](std::string_view line) {
        if (engine)
            return RunEngineLine(line, std::cout);
        if (amount)
            return tolvane::tools::RunAmountLine(line, std::cout, std::cerr);
        return tolvane::tools::RunSheetLine(line, std::cout, std::cerr);
    };
    int status = 0;
    if (!expressions.empty()) {
        for (const std::string& expression : expressions)
            status |= evaluate(expression) ? 0 : 1;
    } else {
        std::string line;
        while (NextLine(std::cin, line)) {
            status |= evaluate(line) ? 0 : 1;
            // Flush once the input buffered so far is answered: a batch is written in
            // large blocks, an interactive line is answered at once.
            if (std::cin.rdbuf()->in_avail() <= 0)
                std::cout.flush();
        }
    }
    std::cout.flush();
    return status;
}
