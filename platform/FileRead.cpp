#include "FileRead.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Closes the descriptor when it goes.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

FileReadResult ReadRegularFile(const QString& path, qint64 limit, QByteArray& content) {
    content.clear();
    // Opened without blocking, so that a FIFO behind the name cannot stop the caller; what
    // was opened is then checked, not the name, which may change meanwhile.
    const Descriptor file{
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return FileReadResult::Unreadable;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return FileReadResult::Unreadable;
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
            content.clear();
            return FileReadResult::Unreadable;
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
