// Writes one state file again and again with a different large content each time, and
// says after each write that it is done. The state-file test kills it mid-write.

#include "server/embedded/StateFiles.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2)
        return 2;
    const StateFiles files(QString::fromLocal8Bit(argv[1]));
    for (int round = 0; round < 100000; ++round) {
        const QByteArray content(4 * 1024 * 1024, static_cast<char>('a' + round % 26));
        if (FAILED(files.write(QStringLiteral("config.xml"), content)))
            return 1;
        std::printf("wrote %d\n", round);
        std::fflush(stdout);
    }
    return 0;
}
