#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

CDynamicLibrary::~CDynamicLibrary() {
    Close();
}

CDynamicLibrary::CDynamicLibrary(CDynamicLibrary&& other) noexcept
    : handle(std::exchange(other.handle, nullptr)), name(std::move(other.name)) {}

CDynamicLibrary& CDynamicLibrary::operator=(CDynamicLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle = std::exchange(other.handle, nullptr);
        name = std::move(other.name);
    }
    return *this;
}

bool CDynamicLibrary::Open(const std::vector<std::string>& names, std::string& why) {
    Close();
    why.clear();
    for (const auto& candidate : names) {
        // RTLD_LOCAL: a vendor library's symbols must not leak into later loads.
        handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle) {
            name = candidate;
            why.clear();
            return true;
        }
        const char* error = ::dlerror();
        if (!why.empty()) why += "\n";
        why += error ? error : candidate + ": cannot be loaded";
    }
    if (names.empty()) why = "no library name given";
    return false;
}

void CDynamicLibrary::Close() {
    if (handle) ::dlclose(handle);
    handle = nullptr;
    name.clear();
}

void* CDynamicLibrary::Symbol(const char* symbol) const {
    if (!handle || !symbol) return nullptr;
    return ::dlsym(handle, symbol);
}
