#include "tools/sheet_mode.h"

#include <iostream>

int main()
{
    std::cerr << "tolvane-eval: not built yet\n";
    return 2;
}
