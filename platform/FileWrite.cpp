#include "FileWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

HRESULT WriteFileAtomically(const QString& path, std::string_view content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QFileInfo target(path);
        if (!target.absoluteDir().exists())
            return HRESULT_PATH_NOT_FOUND;
        return E_ACCESSDENIED;
    }
    if (file.write(content.data(), static_cast<qint64>(content.size())) !=
        static_cast<qint64>(content.size())) {
        file.cancelWriting();
        return HRESULT_WRITE_FAULT;
    }
    return file.commit() ? S_OK : HRESULT_WRITE_FAULT;
}
