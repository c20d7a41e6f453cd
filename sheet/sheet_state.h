// What the window remembers between events about the sheet.
#pragma once

#include <memory>

namespace tolvane::sheet {

class ReferenceCache; // references.cpp

struct SheetState {
    // The line the window treats as current: the line after the last evaluation, the line last
    // clicked, or the line the help text leaves the caret on. Keyboard moves do not change it.
    int currentLine = 0;
    // Caret position recorded at the last mouse click; 0 means no click is recorded (a click on
    // the very first position therefore records nothing). The next Enter evaluates that line.
    int clickPos = 0;
    // The switch 引用与合计: Enter reads a line that gives no number by the rules of
    // references.h. Off, every line is written as if references did not exist.
    bool references = false;
    // What the reading of references knows of lines by their text (a line without names has the
    // same value wherever it stands), made on first use and bounded in size. Copies of the state
    // share it, which is sound for the same reason.
    std::shared_ptr<ReferenceCache> referenceCache;
};

} // namespace tolvane::sheet
