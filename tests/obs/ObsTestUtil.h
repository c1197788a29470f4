#pragma once
// Helpers for the document tests: byte strings written by hand, and objects saved and loaded
// through an archive in memory.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "obs/Archive.h"

// Bytes from a list of values 0..255.
inline std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

inline std::string Le16(uint16_t v) {
    return B({v & 0xFF, v >> 8});
}
inline std::string Le32(uint32_t v) {
    return B({static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
              static_cast<int>((v >> 16) & 0xFF), static_cast<int>(v >> 24)});
}
inline std::string LeDouble(double d) {
    std::string s(8, '\0');
    __builtin_memcpy(s.data(), &d, 8);
    return s;
}
// A class description as written before the first object of a class.
inline std::string NewClass(const std::string& name) {
    return B({0xFF, 0xFF, 0x01, 0x00}) + Le16(static_cast<uint16_t>(name.size())) + name;
}

// The bytes of `object` written as an object reference into a fresh archive.
inline std::string StoreObject(const CSerializable& object) {
    CArchive ar;
    ar.WriteObject(&object);
    return ar.TakeBytes();
}

// Reads one object reference from `bytes`; null (and `error` set) on failure.
template <class T>
std::unique_ptr<T> LoadObject(const std::string& bytes, EArchiveError* error = nullptr) {
    CArchive ar(bytes);
    std::unique_ptr<CSerializable> owned;
    CSerializable* shared = nullptr;
    ar.ReadObject(owned, shared);
    if (error) *error = ar.Error();
    if (ar.Failed() || !owned) return nullptr;
    T* typed = dynamic_cast<T*>(owned.get());
    if (!typed) return nullptr;
    owned.release();
    return std::unique_ptr<T>(typed);
}
