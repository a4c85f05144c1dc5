#include "FileRead.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace {

FileReadResult unreadable(std::string* why, std::string reason) {
    if (why)
        *why = std::move(reason);
    return FileReadResult::Unreadable;
}

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

// Closes the descriptor when it goes.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

FileReadResult ReadRegularFile(const QString& path, qint64 limit, QByteArray& content,
                               std::string* why) {
    content.clear();
    // Opened without blocking, so that a FIFO behind the name cannot stop the caller; what
    // was opened is then checked, not the name, which may change meanwhile.
    const Descriptor file{
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return unreadable(why, systemReason(errno));
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return unreadable(why, systemReason(errno));
    if (S_ISDIR(info.st_mode))
        return unreadable(why, "It is a folder, not a file");
    if (!S_ISREG(info.st_mode))
        return unreadable(why, "It is a device, pipe or socket, not a regular file");
    if (info.st_size > limit)
        return FileReadResult::TooLarge;

    // The size may grow while reading: at most one byte past the limit is read to tell.
    content.resize(static_cast<qsizetype>(info.st_size) + 1);
    qint64 filled = 0;
    for (;;) {
        if (filled == content.size()) {
            if (filled > limit)
                break;
            content.resize(static_cast<qsizetype>(std::min<qint64>(limit + 1, filled * 2 + 4096)));
        }
        const ssize_t n = ::read(file.fd, content.data() + filled,
                                 static_cast<std::size_t>(content.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            content.clear();
            return unreadable(why, systemReason(error));
        }
        if (n == 0)
            break;
        filled += n;
    }
    if (filled > limit) {
        content.clear();
        return FileReadResult::TooLarge;
    }
    content.resize(static_cast<qsizetype>(filled));
    return FileReadResult::Ok;
}
