#include "cli/CommandLine.h"

#include <cstdio>
#include <dlfcn.h>

#ifndef WINDOW_MODULE
#error "WINDOW_MODULE names the window's module"
#endif

int main(int argc, char* argv[])
{
    // Arguments of its own mean a command: no window, and no display needed.
    if (cli::wantsCommandLine(argc, argv))
        return cli::run(argc, argv);
    // The window and what only it uses (QtWidgets, printing, QtSvg) load here
    // and only here: a command starts without them. The run path finds the
    // module beside the program when built and in its library folder when
    // installed.
    void* module = dlopen(WINDOW_MODULE, RTLD_NOW | RTLD_LOCAL);
    const auto open =
        module ? reinterpret_cast<int (*)(int&, char**)>(dlsym(module, "barcodeGeneratorWindow")) : nullptr;
    if (!open) {
        std::fprintf(stderr, "barcode-generator: the window cannot open: %s\n", dlerror());
        return 1;
    }
    return open(argc, argv);
}
