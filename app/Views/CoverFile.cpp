#include "CoverFile.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace CoverFile {

QImage read(const FileLocation &file, const std::function<bool(QImageReader &)> &prepare)
{
    const int descriptor = ::open(file.cPath(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return {};
    QFile device;
    if (!device.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return {};
    }
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    if (!prepare(reader))
        return {};
    return reader.read();
}

} // namespace CoverFile
