#include "AtomicFile.h"

#include "QtText.h"

#include <QFile>
#include <QSaveFile>

bool saveFileAtomically(const std::string& Path, const std::string& Bytes, std::string& Error) {
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(Path)));
    if (!file.open(QIODevice::WriteOnly)) {
        Error = fromQt(file.errorString());
        return false;
    }
    const auto size = static_cast<qint64>(Bytes.size());
    if (file.write(Bytes.data(), size) != size) {
        Error = fromQt(file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        Error = fromQt(file.errorString());
        return false;
    }
    return true;
}
