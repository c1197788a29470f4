#pragma once
// The byte encoding shared by every document file (.vpo, .scn, .vpd, .isq). A document writes
// its fields and object lists into a CArchive and reads them back in the same order; stations
// of the Windows lineage read and write the very same bytes, so every rule of the encoding
// lives in this one class.
//
// Loading never trusts the file: every count and length is checked against the bytes that are
// left before anything is allocated, and the first inconsistency makes the archive fail (a
// sticky error; later reads return zeros). Failure is a value, never an exception.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CArchive;
class CAtomicFile;
class CDVector4;
class CIVector4;
class CSerializable;

// One stored class: the name and schema written in its class description and the factory that
// makes an empty object of it when loading. Classes that are only ever embedded (the vectors)
// have no factory: a file that names them as an object is refused.
struct SClassInfo {
    const char* name;
    uint16_t schema;
    std::unique_ptr<CSerializable> (*create)();
};

// Base of everything that can be written as an object (with a class description) into an
// archive.
class CSerializable {
  public:
    virtual ~CSerializable() = default;
    virtual const SClassInfo& GetRuntimeClass() const = 0;
    // Writes or reads the object's record; the archive says which. A class calls its base
    // class's Serialize first.
    virtual void Serialize(CArchive& ar) = 0;
};

// Why an archive failed.
enum class EArchiveError {
    None,
    UnexpectedFormat,  // bad tag, unknown class, wrong schema, early end, impossible count
    ReadError,         // the file system failed while reading (SystemError() has errno)
    WriteError,        // the file system failed while writing (SystemError() has errno)
    Reported,          // the object showed its own message (a value buffer could not be had)
};

// Looks a class up by the name written in a class description (the program's class table).
const SClassInfo* FindSerialClass(std::string_view name);
// Adds a stored class of a room above this one (display layers) to the table; a name already
// known is ignored.
void RegisterSerialClass(const SClassInfo& cls);

class CArchive {
  public:
    // A storing archive that collects the bytes in memory (Bytes()/TakeBytes()).
    CArchive();
    // A storing archive that writes through to an open atomic file. Call Flush() before
    // committing the file.
    explicit CArchive(CAtomicFile& file);
    // A loading archive over bytes in memory; the bytes must outlive the archive.
    explicit CArchive(std::string_view bytes);
    explicit CArchive(std::string&& temporary) = delete;  // would read freed bytes
    // A loading archive over an open file descriptor holding `size` bytes from its current
    // position (read through a buffer; the descriptor stays the caller's).
    CArchive(int fd, uint64_t size);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return storing; }
    bool IsLoading() const { return !storing; }

    bool Failed() const { return error != EArchiveError::None; }
    EArchiveError Error() const { return error; }
    int SystemError() const { return sysError; }
    // Sets the error (the first one stays).
    void Fail(EArchiveError why, int sysErrno = 0);

    // Loading: bytes not read yet.
    uint64_t Remaining() const { return remaining; }
    // Loading: true when `count` elements of at least `bytesEach` bytes could still follow;
    // otherwise the archive fails with UnexpectedFormat. Call before allocating for a count.
    bool CanHold(uint64_t count, uint64_t bytesEach);

    // Storing: moves buffered bytes to the file. False (and WriteError) when the file failed.
    bool Flush();
    // Storing in memory: the bytes written so far.
    const std::string& Bytes() const { return out; }
    std::string TakeBytes() { return std::move(out); }

    // ---- Primitive writes --------------------------------------------------------------
    void WriteByte(uint8_t v) { Put(&v, 1); }
    void WriteWord(uint16_t v) { PutLE(v); }
    void WriteDWord(uint32_t v) { PutLE(v); }
    void WriteDouble(double v) { PutLE(v); }
    // The 64-bit time written as its low 32 bits.
    void WriteTime(int64_t t) { PutLE(static_cast<uint32_t>(static_cast<uint64_t>(t))); }
    void WriteString(std::string_view s);
    void WriteCount(uint64_t count);
    void WriteRaw(const void* data, size_t size) { Put(data, size); }
    // Writes an object reference: 0x0000 for none, a back-reference for an object written
    // before, otherwise the class (description or reference) and the object's record.
    void WriteObject(const CSerializable* object);

    // ---- Primitive reads (0 after a failure) ---------------------------------------------
    uint8_t ReadByte() {
        uint8_t v = 0;
        Get(&v, 1);
        return v;
    }
    uint16_t ReadWord() { return GetLE<uint16_t>(); }
    uint32_t ReadDWord() { return GetLE<uint32_t>(); }
    double ReadDouble() { return GetLE<double>(); }
    // Read as a signed 32-bit value and sign-extended.
    int64_t ReadTime() { return static_cast<int32_t>(GetLE<uint32_t>()); }
    std::string ReadString();
    // A count (WORD, or 0xFFFF and a DWORD).
    uint64_t ReadCount();
    bool ReadRaw(void* data, size_t size) { return Get(data, size); }

    // Reads an object reference. A new object is created, numbered and read; it is returned in
    // `owned` (only when `accept` takes its class: checked before its record is read, so a
    // file cannot nest objects where they do not belong). A back-reference returns the earlier
    // object in `shared` without ownership. None: both stay empty. False on failure.
    using ClassFilter = bool (*)(const CSerializable& fresh);
    bool ReadObject(std::unique_ptr<CSerializable>& owned, CSerializable*& shared,
                    ClassFilter accept = nullptr);
    // An element of an owning list: must be a new object that `accept` takes. A back-reference
    // (the object would be owned twice) or a class `accept` refuses fails the archive. A null
    // reference returns null without failing.
    std::unique_ptr<CSerializable> ReadOwnedObject(ClassFilter accept);

    // ---- Two-way field helpers: write when storing, read when loading --------------------
    // Integer and BOOL fields travel as WORDs (their low 16 bits) and come back zero-extended.
    void Word(int& v) {
        if (storing)
            WriteWord(static_cast<uint16_t>(v));
        else
            v = ReadWord();
    }
    void Word(uint16_t& v) {
        if (storing)
            WriteWord(v);
        else
            v = ReadWord();
    }
    void Word(bool& v) {
        if (storing)
            WriteWord(v ? 1 : 0);
        else
            v = ReadWord() != 0;
    }
    // A WORD read back as a signed 16-bit value (fields where -1 must survive).
    void SignedWord(int& v) {
        if (storing)
            WriteWord(static_cast<uint16_t>(v));
        else
            v = static_cast<int16_t>(ReadWord());
    }
    void DWord(int32_t& v) {
        if (storing)
            WriteDWord(static_cast<uint32_t>(v));
        else
            v = static_cast<int32_t>(ReadDWord());
    }
    void Double(double& v) {
        if (storing)
            WriteDouble(v);
        else
            v = ReadDouble();
    }
    void Time(int64_t& v) {
        if (storing)
            WriteTime(v);
        else
            v = ReadTime();
    }
    void String(std::string& v) {
        if (storing)
            WriteString(v);
        else
            v = ReadString();
    }
    // A vector embedded in a record: x, y, z, w as four doubles.
    void Vector(CDVector4& v);
    // x, y, z, w as four WORDs (only 0..65535 survive; -1 comes back 65535).
    void Vector(CIVector4& v);
    // `count` doubles as they lie in memory (little-endian machines only, as the files are).
    void Doubles(double* values, size_t count);

    // Nesting depth of objects being read (a guard against files that nest without end).
    static constexpr int kMaxDepth = 32;

  private:
    struct SLoadEntry {
        const SClassInfo* cls = nullptr;  // a class entry
        CSerializable* object = nullptr;  // or an object entry
    };

    void Put(const void* data, size_t size) {
        if (out.size() + size > kFlushAt && file) Flush();
        out.append(static_cast<const char*>(data), size);
    }
    template <class T>
    void PutLE(T v) {
        static_assert(std::endian::native == std::endian::little);
        Put(&v, sizeof v);
    }
    bool Get(void* data, size_t size) {
        if (static_cast<size_t>(end - pos) >= size) {
            std::memcpy(data, pos, size);
            pos += size;
            remaining -= size;
            return true;
        }
        return GetSlow(data, size);
    }
    template <class T>
    T GetLE() {
        T v{};
        Get(&v, sizeof v);
        return v;
    }
    bool GetSlow(void* data, size_t size);
    bool Refill();
    void WriteClassTag(const SClassInfo& cls);
    uint64_t NewMapIndex();

    static constexpr size_t kFlushAt = 1 << 18;
    static constexpr size_t kReadChunk = 1 << 20;

    bool storing;
    EArchiveError error = EArchiveError::None;
    int sysError = 0;

    // Storing.
    std::string out;
    CAtomicFile* file = nullptr;
    std::unordered_map<const void*, uint32_t> storeMap;  // class info or object -> number
    uint32_t mapCount = 1;                               // 0 stands for no object

    // Loading.
    const char* pos = nullptr;
    const char* end = nullptr;
    uint64_t remaining = 0;
    int fd = -1;
    uint64_t fileLeft = 0;  // bytes still in the file beyond the buffer
    std::vector<char> chunk;
    std::vector<SLoadEntry> loadMap;  // index = number
    int depth = 0;
};

// An owned list of T: count, then each element as a new object that `accept` takes. Empty
// references are skipped; `minBytesEach` bounds the count by what the file could still hold.
template <class T>
void SerializeOwnedList(CArchive& ar, std::vector<std::unique_ptr<T>>& list,
                        CArchive::ClassFilter accept, uint64_t minBytesEach) {
    if (ar.IsStoring()) {
        ar.WriteCount(list.size());
        for (const auto& item : list)
            ar.WriteObject(item.get());
        return;
    }
    list.clear();
    const uint64_t count = ar.ReadCount();
    if (!ar.CanHold(count, minBytesEach)) return;
    list.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count && !ar.Failed(); ++i) {
        std::unique_ptr<CSerializable> object = ar.ReadOwnedObject(accept);
        if (!object) continue;  // an empty reference holds nothing worth keeping
        list.emplace_back(static_cast<T*>(object.release()));
    }
}

// Reads the file `path` through a loading archive handed to `read` (buffered, checked against
// the file's size). False with the user's message when the file cannot be opened or `read`
// left the archive failed.
bool ReadArchiveFile(const std::string& path, const std::function<void(CArchive&)>& read,
                     std::string& message);
// Writes through a storing archive handed to `write` into a temporary file that replaces
// `path` only when complete and on disk. False with the user's message; the old file stays.
bool WriteArchiveFile(const std::string& path, const std::function<void(CArchive&)>& write,
                      std::string& message);

// The user's text for a failed load or save of `path` (the document file messages).
std::string ArchiveFailureMessage(EArchiveError error, int sysErrno, const std::string& path,
                                  bool saving);
// The text for a file-system error number, with %1 replaced by `path`.
std::string FileErrorMessage(int sysErrno, const std::string& path);

// Declares a stored class's run-time class; its SClassInfo is defined in the class table
// (obs/ObsRegistry.cpp), so that adding a stored class is one line there.
#define VELM_DECLARE_SERIAL(cls)                         \
  public:                                                \
    static const SClassInfo classInfo;                   \
    const SClassInfo& GetRuntimeClass() const override { \
        return classInfo;                                \
    }
