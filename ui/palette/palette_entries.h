// The palette's content as data: six groups of function buttons, each button with the template
// it inserts (its caption), its hint, its place inside its group and its tab position.
//
// The captions are inserted into the sheet exactly as they stand, so "frac() " and "s_poly() "
// keep their trailing blank, and "logN(a,N)" goes in whole. Hints are shown as they stand,
// unbalanced brackets included.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace tolvane::ui::palette {

struct ButtonEntry {
    std::string_view name;    // objectName, e.g. "cxButton17"
    std::string_view caption; // the template a click inserts, UTF-8
    std::string_view hint;    // tooltip, UTF-8; empty for none
    int left = 0;
    int top = 0;
    int width = 0;
    int tabOrder = 0; // focus order inside the group, from 0
};

struct GroupEntry {
    std::string_view name;    // objectName, e.g. "GroupBox3"
    std::string_view caption; // UTF-8
    int height = 0;
    std::span<const ButtonEntry> buttons; // rows left to right, top row first
};

inline constexpr int kButtonHeight = 25;
inline constexpr int kButtonFontPixels = 15;
inline constexpr int kClientWidth = 342;
inline constexpr int kClientHeight = 393;

// The window caption: full-width brackets around ASCII quotation marks, two blanks before 隔开.
inline constexpr std::string_view kCaption = "常用函数（多个参数用英文字符 \" , \"  隔开）";

// The six groups from top to bottom.
[[nodiscard]] std::span<const GroupEntry> Groups();

} // namespace tolvane::ui::palette
