// Lines no one should type but someone will paste: huge, deeply nested, full
// of calls or operators, or holding bytes that are not text. The hostile-input
// tests check what Enter writes for each; the hostile-input benchmark times it.
#pragma once

#include <QString>

#include <vector>

namespace tolvane::hostile {

struct Case {
    const char* name;
    QString line;
    QString result; // what Enter writes behind the line's "="
};

inline QString Repeat(const QString& piece, int count)
{
    return piece.repeated(count);
}

inline std::vector<Case> EnterCases()
{
    return {
        // 500,000 ones added up: a line of almost a megabyte, plain arithmetic.
        {"one megabyte line", QStringLiteral("1") + Repeat(QStringLiteral("+1"), 499'999),
         QStringLiteral("500000")},
        {"100000 nested parentheses",
         Repeat(QStringLiteral("("), 100'000) + QStringLiteral("1") +
             Repeat(QStringLiteral(")"), 100'000),
         QStringLiteral("1")},
        {"10000 function calls",
         QStringLiteral("abs(1)") + Repeat(QStringLiteral("+abs(1)"), 9'999),
         QStringLiteral("10000")},
        {"100000 operators", Repeat(QStringLiteral("+"), 100'000),
         QStringLiteral("加法表达式错误")},
        {"control characters", QStringLiteral("1+\x01\x07\t2\x1b"),
         QStringLiteral("加法表达式错误")},
    };
}

// About five megabytes of sheet lines, as a paste brings them.
inline QString FiveMegabytePaste()
{
    return Repeat(QStringLiteral("12345+67890*(3-1)/7\n"), 250'000);
}

} // namespace tolvane::hostile
