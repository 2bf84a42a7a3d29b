#include "ProcessExit.h"

#include <cstdio>
#include <cstdlib>

void exitSkippingTeardown(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}
