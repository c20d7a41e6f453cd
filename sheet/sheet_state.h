// What the window remembers between events about the sheet.
#pragma once

namespace tolvane::sheet {

struct SheetState {
    // The line the window treats as current: the line after the last evaluation, the line last
    // clicked, or the line the help text leaves the caret on. Keyboard moves do not change it.
    int currentLine = 0;
    // Caret position recorded at the last mouse click; 0 means no click is recorded (a click on
    // the very first position therefore records nothing). The next Enter evaluates that line.
    int clickPos = 0;
};

} // namespace tolvane::sheet
