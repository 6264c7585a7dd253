#include "WidgetSide.h"

#include <QCoreApplication>

#include <cstdio>
#include <dlfcn.h>
#include <string>

namespace parvexlib {
namespace {

// The folder this library was mapped from, with a trailing slash; empty when the loader cannot tell.
std::string OwnFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&OwnFolder), &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::string file = info.dli_fname;
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

const WidgetFunctions* Open()
{
    const std::string folder = OwnFolder();
    if (folder.empty())
        return nullptr;
    const std::string file = folder + kWidgetLibraryFile;
    // Never closed: widgets made through it may outlive any caller of the library.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "parvexlib: %s\n", dlerror());
        std::fflush(stderr);
        return nullptr;
    }
    const auto entry = reinterpret_cast<WidgetEntry>(dlsym(handle, kWidgetEntryName));
    const WidgetFunctions* table = entry == nullptr ? nullptr : entry();
    if (table == nullptr || table->version != kWidgetFunctionsVersion) {
        std::fprintf(stderr, "parvexlib: %s does not match this library\n", file.c_str());
        std::fflush(stderr);
        dlclose(handle);
        return nullptr;
    }
    return table;
}

} // namespace

const WidgetFunctions* WidgetSide()
{
    // Asked by class name: including QApplication would tie this library to QtWidgets again.
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || !app->inherits("QApplication"))
        return nullptr;
    // Tried once; a companion that failed to load is not looked for again.
    static const WidgetFunctions* const functions = Open();
    return functions;
}

} // namespace parvexlib
