#pragma once
// A shared library loaded at run time (dlopen), for vendor libraries the program must run
// without: when the library is missing the caller gets a reason to show, never a crash.

#include <string>
#include <vector>

class CDynamicLibrary {
  public:
    CDynamicLibrary() = default;
    ~CDynamicLibrary();
    CDynamicLibrary(CDynamicLibrary&& other) noexcept;
    CDynamicLibrary& operator=(CDynamicLibrary&& other) noexcept;
    CDynamicLibrary(const CDynamicLibrary&) = delete;
    CDynamicLibrary& operator=(const CDynamicLibrary&) = delete;

    // Loads the first of `names` that loads (a bare name is searched the way the system's
    // loader does, a name with "/" is a path). False with the loader's reasons otherwise.
    bool Open(const std::vector<std::string>& names, std::string& why);
    bool IsOpen() const { return handle != nullptr; }
    // The name that loaded.
    const std::string& Name() const { return name; }
    void Close();

    // The address of an exported symbol, or null.
    void* Symbol(const char* symbol) const;

    // Resolves `symbol` into the function pointer `fn`; false when the library lacks it.
    template <typename F>
    bool Resolve(const char* symbol, F& fn) const {
        void* address = Symbol(symbol);
        fn = reinterpret_cast<F>(address);
        return address != nullptr;
    }

  private:
    void* handle = nullptr;
    std::string name;
};
