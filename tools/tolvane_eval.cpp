// tolvane-eval: evaluates lines the way the calculator does, for scripts and
// tests. Engine mode hands each line straight to the engine; sheet mode (the
// default) does to each line what Enter does on the sheet; amount mode writes
// the sheet's result as the uppercase amount for bills; reference mode reads
// the lines as one sheet with 引用与合计 switched on.
#include "engine/engine.h"
#include "sheet/text_decoder.h"
#include "tolvane/version.h"
#include "tools/amount_mode.h"
#include "tools/raw_io.h"
#include "tools/sheet_mode.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage =
    "usage: tolvane-eval [--engine | --rmb | --refs] [--] [EXPRESSION ...]\n";

constexpr std::string_view kHelp =
    "Evaluates each EXPRESSION argument as one line, or else each line of standard\n"
    "input (a CR before the LF is dropped), and prints exactly one line per input line,\n"
    "in UTF-8. Standard input is read as the calculator window opens a file: a byte-order\n"
    "mark decides (UTF-8 or UTF-16); without one each line is UTF-8, or GB18030 (what\n"
    "Chinese Windows writes) when only that fits it, and a line that fits both is read\n"
    "as the last line that fitted only one (before any has, as the first such line among\n"
    "the bytes read so far, else UTF-8).\n"
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
    "  --refs    read the lines as one sheet, from the top, with 引用与合计 switched on,\n"
    "            and print each line as Enter writes it there. A line that gives a\n"
    "            number without it is written as without it. Otherwise the label (the\n"
    "            text before the first \"：\" or \":\", or a leading Chinese word and a\n"
    "            blank: 午饭：25+13, 早饭 8.5) and the comment (\"//\" to the end of the\n"
    "            line) are set aside, and in the rest each run of Chinese characters is a\n"
    "            name: 上行 (the nearest line above with a value), 小计 (the sum of the\n"
    "            lines with a value and no names since the last blank line, heading, or\n"
    "            line using 小计 or 合计), 合计 (the same sum since the last heading) or\n"
    "            the label of a line above. A name that stands for nothing above makes\n"
    "            the result 找不到： and the name, if the line would be an expression\n"
    "            with a number in its place. A heading (# first), a line of only a\n"
    "            comment and a line of words that names nothing (a note) print\n"
    "            unchanged and count as good lines. An argument holding a LF is that\n"
    "            many lines of the sheet.\n"
    "  --help    print this text.\n"
    "  --version print the version.\n"
    "  --        end of options: what follows is an expression even if it starts\n"
    "            with \"--\".\n"
    "\n"
    "Without an option each line is treated as Enter treats a line of the sheet.\n"
    "An argument that starts with \"--\" and a letter is an option; others, such as\n"
    "-2^2 or --5, are expressions.\n"
    "\n"
    "Exit status: 0 when every line gave a number, 1 when any did not, 2 on an\n"
    "unknown option or when two of --engine, --rmb and --refs are given. Only an empty\n"
    "line does not count (with --refs, nor does a line of blanks, a heading, a comment\n"
    "or a note): a line of blanks, or in sheet mode a line of \"=\" signs that is\n"
    "printed unchanged, gave no number.\n";

// What the answers to the lines so far add to standard output and standard error, written
// in one go when the program is about to wait or ends.
struct Answers {
    std::string out;
    std::string err;

    void Write()
    {
        // Standard error first: a message belongs to a line whose answer follows it.
        tolvane::tools::WriteAll(err, true);
        tolvane::tools::WriteAll(out, false);
        err.clear();
        out.clear();
    }
};

// Engine mode: the number, or "error" and the engine's messages. False when the
// line gave no number; an empty line prints "error" but counts as good, a line
// of blanks is text and does not.
bool RunEngineLine(std::string_view line, std::string& out)
{
    using namespace tolvane::engine;
    // The four constants, nothing else; the engine only reads them.
    static const NamedValues kConstants;
    const Evaluation e = EvaluateExpression(line, kConstants);
    if (e.ok) {
        out += FormatNumber(e.value);
        out += '\n';
        return true;
    }
    out += "error";
    if (!e.error.empty()) {
        out += '\t';
        out += e.error;
    }
    out += '\n';
    return line.empty();
}

// Answers every line of standard input, decoded as the window decodes a file it opens
// (sheet/text_decoder.h: a byte-order mark, else UTF-8 or GB18030 line by line); a line ended by
// LF loses a CR in front of it, and a final LF does not start another line. Input is read in
// large blocks and every complete line of a block is answered before the answers are written,
// just before the next read: a file or a full pipe is answered in large writes, while a line typed
// into a terminal (or a pipe that then waits) is answered before the program waits for more.
// Returns whether every line gave a number (or was empty).
template <typename Evaluate> bool AnswerStandardInput(Answers& answers, const Evaluate& evaluate)
{
    constexpr std::size_t kBlock = 1 << 16;
    bool good = true;
    tolvane::sheet::TextDecoder decoder;
    std::string block(kBlock, '\0');
    std::string pending; // decoded, not yet answered: the start of a line
    for (bool end = false; !end;) {
        answers.Write();
        const std::ptrdiff_t count = tolvane::tools::ReadStandardInput(block.data(), kBlock);
        end = count <= 0;
        const std::size_t kept = pending.size();
        decoder.Decode(std::string_view(block.data(), end ? 0 : static_cast<std::size_t>(count)),
                       end, pending);
        std::size_t start = 0;
        // Only the new text can hold the line's end.
        for (std::size_t lf = pending.find('\n', kept); lf != std::string::npos;
             lf = pending.find('\n', start)) {
            std::string_view line(pending.data() + start, lf - start);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            good &= evaluate(line);
            start = lf + 1;
        }
        pending.erase(0, start);
    }
    if (!pending.empty())
        good &= evaluate(pending);
    answers.Write();
    return good;
}

} // namespace

int main(int argc, char** argv)
{
    bool engine = false;
    bool amount = false;
    bool references = false;
    bool optionsDone = false;
    std::vector<std::string> expressions;
    const std::vector<std::string> arguments = tolvane::tools::CommandLineArguments(argc, argv);
    for (const std::string_view arg : arguments) {
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
            } else if (arg == "--refs") {
                references = true;
            } else if (arg == "--help") {
                tolvane::tools::WriteAll(std::string(kUsage) + '\n' + std::string(kHelp), false);
                return 0;
            } else if (arg == "--version") {
                tolvane::tools::WriteAll("tolvane-eval " + std::string(tolvane::kVersion) + '\n',
                                         false);
                return 0;
            } else {
                tolvane::tools::WriteAll("tolvane-eval: unknown option " + std::string(arg) + '\n' +
                                             std::string(kUsage),
                                         true);
                return 2;
            }
        } else {
            expressions.emplace_back(arg);
        }
    }
    if (engine + amount + references > 1) {
        const std::string_view first = engine ? "--engine" : "--rmb";
        const std::string_view second = references ? "--refs" : "--rmb";
        tolvane::tools::WriteAll("tolvane-eval: " + std::string(first) + " and " +
                                     std::string(second) + " exclude each other\n" +
                                     std::string(kUsage),
                                 true);
        return 2;
    }
    Answers answers;
    tolvane::sheet::SheetReader reader;
    const auto evaluate = [engine, amount, references, &answers, &reader](std::string_view line) {
        if (engine)
            return RunEngineLine(line, answers.out);
        if (amount)
            return tolvane::tools::RunAmountLine(line, answers.out, answers.err);
        if (references)
            return tolvane::tools::RunReferenceLine(reader, line, answers.out, answers.err);
        return tolvane::tools::RunSheetLine(line, answers.out, answers.err);
    };
    bool good = true;
    if (!expressions.empty()) {
        for (const std::string& expression : expressions)
            good &= evaluate(expression);
        answers.Write();
    } else {
        good = AnswerStandardInput(answers, evaluate);
    }
    return good ? 0 : 1;
}
