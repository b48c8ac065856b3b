#include "exchange/reader/confined_io.h"

#include <assimp/IOStream.hpp>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exchange/scene/confined_path.h"

namespace {

// An open regular file, read through its descriptor.
class DescriptorStream : public Assimp::IOStream {
public:
    DescriptorStream(int fd, size_t size) : fd(fd), size(size) {}
    ~DescriptorStream() override { ::close(fd); }
    size_t Read(void* buffer, size_t itemSize, size_t count) override {
        if (itemSize == 0 || count == 0) return 0;
        if (count > size / itemSize + 1) count = size / itemSize + 1;
        size_t wanted = itemSize * count;
        size_t done = 0;
        while (done < wanted) {
            ssize_t got = ::read(fd, static_cast<char*>(buffer) + done, wanted - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        // A partial last item is left to the next read, as fread does.
        size_t items = done / itemSize;
        if (done % itemSize != 0) ::lseek(fd, -static_cast<off_t>(done % itemSize), SEEK_CUR);
        return items;
    }
    size_t Write(const void*, size_t, size_t) override { return 0; }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        size_t base = origin == aiOrigin_SET ? 0 : origin == aiOrigin_CUR ? Tell() : size;
        if (base > size || offset > size - base) return aiReturn_FAILURE;
        return ::lseek(fd, static_cast<off_t>(base + offset), SEEK_SET) < 0 ? aiReturn_FAILURE : aiReturn_SUCCESS;
    }
    size_t Tell() const override {
        off_t at = ::lseek(fd, 0, SEEK_CUR);
        return at < 0 ? 0 : static_cast<size_t>(at);
    }
    size_t FileSize() const override { return size; }
    void Flush() override {}

private:
    int fd;
    size_t size;
};

}  // namespace

ConfinedFiles::ConfinedFiles(std::string folder, std::string model)
    : folder(std::move(folder)), model(std::move(model)) {}

bool ConfinedFiles::Exists(const char* path) const {
    std::string problem;
    int fd = openInsideFolder(folder, path, problem, path == model ? FileRole::Model : FileRole::Companion);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

Assimp::IOStream* ConfinedFiles::Open(const char* path, const char* mode) {
    if (std::strchr(mode, 'w') != nullptr || std::strchr(mode, 'a') != nullptr || std::strchr(mode, '+') != nullptr) {
        refusal = std::string("« ") + path + " » : écriture refusée pendant une lecture";
        return nullptr;
    }
    int fd = openInsideFolder(folder, path, refusal, path == model ? FileRole::Model : FileRole::Companion);
    if (fd < 0) return nullptr;
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        ::close(fd);
        return nullptr;
    }
    return new DescriptorStream(fd, static_cast<size_t>(status.st_size));
}

void ConfinedFiles::Close(Assimp::IOStream* stream) { delete stream; }
