// File access of the recipient key list for the native build (POSIX calls), so that the list's
// file handling runs under the sanitizers too.
#include "engine/AutoListFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TListFileRead ReadListFile(const std::string& fileName, std::string& text)
{
    const int fd = open(fileName.c_str(), O_RDONLY);
    if (fd < 0)
        return errno == ENOENT ? TListFileRead::Missing : TListFileRead::Failed;
    std::string data;
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            close(fd);
            return TListFileRead::Failed;
        }
        if (n == 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    text.swap(data);
    return TListFileRead::Ok;
}

int64_t ListFileStamp(const std::string& fileName)
{
    struct stat info { };
    if (stat(fileName.c_str(), &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

int64_t ListFileSize(const std::string& fileName)
{
    struct stat info { };
    if (stat(fileName.c_str(), &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_size);
}

TListFileOpen EnsureListFile(const std::string& fileName)
{
    int fd = open(fileName.c_str(), O_RDWR);
    if (fd >= 0) {
        close(fd);
        return TListFileOpen::Existing;
    }
    if (errno != ENOENT) {
        struct stat info { };
        return stat(fileName.c_str(), &info) == 0 ? TListFileOpen::Existing : TListFileOpen::Unavailable;
    }
    fd = open(fileName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return TListFileOpen::Unavailable;
    close(fd);
    return TListFileOpen::Created;
}

static bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool CommitListFile(const std::string& fileName, const std::string& text)
{
    std::string temp = fileName + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, text) && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temp.c_str(), fileName.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}
