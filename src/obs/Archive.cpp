#include "obs/Archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/Vector4.h"

namespace {
// Tags of object references.
constexpr uint16_t kNullTag = 0x0000;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000u;
// Class names are written without terminator and are always short.
constexpr uint16_t kMaxClassNameLength = 64;
}  // namespace

CArchive::CArchive() : storing(true) {}

CArchive::CArchive(CAtomicFile& target) : storing(true), file(&target) {
    out.reserve(kFlushAt + 4096);
}

CArchive::CArchive(std::string_view bytes)
    : storing(false), pos(bytes.data()), end(bytes.data() + bytes.size()), remaining(bytes.size()) {
    loadMap.emplace_back();  // number 0: no object
}

CArchive::CArchive(int descriptor, uint64_t size)
    : storing(false), remaining(size), fd(descriptor), fileLeft(size) {
    loadMap.emplace_back();
}

CArchive::~CArchive() = default;

void CArchive::Fail(EArchiveError why, int sysErrno) {
    if (error != EArchiveError::None) return;
    error = why;
    sysError = sysErrno;
    // Later reads see no bytes and return zeros.
    pos = end = nullptr;
    remaining = 0;
    fileLeft = 0;
}

bool CArchive::CanHold(uint64_t count, uint64_t bytesEach) {
    if (Failed()) return false;
    if (bytesEach == 0) bytesEach = 1;
    if (count > remaining / bytesEach) {
        Fail(EArchiveError::UnexpectedFormat);
        return false;
    }
    return true;
}

bool CArchive::Flush() {
    if (!storing || !file) return !Failed();
    if (!out.empty()) {
        if (!Failed() && !file->Write(out.data(), out.size()))
            Fail(EArchiveError::WriteError, file->ErrorCode());
        out.clear();
    }
    return !Failed();
}

// ---- Loading buffer --------------------------------------------------------------------------

bool CArchive::Refill() {
    if (fd < 0 || fileLeft == 0) return false;
    size_t keep = static_cast<size_t>(end - pos);
    // Small files get a small buffer; large ones are read a megabyte at a time.
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(kReadChunk, keep + fileLeft));
    if (chunk.size() < wanted) chunk.resize(wanted);
    if (keep > 0) std::memmove(chunk.data(), pos, keep);
    size_t want = static_cast<size_t>(std::min<uint64_t>(fileLeft, chunk.size() - keep));
    size_t got = 0;
    while (got < want) {
        ssize_t n = ::read(fd, chunk.data() + keep + got, want - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(EArchiveError::ReadError, errno);
            return false;
        }
        if (n == 0) break;  // the file became shorter while we read it
        got += static_cast<size_t>(n);
    }
    fileLeft -= got;
    if (got < want) {
        // What is left can no longer be read: the file ended early.
        remaining = keep + got;
        fileLeft = 0;
    }
    pos = chunk.data();
    end = chunk.data() + keep + got;
    return got > 0;
}

bool CArchive::GetSlow(void* data, size_t size) {
    if (Failed()) {
        std::memset(data, 0, size);
        return false;
    }
    char* dst = static_cast<char*>(data);
    const size_t wanted = size;
    while (size > 0) {
        size_t have = static_cast<size_t>(end - pos);
        if (have >= size) {
            std::memcpy(dst, pos, size);
            pos += size;
            remaining -= size;
            return true;
        }
        if (have > 0) {
            std::memcpy(dst, pos, have);
            pos += have;
            remaining -= have;
            dst += have;
            size -= have;
        }
        if (!Refill()) {
            if (!Failed()) Fail(EArchiveError::UnexpectedFormat);
            std::memset(data, 0, wanted);
            return false;
        }
    }
    return true;
}

// ---- Strings and counts ------------------------------------------------------------------------

void CArchive::WriteString(std::string_view s) {
    const uint64_t n = s.size();
    if (n < 0xFF) {
        WriteByte(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteByte(0xFF);
        WriteWord(static_cast<uint16_t>(n));
    } else if (n < 0xFFFFFFFFull) {
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDWord(static_cast<uint32_t>(n));
    } else {
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDWord(0xFFFFFFFFu);
        PutLE<uint64_t>(n);
    }
    Put(s.data(), s.size());
}

std::string CArchive::ReadString() {
    bool wide = false;
    uint64_t n = ReadByte();
    if (n == 0xFF) {
        n = ReadWord();
        if (n == 0xFFFE) {
            // A string written as wide characters: the length prefix follows again.
            wide = true;
            n = ReadByte();
            if (n == 0xFF) n = ReadWord();
        }
        if (n == 0xFFFF) {
            n = ReadDWord();
            if (n == 0xFFFFFFFFu) n = GetLE<uint64_t>();
        }
    }
    if (Failed() || !CanHold(n, wide ? 2 : 1)) return std::string();
    std::string s;
    if (!wide) {
        s.resize(static_cast<size_t>(n));
        Get(s.data(), s.size());
        return Failed() ? std::string() : s;
    }
    // This program keeps 8-bit text: wide characters outside that range become '?'.
    s.reserve(static_cast<size_t>(n));
    for (uint64_t i = 0; i < n && !Failed(); ++i) {
        uint16_t c = ReadWord();
        s.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    }
    return Failed() ? std::string() : s;
}

void CArchive::WriteCount(uint64_t count) {
    if (count < 0xFFFF) {
        WriteWord(static_cast<uint16_t>(count));
    } else {
        WriteWord(0xFFFF);
        WriteDWord(static_cast<uint32_t>(std::min<uint64_t>(count, 0xFFFFFFFFu)));
    }
}

uint64_t CArchive::ReadCount() {
    uint64_t n = ReadWord();
    if (n == 0xFFFF) n = ReadDWord();
    return Failed() ? 0 : n;
}

void CArchive::Vector(CDVector4& v) {
    Double(v.x);
    Double(v.y);
    Double(v.z);
    Double(v.w);
}

void CArchive::Vector(CIVector4& v) {
    int c[4] = {v.x, v.y, v.z, v.w};
    for (int& e : c)
        Word(e);
    v.x = c[0];
    v.y = c[1];
    v.z = c[2];
    v.w = c[3];
}

void CArchive::Doubles(double* values, size_t count) {
    static_assert(sizeof(double) == 8 && std::endian::native == std::endian::little);
    if (storing)
        Put(values, count * sizeof(double));
    else
        Get(values, count * sizeof(double));
}

// ---- Object references
// ---------------------------------------------------------------------------

uint64_t CArchive::NewMapIndex() {
    return mapCount++;
}

void CArchive::WriteClassTag(const SClassInfo& cls) {
    auto it = storeMap.find(&cls);
    if (it != storeMap.end()) {
        uint32_t index = it->second;
        if (index < kBigObjectTag) {
            WriteWord(static_cast<uint16_t>(kClassTag | index));
        } else {
            WriteWord(kBigObjectTag);
            WriteDWord(kBigClassTag | index);
        }
        return;
    }
    WriteWord(kNewClassTag);
    WriteWord(cls.schema);
    const uint16_t length = static_cast<uint16_t>(std::strlen(cls.name));
    WriteWord(length);
    Put(cls.name, length);
    storeMap.emplace(&cls, static_cast<uint32_t>(NewMapIndex()));
}

void CArchive::WriteObject(const CSerializable* object) {
    if (object == nullptr) {
        WriteWord(kNullTag);
        return;
    }
    auto it = storeMap.find(object);
    if (it != storeMap.end()) {
        uint32_t index = it->second;
        if (index < kBigObjectTag) {
            WriteWord(static_cast<uint16_t>(index));
        } else {
            WriteWord(kBigObjectTag);
            WriteDWord(index);
        }
        return;
    }
    WriteClassTag(object->GetRuntimeClass());
    // Numbered before its record, so objects inside the record number after it.
    storeMap.emplace(object, static_cast<uint32_t>(NewMapIndex()));
    const_cast<CSerializable*>(object)->Serialize(*this);
}

bool CArchive::ReadObject(std::unique_ptr<CSerializable>& owned, CSerializable*& shared,
                          ClassFilter accept) {
    owned.reset();
    shared = nullptr;
    if (Failed()) return false;
    const uint16_t tag = ReadWord();
    uint32_t obTag = 0;
    if (tag == kBigObjectTag) {
        obTag = ReadDWord();
    } else {
        obTag = (static_cast<uint32_t>(tag & kClassTag) << 16) | (tag & ~kClassTag & 0xFFFFu);
    }
    if (Failed()) return false;

    const SClassInfo* cls = nullptr;
    if (tag == kNewClassTag) {
        const uint16_t schema = ReadWord();
        const uint16_t length = ReadWord();
        if (Failed()) return false;
        if (length >= kMaxClassNameLength || !CanHold(length, 1)) {
            Fail(EArchiveError::UnexpectedFormat);
            return false;
        }
        char name[kMaxClassNameLength];
        if (!Get(name, length)) return false;
        cls = FindSerialClass(std::string_view(name, length));
        if (cls == nullptr || cls->schema != schema || cls->create == nullptr) {
            Fail(EArchiveError::UnexpectedFormat);
            return false;
        }
        loadMap.push_back({cls, nullptr});
    } else if (obTag & kBigClassTag) {
        const uint32_t index = obTag & ~kBigClassTag;
        if (index == 0 || index >= loadMap.size() || loadMap[index].cls == nullptr) {
            Fail(EArchiveError::UnexpectedFormat);
            return false;
        }
        cls = loadMap[index].cls;
    } else {
        if (obTag == 0) return true;  // no object
        if (obTag >= loadMap.size() || loadMap[obTag].object == nullptr) {
            Fail(EArchiveError::UnexpectedFormat);
            return false;
        }
        shared = loadMap[obTag].object;
        return true;
    }

    if (depth >= kMaxDepth) {
        Fail(EArchiveError::UnexpectedFormat);
        return false;
    }
    std::unique_ptr<CSerializable> object = cls->create();
    if (!object || (accept && !accept(*object))) {
        Fail(EArchiveError::UnexpectedFormat);
        return false;
    }
    loadMap.push_back({nullptr, object.get()});
    ++depth;
    object->Serialize(*this);
    --depth;
    if (Failed()) return false;
    owned = std::move(object);
    return true;
}

std::unique_ptr<CSerializable> CArchive::ReadOwnedObject(ClassFilter accept) {
    std::unique_ptr<CSerializable> owned;
    CSerializable* shared = nullptr;
    if (!ReadObject(owned, shared, accept)) return nullptr;
    if (shared != nullptr) {
        // Another list owns that object already; taking it here would free it twice.
        Fail(EArchiveError::UnexpectedFormat);
        return nullptr;
    }
    return owned;
}

// ---- Messages
// ------------------------------------------------------------------------------------

std::string FileErrorMessage(int sysErrno, const std::string& path) {
    const char* text = nullptr;
    switch (sysErrno) {
        case ENOENT:
            text = "%1 was not found.";
            break;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case ELOOP:
            text = "%1 contains an invalid path.";
            break;
        case EMFILE:
        case ENFILE:
            text = "%1 could not be opened because there are too many open files.";
            break;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            text = "Access to %1 was denied.";
            break;
        case EBADF:
            text = "An invalid file handle was associated with %1.";
            break;
        case EBUSY:
            text = "%1 could not be removed because it is the current directory.";
            break;
        case EMLINK:
            text = "%1 could not be created because the directory is full.";
            break;
        case ESPIPE:
            text = "Seek failed on %1";
            break;
        case EIO:
            text = "A hardware I/O error was reported while accessing %1.";
            break;
        case ETXTBSY:
            text = "A sharing violation occurred while accessing %1.";
            break;
        case ENOLCK:
        case EDEADLK:
            text = "A locking violation occurred while accessing %1.";
            break;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            text = "Disk full while accessing %1.";
            break;
        default:
            text = "An unknown error occurred while accessing %1.";
            break;
    }
    std::string message(text);
    size_t at = message.find("%1");
    if (at != std::string::npos) message.replace(at, 2, path);
    return message;
}

bool ReadArchiveFile(const std::string& path, const std::function<void(CArchive&)>& read,
                     std::string& message) {
    message.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        message = FileErrorMessage(errno, path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int code = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        message = FileErrorMessage(code, path);
        return false;
    }
    CArchive ar(fd, st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0);
    read(ar);
    ::close(fd);
    if (!ar.Failed()) return true;
    message = ArchiveFailureMessage(ar.Error(), ar.SystemError(), path, false);
    return false;
}

bool WriteArchiveFile(const std::string& path, const std::function<void(CArchive&)>& write,
                      std::string& message) {
    message.clear();
    CAtomicFile file;
    if (!file.Open(path)) {
        message = ArchiveFailureMessage(EArchiveError::WriteError, file.ErrorCode(), path, true);
        return false;
    }
    CArchive ar(file);
    write(ar);
    ar.Flush();
    if (ar.Failed() || !file.Commit()) {
        // The old file stays as it was; the temporary one is removed.
        const int code = ar.Failed() ? ar.SystemError() : file.ErrorCode();
        const EArchiveError error = ar.Failed() ? ar.Error() : EArchiveError::WriteError;
        file.Abort();
        message = ArchiveFailureMessage(error, code, path, true);
        return false;
    }
    return true;
}

std::string ArchiveFailureMessage(EArchiveError error, int sysErrno, const std::string& path,
                                  bool saving) {
    switch (error) {
        case EArchiveError::None:
        case EArchiveError::Reported:
            return std::string();
        case EArchiveError::UnexpectedFormat:
            return "Unexpected file format.";
        case EArchiveError::ReadError:
        case EArchiveError::WriteError:
            if (sysErrno != 0) return FileErrorMessage(sysErrno, path);
            break;
    }
    return saving ? "Failed to save document." : "Failed to open document.";
}
