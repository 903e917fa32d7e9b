#include "model/PresetFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>

#include "model/Model.h"

namespace pavo {

bool ContainsExtension(const std::string& path, const std::string& extension) {
    return path.find(extension) != std::string::npos;
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    return ContainsExtension(path, extension) ? path : path + extension;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
    const std::string tmp = path + ".part";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const auto* p = static_cast<const char*>(data);
    size_t done = 0;
    bool ok = true;
    while (done < size) {
        const ssize_t n = ::write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
    std::remove(tmp.c_str());
    return false;
}

bool ReadFilePrefix(const std::string& path, void* data, size_t size) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return false;
    return std::fread(data, 1, size, f.get()) == size;
}

bool WriteDia(const std::string& path, const SystemRecord& system, const ProgramImage& image) {
    auto buf = std::make_unique<uint8_t[]>(kDiaFileSize);
    std::memcpy(buf.get(), BytesOf(system), sizeof system);
    std::memcpy(buf.get() + sizeof system, BytesOf(image), sizeof image);
    return WriteFileAtomically(path, buf.get(), kDiaFileSize);
}

bool ReadDia(const std::string& path, DiaContents& out) {
    static_assert(sizeof(DiaContents) == kDiaFileSize);
    return ReadFilePrefix(path, BytesOf(out), kDiaFileSize);
}

bool WriteDat(const std::string& path, const ProgramBank& bank) {
    return WriteFileAtomically(path, BytesOf(bank), kDatFileSize);
}

bool ReadDat(const std::string& path, ProgramBank& out) {
    return ReadFilePrefix(path, BytesOf(out), kDatFileSize);
}

void ApplyDia(const DiaContents& file) {
    Model& m = TheModel();
    {
        std::lock_guard<std::mutex> guard(ModelLock());
        // The file's system record is not taken over; the program's own is declared sent.
        CopyRecord(m.lastSentSystem, m.system);
        CopyRecord(m.current, file.image);
        const uint8_t* b = BytesOf(file.image);
        m.current.CheckByte = static_cast<uint8_t>(std::accumulate(b, b + sizeof(ProgramImage), 0u));
    }
    AcceptProgram(false);
}

bool ApplyDat(const ProgramBank& bank) {
    Model& m = TheModel();
    bool imageTaken = false;
    {
        std::lock_guard<std::mutex> guard(ModelLock());
        CopyRecord(m.bank, bank);
        m.bank.Valid = 1;
        CopyRecord(m.system, m.bank.System);
        CopyRecord(m.lastSentSystem, m.system);
        const int n = m.system.ProgramNumber;
        if (n >= 1 && n <= kProgramCount) {
            CopyRecord(m.current, m.bank.Programs[n - 1]);
            imageTaken = true;
        }
    }
    // With no stored program to take, the current image and its pending edits stay as they were.
    if (imageTaken) AcceptProgram(false);
    return imageTaken;
}

}  // namespace pavo
