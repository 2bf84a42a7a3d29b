#include "Shell/Launcher.h"
#include "ProcessExit.h"

int main(int argc, char **argv)
{
    exitSkippingTeardown(Launcher::run(argc, argv));
}
