#include "cli/CommandLine.h"

#include <cstdio>
#include <filesystem>
#include <dlfcn.h>

#ifndef WINDOW_MODULE
#error "WINDOW_MODULE names the window's module"
#endif
#ifndef WINDOW_DIR_FROM_BIN
#error "WINDOW_DIR_FROM_BIN is where it is installed, from the program's folder"
#endif

int main(int argc, char* argv[])
{
    // Arguments of its own mean a command: no window, and no display needed.
    if (cli::wantsCommandLine(argc, argv))
        return cli::run(argc, argv);
    // The window and what only it uses (QtWidgets, printing) load here and
    // only here: a command starts without them. The module is found by the
    // program's own place, not a run path, which a preloaded library such as
    // a sanitizer's runtime would stand in front of.
    std::error_code error;
    const std::filesystem::path bin = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    void* module = nullptr;
    const char* why = nullptr;
    for (const std::filesystem::path& place : {bin / WINDOW_DIR_FROM_BIN / WINDOW_MODULE, bin / WINDOW_MODULE})
        if (!module && std::filesystem::exists(place, error) && !(module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)))
            why = dlerror();
    int (*open)(int&, char**) = nullptr;
    if (module && !(open = reinterpret_cast<int (*)(int&, char**)>(dlsym(module, "barcodeGeneratorWindow"))))
        why = dlerror();
    if (!open) {
        if (why)
            std::fprintf(stderr, "barcode-generator: the window cannot open: %s\n", why);
        else
            std::fprintf(stderr, "barcode-generator: the window cannot open: %s is not in %s\n", WINDOW_MODULE,
                         (bin / WINDOW_DIR_FROM_BIN).lexically_normal().c_str());
        return 1;
    }
    return open(argc, argv);
}
